#include "host/SuiteTable.h"

namespace Orvane::Mosaira {

void SuiteTable::Add(const std::string& name, int32_t version, const void* table) {
  std::lock_guard<std::mutex> lock(mutex_);
  entries_[{name, version}].table = table;
}

const void* SuiteTable::Acquire(const std::string& name, int32_t version) {
  std::lock_guard<std::mutex> lock(mutex_);
  ++calls_;
  if (failIn_ == 0) {
    failIn_ = -1;
    return nullptr;
  }
  if (failIn_ > 0) --failIn_;
  const Key key{name, version};
  auto it = entries_.find(key);
  if (it == entries_.end() || allMissing_ || missing_.count(key) != 0) return nullptr;
  ++it->second.acquired;
  return it->second.table;
}

bool SuiteTable::Release(const std::string& name, int32_t version) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = entries_.find({name, version});
  if (it == entries_.end() || it->second.released >= it->second.acquired) {
    misuse_.push_back("release of suite not acquired: " + name + " " + std::to_string(version));
    return false;
  }
  ++it->second.released;
  return true;
}

void SuiteTable::SetMissing(const std::string& name, int32_t version, bool missing) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (missing) {
    missing_.insert({name, version});
  } else {
    missing_.erase({name, version});
  }
}

void SuiteTable::SetAllMissing(bool missing) {
  std::lock_guard<std::mutex> lock(mutex_);
  allMissing_ = missing;
}

void SuiteTable::FailAcquire(int64_t n) {
  std::lock_guard<std::mutex> lock(mutex_);
  failIn_ = n;
}

std::vector<SuiteTable::Key> SuiteTable::Suites() const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<Key> out;
  for (const auto& entry : entries_) out.push_back(entry.first);
  return out;
}

std::vector<SuiteTable::Balance> SuiteTable::Unbalanced() const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<Balance> out;
  for (const auto& [key, e] : entries_) {
    if (e.acquired != e.released) out.push_back({key, int64_t(e.acquired) - int64_t(e.released)});
  }
  return out;
}

void SuiteTable::Rebalance() {
  std::lock_guard<std::mutex> lock(mutex_);
  for (auto& entry : entries_) entry.second.released = entry.second.acquired;
}

uint64_t SuiteTable::AcquireCount(const std::string& name, int32_t version) const {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = entries_.find({name, version});
  return it == entries_.end() ? 0 : it->second.acquired;
}

uint64_t SuiteTable::AcquireCalls() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return calls_;
}

std::vector<std::string> SuiteTable::TakeMisuse() {
  std::lock_guard<std::mutex> lock(mutex_);
  return std::exchange(misuse_, {});
}

}  // namespace Orvane::Mosaira
