#include "render/RenderGlobals.h"

#include "render/OpenGLContext.h"
#include "render/OpenglFboRenderer.h"
#include "render/Renderer.h"

namespace Orvane::Mosaira {
namespace {

// The slot itself is never destroyed: at process exit, static destruction has no driver to talk
// to. What it holds goes at set-down.
std::unique_ptr<RenderGlobals>& Slot() {
  static auto* slot = new std::unique_ptr<RenderGlobals>();
  return *slot;
}

}  // namespace

RenderGlobals::RenderGlobals() {
  contexts.CreateSharedContext();
  nvgContext = VectorContext::Create();
}

RenderGlobals::~RenderGlobals() {
  OpenglFboRenderer& renderer = OpenglFboRenderer::instance();
  if (contexts.MakeSharedContextCurrent()) {
    renderer.release();
    renderer.outputQuad.reset();
    // The per-thread contexts go next, and their framebuffers and vertex arrays with them.
    renderer.forgetContextFramebuffers();
    nvgContext.reset();
    flipQuad.release();
  } else {
    // Without a root nothing can be deleted through GL: the names went with their contexts.
    renderer.abandon();
    if (nvgContext != nullptr) nvgContext->abandon();
    nvgContext.reset();
    flipQuad.abandon();
  }
  contexts.ReleaseAllContexts();
}

std::mutex& RenderLock() noexcept {
  static std::mutex* lock = new std::mutex();
  return *lock;
}

RenderGlobals* CurrentRenderGlobals() noexcept { return Slot().get(); }

void RenderGlobalSetup() {
  // No render may run against objects that are still being made.
  std::lock_guard<std::mutex> lock(RenderLock());
  ScopedHostContext host;
  // A host that sets the plug-in up again without setting it down (a reload, a second host in the
  // same process) gets a new root: the old one and all made with it go first.
  Slot().reset();
  Slot() = std::make_unique<RenderGlobals>();
}

void RenderGlobalSetdown() noexcept {
  std::lock_guard<std::mutex> lock(RenderLock());
  ScopedHostContext host;
  Slot().reset();
}

}  // namespace Orvane::Mosaira
