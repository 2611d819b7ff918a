// The host's memory handles: blocks of exactly the asked size behind a master pointer, with lock
// counts, poisoning on dispose, a size query, a leak report and injectable failures. Every call
// checks that the handle is one of ours; misuse (unknown handle, double dispose, unlock of an
// unlocked handle, dispose while locked) is answered safely and recorded for the test to see.
// Thread-safe: render commands may use handles on several threads at once.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "sdk/pf_types.h"

namespace Orvane::Mosaira {

class HandleTable {
 public:
  // Byte written over a disposed block, so that a stale read shows up as a recognisable pattern.
  static constexpr uint8_t kPoisonByte = 0xDD;
  // Largest block the host hands out; a bigger request fails like an exhausted heap.
  static constexpr uint64_t kMaxHandleBytes = uint64_t(1) << 32;

  struct Leak {
    PF_Handle handle;
    uint64_t sizeBytes;
    int lockCount;
    uint64_t serial;  // the order in which it was made, from 1
  };

  HandleTable() = default;
  ~HandleTable();
  HandleTable(const HandleTable&) = delete;
  HandleTable& operator=(const HandleTable&) = delete;

  // A new zero-filled handle of exactly `sizeBytes`, unlocked; null when an injected failure is due
  // or the size is too big.
  PF_Handle New(uint64_t sizeBytes);
  // A new handle holding a copy of `bytes` (used when a project is read back).
  PF_Handle NewFrom(const std::vector<uint8_t>& bytes);
  // The block's address, counting one lock; null for an unknown or disposed handle or an injected
  // failure (no lock is counted then).
  void* Lock(PF_Handle handle);
  // Drops one lock; false (and recorded) for an unknown handle or one that is not locked.
  bool Unlock(PF_Handle handle);
  // Poisons and retires the block. False (and recorded) for null, unknown or already disposed
  // handles. Disposing of a locked handle is recorded as misuse but still done.
  bool Dispose(PF_Handle handle);
  // The exact size, or -1 for an unknown or disposed handle.
  int64_t Size(PF_Handle handle) const;
  // Current lock count, or -1 for an unknown or disposed handle.
  int LockCount(PF_Handle handle) const;
  bool IsLive(PF_Handle handle) const;
  // A copy of the block's bytes (empty for an unknown handle); reads without locking.
  std::vector<uint8_t> Bytes(PF_Handle handle) const;

  // Live handles, oldest first. A session that ends with any of them has leaked.
  std::vector<Leak> LiveHandles() const;
  // Live handles with a lock count above zero.
  std::vector<Leak> LockedHandles() const;
  // Text lines, one per misuse seen since the last call; the list is emptied.
  std::vector<std::string> TakeMisuse();

  // Fault injection. `FailNew(n)` lets n more allocations succeed and makes the next one fail
  // (once); -1 turns it off. `FailLock` does the same for locks. `FailAllNew` fails every allocation
  // until turned off.
  void FailNew(int64_t n);
  void FailLock(int64_t n);
  void FailAllNew(bool on);
  // Calls so far, including failed ones: lets a fault sweep know how many to try.
  uint64_t NewCalls() const;
  uint64_t LockCalls() const;

 private:
  struct Record {
    void* master = nullptr;  // first member: a handle is the address of this pointer
    uint64_t size = 0;
    int locks = 0;
    uint64_t serial = 0;
  };

  Record* Find(PF_Handle handle) const;  // live records only; caller holds the mutex
  void Misuse(const std::string& what, PF_Handle handle);
  static bool Due(int64_t* countdown);
  void Retire(std::unique_ptr<Record> record);

  mutable std::mutex mutex_;
  std::unordered_map<PF_Handle, std::unique_ptr<Record>> live_;
  // Disposed blocks stay readable (and poisoned) for a while, so that a stale handle reads the
  // poison pattern instead of memory that was handed out again.
  std::deque<std::unique_ptr<Record>> quarantine_;
  std::vector<std::string> misuse_;
  uint64_t nextSerial_ = 1;
  uint64_t newCalls_ = 0, lockCalls_ = 0;
  int64_t failNewIn_ = -1, failLockIn_ = -1;
  bool failAllNew_ = false;
};

}  // namespace Orvane::Mosaira
