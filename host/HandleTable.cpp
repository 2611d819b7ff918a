#include "host/HandleTable.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <new>
#include <utility>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#define TILETTA_POISON(p, n) ASAN_POISON_MEMORY_REGION(p, n)
#define TILETTA_UNPOISON(p, n) ASAN_UNPOISON_MEMORY_REGION(p, n)
#else
#define TILETTA_POISON(p, n) ((void)(p), (void)(n))
#define TILETTA_UNPOISON(p, n) ((void)(p), (void)(n))
#endif

namespace Orvane::Mosaira {
namespace {

constexpr size_t kQuarantineSize = 64;
// Records placed in handles hold pointers and vtables; give every block that alignment.
constexpr size_t kAlignment = 16;

void* AllocateBlock(uint64_t size) {
  // Allocate exactly `size` bytes (at least one) so that overruns reach the allocator's red zone.
  return ::operator new(size == 0 ? 1 : size, std::align_val_t(kAlignment), std::nothrow);
}

void FreeBlock(void* block) { ::operator delete(block, std::align_val_t(kAlignment)); }

std::string HandleText(PF_Handle handle) {
  char text[32];
  std::snprintf(text, sizeof text, "%p", static_cast<void*>(handle));
  return text;
}

}  // namespace

HandleTable::~HandleTable() {
  for (auto& entry : live_) FreeBlock(entry.second->master);
  for (auto& record : quarantine_) {
    TILETTA_UNPOISON(record->master, record->size);
    FreeBlock(record->master);
  }
}

bool HandleTable::Due(int64_t* countdown) {
  if (*countdown < 0) return false;
  if (*countdown == 0) {
    *countdown = -1;
    return true;
  }
  --*countdown;
  return false;
}

PF_Handle HandleTable::New(uint64_t sizeBytes) {
  std::lock_guard<std::mutex> lock(mutex_);
  ++newCalls_;
  if (Due(&failNewIn_) || failAllNew_ || sizeBytes > kMaxHandleBytes) return nullptr;
  void* block = AllocateBlock(sizeBytes);
  if (block == nullptr) return nullptr;
  std::memset(block, 0, sizeBytes);
  auto record = std::make_unique<Record>();
  record->master = block;
  record->size = sizeBytes;
  record->serial = nextSerial_++;
  auto handle = reinterpret_cast<PF_Handle>(&record->master);
  live_.emplace(handle, std::move(record));
  return handle;
}

PF_Handle HandleTable::NewFrom(const std::vector<uint8_t>& bytes) {
  PF_Handle handle = New(bytes.size());
  if (handle != nullptr && !bytes.empty()) std::memcpy(*handle, bytes.data(), bytes.size());
  return handle;
}

HandleTable::Record* HandleTable::Find(PF_Handle handle) const {
  auto it = live_.find(handle);
  return it == live_.end() ? nullptr : it->second.get();
}

void HandleTable::Misuse(const std::string& what, PF_Handle handle) {
  misuse_.push_back(what + " " + HandleText(handle));
}

void* HandleTable::Lock(PF_Handle handle) {
  std::lock_guard<std::mutex> lock(mutex_);
  ++lockCalls_;
  Record* record = Find(handle);
  if (record == nullptr) {
    Misuse("lock of unknown handle", handle);
    return nullptr;
  }
  if (Due(&failLockIn_)) return nullptr;
  ++record->locks;
  return record->master;
}

bool HandleTable::Unlock(PF_Handle handle) {
  std::lock_guard<std::mutex> lock(mutex_);
  Record* record = Find(handle);
  if (record == nullptr || record->locks == 0) {
    Misuse(record ? "unlock of unlocked handle" : "unlock of unknown handle", handle);
    return false;
  }
  --record->locks;
  return true;
}

void HandleTable::Retire(std::unique_ptr<Record> record) {
  std::memset(record->master, kPoisonByte, record->size);
  TILETTA_POISON(record->master, record->size);
  quarantine_.push_back(std::move(record));
  if (quarantine_.size() > kQuarantineSize) {
    Record* old = quarantine_.front().get();
    TILETTA_UNPOISON(old->master, old->size);
    FreeBlock(old->master);
    quarantine_.pop_front();
  }
}

bool HandleTable::Dispose(PF_Handle handle) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = live_.find(handle);
  if (it == live_.end()) {
    Misuse("dispose of unknown or disposed handle", handle);
    return false;
  }
  if (it->second->locks != 0) Misuse("dispose of locked handle", handle);
  std::unique_ptr<Record> record = std::move(it->second);
  live_.erase(it);
  Retire(std::move(record));
  return true;
}

int64_t HandleTable::Size(PF_Handle handle) const {
  std::lock_guard<std::mutex> lock(mutex_);
  const Record* record = Find(handle);
  return record ? int64_t(record->size) : -1;
}

int HandleTable::LockCount(PF_Handle handle) const {
  std::lock_guard<std::mutex> lock(mutex_);
  const Record* record = Find(handle);
  return record ? record->locks : -1;
}

bool HandleTable::IsLive(PF_Handle handle) const {
  std::lock_guard<std::mutex> lock(mutex_);
  return Find(handle) != nullptr;
}

std::vector<uint8_t> HandleTable::Bytes(PF_Handle handle) const {
  std::lock_guard<std::mutex> lock(mutex_);
  const Record* record = Find(handle);
  if (record == nullptr) return {};
  const auto* p = static_cast<const uint8_t*>(record->master);
  return std::vector<uint8_t>(p, p + record->size);
}

std::vector<HandleTable::Leak> HandleTable::LiveHandles() const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<Leak> out;
  for (const auto& entry : live_) {
    const Record& r = *entry.second;
    out.push_back({entry.first, r.size, r.locks, r.serial});
  }
  std::sort(out.begin(), out.end(), [](const Leak& a, const Leak& b) { return a.serial < b.serial; });
  return out;
}

std::vector<HandleTable::Leak> HandleTable::LockedHandles() const {
  std::vector<Leak> out = LiveHandles();
  out.erase(std::remove_if(out.begin(), out.end(), [](const Leak& l) { return l.lockCount == 0; }),
            out.end());
  return out;
}

std::vector<std::string> HandleTable::TakeMisuse() {
  std::lock_guard<std::mutex> lock(mutex_);
  return std::exchange(misuse_, {});
}

void HandleTable::FailNew(int64_t n) {
  std::lock_guard<std::mutex> lock(mutex_);
  failNewIn_ = n;
}

void HandleTable::FailLock(int64_t n) {
  std::lock_guard<std::mutex> lock(mutex_);
  failLockIn_ = n;
}

void HandleTable::FailAllNew(bool on) {
  std::lock_guard<std::mutex> lock(mutex_);
  failAllNew_ = on;
}

uint64_t HandleTable::NewCalls() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return newCalls_;
}

uint64_t HandleTable::LockCalls() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return lockCalls_;
}

}  // namespace Orvane::Mosaira
