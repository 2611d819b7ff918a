#include "platform/ContextState.h"

#include <EGL/egl.h>

#include "platform/GlContext.h"

namespace Orvane::Mosaira::Platform {

ContextState CurrentContextState() noexcept {
  ContextState state;
  state.api = eglQueryAPI();
  state.display = eglGetCurrentDisplay();
  state.drawSurface = eglGetCurrentSurface(EGL_DRAW);
  state.readSurface = eglGetCurrentSurface(EGL_READ);
  state.context = eglGetCurrentContext();
  return state;
}

namespace {

bool SameAsCurrent(const ContextState& state) {
  return eglGetCurrentContext() == state.context && eglGetCurrentSurface(EGL_DRAW) == state.drawSurface &&
         eglGetCurrentSurface(EGL_READ) == state.readSurface;
}

}  // namespace

bool RestoreContextState(const ContextState& state) noexcept {
  // Our work always runs under the desktop OpenGL API; compare and release under it.
  eglBindAPI(EGL_OPENGL_API);
  bool ok = true;
  if (!SameAsCurrent(state)) {
    ForgetCurrentBindingHandle();
    if (eglGetCurrentContext() != EGL_NO_CONTEXT) {
      EGLDisplay current = eglGetCurrentDisplay();
      ok = eglMakeCurrent(current, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT) == EGL_TRUE;
    }
    if (state.context != EGL_NO_CONTEXT) {
      if (state.api != 0) eglBindAPI(state.api);
      ok = eglMakeCurrent(state.display, state.drawSurface, state.readSurface, state.context) == EGL_TRUE && ok;
    }
  }
  if (state.api != 0) eglBindAPI(state.api);
  return ok;
}

}  // namespace Orvane::Mosaira::Platform
