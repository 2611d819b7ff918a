#include "platform/GlContext.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>

#include <atomic>
#include <cstring>

#include "platform/ContextCommon.h"

namespace Orvane::Mosaira::Platform {
namespace {

std::atomic<bool> forcePbuffer{false};

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

void ForcePbufferSurfaces(bool force) noexcept { forcePbuffer.store(force); }

void* SharedDisplay() noexcept {
  return Display().display;
}

std::unique_ptr<GlContext> GlContext::Create(const GlContext* shareWith, ContextProfile profile) {
  const DisplayInfo& info = Display();
  if (detail::Faulted(ContextStep::kDisplay) || info.display == EGL_NO_DISPLAY) return nullptr;
  if (detail::Faulted(ContextStep::kBindApi) || eglBindAPI(EGL_OPENGL_API) != EGL_TRUE) return nullptr;

  std::unique_ptr<GlContext> made(new GlContext());
  made->surface_ = EGL_NO_SURFACE;
  if (!info.surfaceless || forcePbuffer.load()) {
    const EGLint size[] = {EGL_WIDTH, 8, EGL_HEIGHT, 8, EGL_NONE};
    made->surface_ = detail::Faulted(ContextStep::kCreateSurface)
                         ? EGL_NO_SURFACE
                         : eglCreatePbufferSurface(info.display, info.config, size);
    if (made->surface_ == EGL_NO_SURFACE) return nullptr;
  }
  const EGLContext share = shareWith != nullptr ? shareWith->context_ : EGL_NO_CONTEXT;
  made->context_ = detail::Faulted(ContextStep::kCreateContext) ? EGL_NO_CONTEXT
                                                        : CreateNativeContext(info, share, profile);
  if (made->context_ == EGL_NO_CONTEXT) return nullptr;
  made->handle_ = detail::NewHandle();
  if (detail::Faulted(ContextStep::kMakeCurrent) || !made->MakeCurrent()) return nullptr;
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
      if (CurrentBindingHandle() == handle_) ForgetCurrentBindingHandle();
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
  detail::SelectAfterMakeCurrent(handle_, initialized_.load());
  return true;
}

}  // namespace Orvane::Mosaira::Platform
