// Fault injection for the host's callbacks by name ("checkout_param", "PF_UpdateParamUI",
// "AEGP_GetNewEffectStreamByIndex", ...): a callback asks `ShouldFail(name)` before it does its
// work and answers with its error when told to. Every call is counted, so a sweep can try each.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <set>
#include <string>

namespace Orvane::Mosaira {

class CallFaults {
 public:
  // Lets n more calls of `name` succeed and makes the next one fail (once); -1 turns it off.
  void Fail(const std::string& name, int64_t n) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (n < 0) {
      countdown_.erase(name);
    } else {
      countdown_[name] = n;
    }
  }
  // Fails every call of `name` until turned off.
  void FailAll(const std::string& name, bool on) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (on) {
      always_.insert(name);
    } else {
      always_.erase(name);
    }
  }
  void Clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    countdown_.clear();
    always_.clear();
  }
  // Counts the call; true when it is to fail.
  bool ShouldFail(const std::string& name) {
    std::lock_guard<std::mutex> lock(mutex_);
    ++calls_[name];
    if (always_.count(name) != 0) return true;
    auto it = countdown_.find(name);
    if (it == countdown_.end()) return false;
    if (it->second == 0) {
      countdown_.erase(it);
      return true;
    }
    --it->second;
    return false;
  }
  uint64_t Calls(const std::string& name) const {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = calls_.find(name);
    return it == calls_.end() ? 0 : it->second;
  }

 private:
  mutable std::mutex mutex_;
  std::map<std::string, int64_t> countdown_;
  std::set<std::string> always_;
  std::map<std::string, uint64_t> calls_;
};

}  // namespace Orvane::Mosaira
