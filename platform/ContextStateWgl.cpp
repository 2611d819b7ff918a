#include "platform/ContextState.h"

#include <windows.h>

#include "platform/GlContext.h"

namespace Orvane::Mosaira::Platform {

ContextState CurrentContextState() noexcept {
  ContextState state;
  state.drawSurface = wglGetCurrentDC();
  state.readSurface = state.drawSurface;
  state.context = wglGetCurrentContext();
  return state;
}

bool RestoreContextState(const ContextState& state) noexcept {
  const bool same = wglGetCurrentContext() == static_cast<HGLRC>(state.context) &&
                    wglGetCurrentDC() == static_cast<HDC>(state.drawSurface);
  if (same) return true;
  ForgetCurrentBindingHandle();
  return wglMakeCurrent(static_cast<HDC>(state.drawSurface), static_cast<HGLRC>(state.context)) == TRUE;
}

}  // namespace Orvane::Mosaira::Platform
