// The per-thread context registry and the root context.
#include <atomic>
#include <map>
#include <mutex>

#include "render/OpenGLContext.h"

namespace Orvane::Mosaira {
namespace {

// Process-wide registry state. Made on first use and never destroyed, so that no context is
// torn down by static destruction at process exit without a driver to talk to.
struct Registry {
  std::map<std::int32_t, std::unique_ptr<AEOpenGLContext>> threadContexts;
  std::recursive_mutex threadContextsMutex;
  std::atomic<std::uint32_t> nextThreadNumber{0};
  std::unique_ptr<AEOpenGLContext> sharedContext;
};

Registry& TheRegistry() {
  static Registry* registry = new Registry();
  return *registry;
}

thread_local std::uint32_t threadNumber = kUnnumberedThread;

// Finds or makes the calling thread's context under the registry lock.
AEOpenGLContext* FindOrMakeThreadContext(Registry& r) {
  std::lock_guard<std::recursive_mutex> lock(r.threadContextsMutex);
  if (threadNumber == kUnnumberedThread) threadNumber = r.nextThreadNumber.fetch_add(1);
  auto& slot = r.threadContexts[static_cast<std::int32_t>(threadNumber)];
  if (slot == nullptr) {
    try {
      slot = std::make_unique<AEOpenGLContext>(r.sharedContext.get());
    } catch (...) {
      r.threadContexts.erase(static_cast<std::int32_t>(threadNumber));
      throw;
    }
  }
  return slot.get();
}

}  // namespace

void CreateSharedContext() {
  Registry& r = TheRegistry();
  if (r.sharedContext != nullptr) throw AESDK_OpenGL_Fault();
  r.sharedContext = std::make_unique<AEOpenGLContext>(nullptr);
}

AEOpenGLContext* SharedContext() noexcept { return TheRegistry().sharedContext.get(); }

bool MakeSharedContextCurrent() noexcept {
  AEOpenGLContext* root = SharedContext();
  if (root == nullptr) return false;
  try {
    root->MakeCurrent();
  } catch (const AESDK_OpenGL_Fault&) {
    return false;
  }
  return true;
}

AEOpenGLContext* AcquireThreadContext() {
  AEOpenGLContext* context = FindOrMakeThreadContext(TheRegistry());
  // A context that does not become current must not let the caller draw into the host's.
  context->MakeCurrent();
  return context;
}

void ReleaseAllContexts() noexcept {
  Registry& r = TheRegistry();
  for (auto& entry : r.threadContexts) entry.second.reset();
  r.threadContexts.clear();
  r.sharedContext.reset();
}

std::uint32_t CurrentThreadNumber() noexcept { return threadNumber; }

std::size_t ThreadContextCount() noexcept {
  Registry& r = TheRegistry();
  std::lock_guard<std::recursive_mutex> lock(r.threadContextsMutex);
  return r.threadContexts.size();
}

}  // namespace Orvane::Mosaira
