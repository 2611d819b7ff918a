// Test hooks of the context layer: failures injected into context creation, and the pbuffer road
// forced on drivers that would not need it. Not for the plug-in's own code.
#pragma once

namespace Orvane::Mosaira::Platform {

// Steps of context creation that a test can make fail (see InjectContextFault).
enum class ContextStep {
  kNone,
  kDisplay,        // EGL: opening the display
  kBindApi,        // EGL: selecting the desktop OpenGL API on the calling thread
  kCreateSurface,  // EGL: the pbuffer, where one is needed
  kCreateContext,  // the rendering context itself
  kMakeCurrent,
  kWindowClass,    // WGL: registering the hidden window's class
  kWindow,         // WGL: the hidden window
  kPixelFormat,    // WGL: choosing or setting the pixel format
  kExtensions,     // WGL: an extension entry point not found
  kShareLists,     // WGL: joining the share group
};

// Makes the next context creation in the process fail at `step` (kNone clears it). One shot:
// the fault is consumed by the creation that meets it. For tests of the failure paths.
void InjectContextFault(ContextStep step) noexcept;

// Makes later contexts get an 8x8 pbuffer even where the driver could do without a surface, as
// on drivers without surfaceless contexts. For tests of that road; no effect on WGL.
void ForcePbufferSurfaces(bool force) noexcept;

}  // namespace Orvane::Mosaira::Platform
