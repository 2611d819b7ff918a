// OpenGL rendering contexts of our own. The build picks one of two branches; callers see the
// same contract on both.
//
// Windows (WGL): every context has a hidden 8x8 window of a window class of its own, the
// window's device context with an RGBA pixel format, and a rendering context. The first context
// of the driver's default kind is a legacy context, through which the WGL extension entry points
// are found; 3.3 core contexts are made with wglCreateContextAttribsARB and join the share
// group of the context they share with before they are first made current.
//
// Linux (EGL, Mesa, surfaceless display): every context lives on the process's one display, which is opened on first use and never
// terminated: other users in the process (the host among them) get the same display, and
// terminating it would pull their contexts away. A context needs no window; when the driver
// cannot make a context current without a surface, the context gets an 8x8 pbuffer instead.
//
// Every context carries a handle of its own for the binding library (glbinding 2.1.1), unique in
// the process and never reused: glbinding cannot see EGL contexts, and the driver may give a
// deleted context's handle to a new one.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

namespace Orvane::Mosaira::Platform {

// What a new context asks of the driver.
enum class ContextProfile {
  kDriverDefault,  // no version attributes: the driver's default (compatibility) context
  kCore33,         // OpenGL 3.3 core profile
};

// Handle under which glbinding knows a context; 0 is never a valid handle.
using BindingHandle = std::uintptr_t;

// Owner of one context with what it draws on: on WGL its window, window class and device
// context; on EGL its pbuffer, when it has one. Not copyable.
class GlContext {
 public:
  // Makes a context and makes it current on the calling thread. With `shareWith` the new
  // context shares textures, buffers, renderbuffers and programs with it (sharing is fixed
  // at creation). Returns null on any failure, after releasing what was made; the calling
  // thread's current context may then have changed (callers restore their own).
  static std::unique_ptr<GlContext> Create(const GlContext* shareWith, ContextProfile profile);

  // Releases the context: leaves the calling thread with no current context when this one is
  // current on it, then destroys the context and its surface. Never throws.
  ~GlContext();
  GlContext(const GlContext&) = delete;
  GlContext& operator=(const GlContext&) = delete;

  // Makes this context current on the calling thread (on EGL the desktop OpenGL API first) and
  // tells glbinding about it. Returns false when the driver refuses; nothing is then current
  // for the OpenGL API.
  bool MakeCurrent() const noexcept;

  // Initialises glbinding for this context (entry points resolved lazily) and selects it on
  // the calling thread. Needs this context current. Called once per context, right after
  // creation; later switches use MakeCurrent.
  void InitializeBinding() const;

  BindingHandle Handle() const noexcept { return handle_; }
  void* NativeContext() const noexcept { return context_; }
  void* NativeSurface() const noexcept { return surface_; }

 private:
  GlContext() = default;

  void* context_ = nullptr;  // HGLRC, or EGLContext
  void* surface_ = nullptr;  // HDC of the window, or EGLSurface (EGL_NO_SURFACE when surfaceless)
  void* window_ = nullptr;   // HWND of the hidden window (WGL)
  std::string windowClass_;  // name of the window's class (WGL); empty until registered
  BindingHandle handle_ = 0;
  mutable std::atomic<bool> initialized_{false};  // glbinding knows handle_
};

// The process's display (EGLDisplay), opened and initialised on first use, never terminated.
// Null when no display can be opened, and always on WGL.
void* SharedDisplay() noexcept;

// glbinding handle of the context last selected with MakeCurrent or InitializeBinding on the
// calling thread; 0 when none, or when the current context is not known to glbinding.
BindingHandle CurrentBindingHandle() noexcept;

// Forgets the calling thread's selected handle (after a switch to a context that is not ours,
// such as the host's, so that nothing believes one of ours is current).
void ForgetCurrentBindingHandle() noexcept;

}  // namespace Orvane::Mosaira::Platform
