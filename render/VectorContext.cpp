#include "render/VectorContext.h"

#include <atomic>

#include "render/NanoVgGl3.h"

namespace Orvane::Mosaira {
namespace {

NVGcontext* vectorContext = nullptr;
std::atomic<bool> injectedFault{false};

}  // namespace

std::mutex& RenderLock() noexcept {
  // Never destroyed: a render thread may still hold it while the process exits.
  static std::mutex* lock = new std::mutex();
  return *lock;
}

NVGcontext* VectorContext() noexcept { return vectorContext; }

void InjectVectorContextFault() noexcept { injectedFault.store(true); }

bool CreateVectorContext() noexcept {
  DeleteVectorContext();
  if (injectedFault.exchange(false)) return false;
  try {
    vectorContext = nvgCreateGL3(NVG_ANTIALIAS);
  } catch (...) {
    vectorContext = nullptr;  // an allocation failure while building the program
  }
  return vectorContext != nullptr;
}

void DeleteVectorContext() noexcept {
  if (vectorContext == nullptr) return;
  nvgDeleteInternal(vectorContext);
  vectorContext = nullptr;
}

}  // namespace Orvane::Mosaira
