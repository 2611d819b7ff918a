// The renderer's process-wide state: one owner, made at global set-up and destroyed at global
// set-down, of the contexts, the flip pass and the vector-drawing context; the framebuffer
// renderer, a process-wide singleton of its own (OpenglFboRenderer::instance), is released at
// set-down. Each holds the state of one render, and glbinding's per-context set-up is not safe
// against GL calls on other threads, so one render at a time uses them: every render holds
// RenderLock() around its whole OpenGL work, from before its thread's context is fetched or made
// until the host's context is current again. Global set-up and set-down take it too.
#pragma once

#include <memory>
#include <mutex>

#include "render/ContextRegistry.h"
#include "render/FullScreenPasses.h"
#include "render/VectorContext.h"

namespace Orvane::Mosaira {

class RenderGlobals {
 public:
  // Makes the root context (left current) and in it the vector-drawing context; the passes and
  // the framebuffer renderer make their OpenGL objects on first use. Throws AESDK_OpenGL_Fault
  // when the root cannot be made. A vector-drawing context that cannot be made (a driver without
  // the shaders it needs) leaves nvgContext null: every render then fails (see Renderer.h).
  RenderGlobals();

  // With the root current, releases the framebuffer renderer, deletes its output pass and every
  // other OpenGL object of the renderer; when the root cannot be made current, drops their names
  // instead. Then deletes every per-thread context and the root, leaving the calling thread with
  // no current context. Never throws.
  ~RenderGlobals();
  RenderGlobals(const RenderGlobals&) = delete;
  RenderGlobals& operator=(const RenderGlobals&) = delete;

  ContextRegistry contexts;  // first made, last destroyed
  OpenglFlipQuad flipQuad;
  std::unique_ptr<VectorContext> nvgContext;  // null when it could not be made
};

// The lock of all OpenGL work of the renderer and of the state below. It outlives the state (a
// render may wait on it while set-down destroys the state) and is never destroyed.
std::mutex& RenderLock() noexcept;

// The state made by the last successful global set-up, or null before it, after set-down and
// after a failed set-up. Read only under RenderLock().
RenderGlobals* CurrentRenderGlobals() noexcept;

}  // namespace Orvane::Mosaira
