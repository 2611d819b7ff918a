// The host's suite directory behind SPBasic: function tables by (name, version), with acquire and
// release counted per suite, and fault injection (a suite made missing, or the n-th acquisition
// failing). Thread-safe.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace Orvane::Mosaira {

class SuiteTable {
 public:
  using Key = std::pair<std::string, int32_t>;  // (name, version)

  struct Balance {
    Key suite;
    int64_t outstanding;  // acquisitions minus releases
  };

  // Registers `table` under (name, version); a later call replaces it.
  void Add(const std::string& name, int32_t version, const void* table);

  // The table, counted as one acquisition; null when unknown, made missing or an injected failure is
  // due (nothing is counted then).
  const void* Acquire(const std::string& name, int32_t version);
  // Counts one release; false (and recorded as misuse) when the suite is unknown or not acquired.
  bool Release(const std::string& name, int32_t version);

  // Fault injection: a missing suite is refused until made present again.
  void SetMissing(const std::string& name, int32_t version, bool missing);
  void SetAllMissing(bool missing);
  // Lets n more acquisitions succeed and makes the next one fail (once); -1 turns it off.
  void FailAcquire(int64_t n);

  // Every registered (name, version), in name order.
  std::vector<Key> Suites() const;
  // Suites acquired more often than released (or released more often than acquired).
  std::vector<Balance> Unbalanced() const;
  // Counts every outstanding acquisition as released (after its breach has been reported).
  void Rebalance();
  // Successful acquisitions of one suite so far.
  uint64_t AcquireCount(const std::string& name, int32_t version) const;
  // All acquisitions tried so far, including refused ones.
  uint64_t AcquireCalls() const;
  // Text lines, one per misuse since the last call; the list is emptied.
  std::vector<std::string> TakeMisuse();

 private:
  struct Entry {
    const void* table = nullptr;
    uint64_t acquired = 0;
    uint64_t released = 0;
  };

  mutable std::mutex mutex_;
  std::map<Key, Entry> entries_;
  std::set<Key> missing_;
  bool allMissing_ = false;
  int64_t failIn_ = -1;
  uint64_t calls_ = 0;
  std::vector<std::string> misuse_;
};

}  // namespace Orvane::Mosaira
