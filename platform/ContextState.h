// The calling thread's current-context state, saved before our own OpenGL work and put back
// afterwards, so that whatever the caller (the host) had current is current again.
#pragma once

namespace Orvane::Mosaira::Platform {

// Everything kept current per thread. EGL: display, draw and read surface, context and the bound
// client API. WGL: the device context (as both surfaces) and the rendering context; display and
// API stay null. All null / 0 when nothing is current.
struct ContextState {
  void* display = nullptr;
  void* drawSurface = nullptr;
  void* readSurface = nullptr;
  void* context = nullptr;
  unsigned api = 0;  // EGLenum from eglQueryAPI
};

// The calling thread's state now.
ContextState CurrentContextState() noexcept;

// Makes `state` current again when the thread's current context or surfaces differ from it
// (with no context saved, our context is released so none is current). The bound API is put
// back in any case (EGL). Returns false when the driver refused; never throws.
bool RestoreContextState(const ContextState& state) noexcept;

// Restores the state it saved at construction when it goes out of scope.
class ScopedContextState {
 public:
  ScopedContextState() noexcept : saved_(CurrentContextState()) {}
  ~ScopedContextState() { RestoreContextState(saved_); }
  ScopedContextState(const ScopedContextState&) = delete;
  ScopedContextState& operator=(const ScopedContextState&) = delete;
  const ContextState& Saved() const noexcept { return saved_; }

 private:
  ContextState saved_;
};

}  // namespace Orvane::Mosaira::Platform
