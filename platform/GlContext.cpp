#include "platform/GlContext.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <glbinding/Binding.h>

#include <atomic>
#include <cstring>

namespace Orvane::Mosaira::Platform {
namespace {

std::atomic<int> injectedFault{static_cast<int>(ContextStep::kNone)};
std::atomic<BindingHandle> contextsMade{0};
std::atomic<bool> forcePbuffer{false};
thread_local BindingHandle currentHandle = 0;

// A handle never given before in this process. glbinding's table of handles is one for the
// process, while every library linking this layer (the plug-in, a test, a tool) has a counter of
// its own: each copy starts its run of handles at a point scrambled from the address of its own
// counter, so the runs of two copies do not meet.
BindingHandle NewHandle() {
  const auto base = static_cast<BindingHandle>(reinterpret_cast<std::uintptr_t>(&contextsMade) *
                                               static_cast<std::uintptr_t>(0x9E3779B97F4A7C15ull));
  BindingHandle handle = 0;
  while (handle == 0) handle = base + contextsMade.fetch_add(1) + 1;
  return handle;
}

// True (and the fault consumed) when a test asked the next creation to fail at `step`.
bool Faulted(ContextStep step) {
  int expected = static_cast<int>(step);
  return injectedFault.compare_exchange_strong(expected, static_cast<int>(ContextStep::kNone));
}

struct DisplayInfo {
  EGLDisplay display = EGL_NO_DISPLAY;
  EGLConfig config = nullptr;
  bool surfaceless = false;  // contexts can be current without a surface
};

bool HasExtension(const char* list, const char* name) {
  if (list == nullptr) return false;
  const std::size_t length = std::strlen(name);
  for (const char* p = std::strstr(list, name); p != nullptr; p = std::strstr(p + length, name)) {
    const bool startOk = p == list || p[-1] == ' ';
    const bool endOk = p[length] == '\0' || p[length] == ' ';
    if (startOk && endOk) return true;
  }
  return false;
}

EGLDisplay OpenSurfacelessDisplay() {
  auto getPlatformDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
      eglGetProcAddress("eglGetPlatformDisplayEXT"));
  if (getPlatformDisplay == nullptr) return EGL_NO_DISPLAY;
  return getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
}

DisplayInfo OpenDisplay() {
  DisplayInfo info;
  EGLDisplay display = OpenSurfacelessDisplay();
  if (display == EGL_NO_DISPLAY) display = eglGetDisplay(EGL_DEFAULT_DISPLAY);
  if (display == EGL_NO_DISPLAY || eglInitialize(display, nullptr, nullptr) != EGL_TRUE) return info;
  const EGLint attributes[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT,
                               EGL_RED_SIZE, 8, EGL_GREEN_SIZE, 8, EGL_BLUE_SIZE, 8, EGL_ALPHA_SIZE, 8,
                               EGL_NONE};
  EGLint count = 0;
  if (eglChooseConfig(display, attributes, &info.config, 1, &count) != EGL_TRUE || count < 1) return info;
  info.surfaceless = HasExtension(eglQueryString(display, EGL_EXTENSIONS), "EGL_KHR_surfaceless_context");
  info.display = display;
  return info;
}

// Opened once for the whole process (thread-safe static initialisation), never terminated.
const DisplayInfo& Display() {
  static const DisplayInfo info = OpenDisplay();
  return info;
}

EGLContext CreateNativeContext(const DisplayInfo& info, EGLContext share, ContextProfile profile) {
  const EGLint core33[] = {EGL_CONTEXT_MAJOR_VERSION, 3, EGL_CONTEXT_MINOR_VERSION, 3,
                           EGL_CONTEXT_OPENGL_PROFILE_MASK, EGL_CONTEXT_OPENGL_CORE_PROFILE_BIT, EGL_NONE};
  const EGLint driverDefault[] = {EGL_NONE};
  const EGLint* attributes = profile == ContextProfile::kCore33 ? core33 : driverDefault;
  return eglCreateContext(info.display, info.config, share, attributes);
}

}  // namespace

void InjectContextFault(ContextStep step) noexcept { injectedFault.store(static_cast<int>(step)); }

void ForcePbufferSurfaces(bool force) noexcept { forcePbuffer.store(force); }

void* SharedDisplay() noexcept {
  return Display().display;
}

BindingHandle CurrentBindingHandle() noexcept { return currentHandle; }

void ForgetCurrentBindingHandle() noexcept { currentHandle = 0; }

std::unique_ptr<GlContext> GlContext::Create(const GlContext* shareWith, ContextProfile profile) {
  const DisplayInfo& info = Display();
  if (Faulted(ContextStep::kDisplay) || info.display == EGL_NO_DISPLAY) return nullptr;
  if (Faulted(ContextStep::kBindApi) || eglBindAPI(EGL_OPENGL_API) != EGL_TRUE) return nullptr;

  std::unique_ptr<GlContext> made(new GlContext());
  made->surface_ = EGL_NO_SURFACE;
  if (!info.surfaceless || forcePbuffer.load()) {
    const EGLint size[] = {EGL_WIDTH, 8, EGL_HEIGHT, 8, EGL_NONE};
    made->surface_ = Faulted(ContextStep::kCreateSurface)
                         ? EGL_NO_SURFACE
                         : eglCreatePbufferSurface(info.display, info.config, size);
    if (made->surface_ == EGL_NO_SURFACE) return nullptr;
  }
  const EGLContext share = shareWith != nullptr ? shareWith->context_ : EGL_NO_CONTEXT;
  made->context_ = Faulted(ContextStep::kCreateContext) ? EGL_NO_CONTEXT
                                                        : CreateNativeContext(info, share, profile);
  if (made->context_ == EGL_NO_CONTEXT) return nullptr;
  made->handle_ = NewHandle();
  if (Faulted(ContextStep::kMakeCurrent) || !made->MakeCurrent()) return nullptr;
  return made;
}

GlContext::~GlContext() {
  const EGLDisplay display = Display().display;
  if (context_ != EGL_NO_CONTEXT) {
    // Leave the thread with nothing current when this context is current on it; a context
    // current elsewhere is destroyed by EGL once that thread lets go of it.
    const EGLenum api = eglQueryAPI();
    eglBindAPI(EGL_OPENGL_API);
    if (eglGetCurrentContext() == context_) {
      eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
      if (currentHandle == handle_) currentHandle = 0;
    }
    eglBindAPI(api);
    eglDestroyContext(display, context_);
  }
  if (surface_ != EGL_NO_SURFACE) eglDestroySurface(display, surface_);
}

bool GlContext::MakeCurrent() const noexcept {
  const EGLDisplay display = Display().display;
  if (eglBindAPI(EGL_OPENGL_API) != EGL_TRUE) return false;
  if (eglMakeCurrent(display, surface_, surface_, context_) != EGL_TRUE) return false;
  // glbinding knows the handle only after InitializeBinding; until then the context is current
  // for EGL alone and no handle counts as selected.
  if (!initialized_.load()) {
    currentHandle = 0;
    return true;
  }
  currentHandle = handle_;
  glbinding::Binding::useContext(handle_);
  return true;
}

void GlContext::InitializeBinding() const {
  glbinding::Binding::initialize(handle_, true, false);
  glbinding::Binding::useContext(handle_);
  initialized_.store(true);
  currentHandle = handle_;
}

}  // namespace Orvane::Mosaira::Platform
