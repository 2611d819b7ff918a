#include "render/ContextRegistry.h"

#include <atomic>

namespace Orvane::Mosaira {
namespace {

std::atomic<std::uint32_t> nextThreadNumber{0};
thread_local std::uint32_t threadNumber = kUnnumberedThread;

}  // namespace

std::uint32_t CurrentThreadNumber() noexcept { return threadNumber; }

ContextRegistry::~ContextRegistry() { ReleaseAllContexts(); }

void ContextRegistry::CreateSharedContext() {
  if (sharedContext != nullptr) throw AESDK_OpenGL_Fault();
  sharedContext = std::make_unique<AEOpenGLContext>(nullptr);
}

bool ContextRegistry::MakeSharedContextCurrent() const noexcept {
  if (sharedContext == nullptr) return false;
  try {
    sharedContext->MakeCurrent();
  } catch (const AESDK_OpenGL_Fault&) {
    return false;
  }
  return true;
}

AEOpenGLContext* ContextRegistry::FindOrMakeThreadContext() {
  std::lock_guard<std::recursive_mutex> lock(threadContextsMutex);
  if (threadNumber == kUnnumberedThread) threadNumber = nextThreadNumber.fetch_add(1);
  auto& slot = threadContexts[threadNumber];
  if (slot == nullptr) {
    try {
      slot = std::make_unique<AEOpenGLContext>(sharedContext.get());
    } catch (...) {
      threadContexts.erase(threadNumber);
      throw;
    }
  }
  return slot.get();
}

AEOpenGLContext* ContextRegistry::AcquireThreadContext() {
  AEOpenGLContext* context = FindOrMakeThreadContext();
  // A context that does not become current must not let the caller draw into the host's.
  context->MakeCurrent();
  return context;
}

void ContextRegistry::ReleaseAllContexts() noexcept {
  for (auto& entry : threadContexts) entry.second.reset();
  threadContexts.clear();
  sharedContext.reset();
}

std::size_t ContextRegistry::ThreadContextCount() const {
  std::lock_guard<std::recursive_mutex> lock(threadContextsMutex);
  return threadContexts.size();
}

}  // namespace Orvane::Mosaira
