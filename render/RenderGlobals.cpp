#include "render/RenderGlobals.h"
#include "render/Renderer.h"

#include <memory>

#include "render/OpenGLContext.h"
#include "render/OpenglFboRenderer.h"
#include "render/RenderState.h"
#include "render/VectorContext.h"

namespace Orvane::Mosaira {
namespace {

std::unique_ptr<OpenglFlipQuad> flipQuad;

// Releases the renderer's GL objects in the root's share group; the root is current.
void ReleaseGlObjects() noexcept {
  OpenglFboRenderer& renderer = OpenglFboRenderer::instance();
  renderer.release();
  if (renderer.outputQuad != nullptr) renderer.outputQuad->release();
  renderer.outputQuad.reset();
  // The per-thread contexts go next, and their framebuffers and vertex arrays with them.
  renderer.forgetContextFramebuffers();

  DeleteVectorContext();
  if (flipQuad != nullptr) flipQuad->release();
  flipQuad.reset();
}

// Without a root (set-up failed or never ran) nothing can be deleted through GL: the names are
// dropped, as whatever made them is gone with its context.
void AbandonGlObjects() noexcept {
  OpenglFboRenderer& renderer = OpenglFboRenderer::instance();
  renderer.abandon();
  renderer.outputQuad.reset();
  if (flipQuad != nullptr) flipQuad->abandon();
  flipQuad.reset();
}

// Everything global set-up made, released; RenderLock() is held and the caller's context saved.
void ReleaseEverything() noexcept {
  if (MakeSharedContextCurrent()) {
    ReleaseGlObjects();
  } else {
    AbandonGlObjects();
  }
  ReleaseAllContexts();
}

}  // namespace

OpenglFlipQuad* FlipQuad() noexcept { return flipQuad.get(); }

void RenderGlobalSetup() {
  // No render may run against objects that are still being made.
  std::lock_guard<std::mutex> lock(RenderLock());
  ScopedHostContext host;
  // A host that sets the plug-in up again without setting it down (a reload, a second host in the
  // same process) gets a new root: the old one and all made with it go first.
  if (SharedContext() != nullptr) ReleaseEverything();
  CreateSharedContext();
  flipQuad = std::make_unique<OpenglFlipQuad>();
  // Every render draws its frames with the vector-drawing context: a set-up without one would
  // only fail later, so it fails here, leaving nothing made.
  if (!CreateVectorContext()) {
    flipQuad.reset();
    ReleaseAllContexts();
    throw AESDK_OpenGL_Fault();
  }
}

void RenderGlobalSetdown() noexcept {
  std::lock_guard<std::mutex> lock(RenderLock());
  ScopedHostContext host;
  ReleaseEverything();
}

}  // namespace Orvane::Mosaira
