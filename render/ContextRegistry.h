// The renderer's OpenGL contexts: one root context and one context per host render thread.
//
// Every render-thread context shares textures, buffers, renderbuffers and programs with the root.
// Render threads are numbered process-wide in the order of their first acquire; a thread keeps its
// number for the life of the process, across registries, while its context lives only as long as
// the registry that made it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>

#include "render/OpenGLContext.h"

namespace Orvane::Mosaira {

inline constexpr std::uint32_t kUnnumberedThread = 0xFFFFFFFFu;

// The calling thread's number, or kUnnumberedThread when it has never acquired a context.
std::uint32_t CurrentThreadNumber() noexcept;

class ContextRegistry {
 public:
  // Holds no context.
  ContextRegistry() = default;

  // ReleaseAllContexts.
  ~ContextRegistry();
  ContextRegistry(const ContextRegistry&) = delete;
  ContextRegistry& operator=(const ContextRegistry&) = delete;

  // Makes the root context and makes it current. Replaces no existing root: throws
  // AESDK_OpenGL_Fault when one exists or when it cannot be made (no root is kept then).
  void CreateSharedContext();

  // The root context, or null.
  AEOpenGLContext* SharedContext() const noexcept { return sharedContext.get(); }

  // Makes the root current and selects it in glbinding. False when there is no root or the
  // driver refuses; never throws.
  bool MakeSharedContextCurrent() const noexcept;

  // The calling thread's context, made on its first call, current and selected in glbinding on
  // return. Without a root the new context is made like a root. Throws AESDK_OpenGL_Fault when
  // the context cannot be made or made current; the registry then has no entry for the thread,
  // so the next call tries again. Only the numbering and the lookup or making take the
  // registry's lock.
  AEOpenGLContext* AcquireThreadContext();

  // Deletes every per-thread context in ascending thread number, then the root. Takes no lock: no
  // render may run. Leaves the calling thread with no current context.
  void ReleaseAllContexts() noexcept;

  // Number of per-thread contexts held now.
  std::size_t ThreadContextCount() const;

 private:
  AEOpenGLContext* FindOrMakeThreadContext();

  std::unique_ptr<AEOpenGLContext> sharedContext;
  std::map<std::uint32_t, std::unique_ptr<AEOpenGLContext>> threadContexts;
  mutable std::recursive_mutex threadContextsMutex;
};

}  // namespace Orvane::Mosaira
