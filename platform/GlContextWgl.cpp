#include "platform/GlContext.h"

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <cstring>
#include <string>

#include "platform/ContextCommon.h"

namespace Orvane::Mosaira::Platform {
namespace {

constexpr int kWglContextMajorVersionArb = 0x2091;
constexpr int kWglContextMinorVersionArb = 0x2092;
constexpr DWORD kWindowExStyle = WS_EX_APPWINDOW | WS_EX_WINDOWEDGE;
constexpr int kWindowSizePx = 8;

using GetExtensionsStringArbProc = const char*(WINAPI*)(HDC);
using CreateContextAttribsArbProc = HGLRC(WINAPI*)(HDC, HGLRC, const int*);

// Looked up when a driver-default context is made; read when 3.3 contexts are made.
std::atomic<GetExtensionsStringArbProc> getExtensionsString{nullptr};
std::atomic<CreateContextAttribsArbProc> createContextAttribs{nullptr};
std::atomic<unsigned> windowClassCounter{0};

// "AEOpenGL_Win_Class" + the owner's address in decimal + "_" + a process-wide counter, so that
// two contexts made one after another at the same address still get different classes.
std::string WindowClassName(const void* owner) {
  const auto address = static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(owner));
  return "AEOpenGL_Win_Class" + std::to_string(address) + "_" + std::to_string(windowClassCounter.fetch_add(1));
}

HINSTANCE ProcessInstance() { return GetModuleHandleA(nullptr); }

bool RegisterWindowClass(const std::string& name) {
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.hInstance = ProcessInstance();
  windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  windowClass.lpszClassName = name.c_str();
  return RegisterClassExA(&windowClass) != 0;
}

// Never shown: all drawing goes to framebuffer objects.
HWND CreateHiddenWindow(const std::string& className) {
  return CreateWindowExA(kWindowExStyle, className.c_str(), "OpenGL-using FBOs in AE", 0, 0, 0, kWindowSizePx,
                         kWindowSizePx, nullptr, nullptr, nullptr, nullptr);
}

bool SetRgbaPixelFormat(HDC dc) {
  PIXELFORMATDESCRIPTOR format{};
  format.nSize = sizeof format;
  format.nVersion = 1;
  format.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL;
  format.iPixelType = PFD_TYPE_RGBA;
  format.cColorBits = 32;
  format.cDepthBits = 8;
  const int index = ChoosePixelFormat(dc, &format);
  return index != 0 && SetPixelFormat(dc, index, &format) == TRUE;
}

template <typename Proc>
Proc LookUp(const char* name) {
  return reinterpret_cast<Proc>(reinterpret_cast<void*>(wglGetProcAddress(name)));
}

// Needs a context current on `dc`. An earlier lookup is kept when the driver does not list the
// extension this time.
bool LoadExtensions(HDC dc) {
  const auto getExtensions = LookUp<GetExtensionsStringArbProc>("wglGetExtensionsStringARB");
  if (getExtensions == nullptr) return false;
  getExtensionsString.store(getExtensions);
  const char* extensions = getExtensions(dc);
  if (extensions != nullptr && std::strstr(extensions, "WGL_ARB_create_context") != nullptr) {
    createContextAttribs.store(LookUp<CreateContextAttribsArbProc>("wglCreateContextAttribsARB"));
  }
  return createContextAttribs.load() != nullptr;
}

// The driver's default context, current on `dc` on success.
HGLRC CreateLegacyContext(HDC dc) {
  HGLRC context = detail::Faulted(ContextStep::kCreateContext) ? nullptr : wglCreateContext(dc);
  if (context == nullptr) return nullptr;
  if (detail::Faulted(ContextStep::kMakeCurrent) || wglMakeCurrent(dc, context) != TRUE) {
    wglDeleteContext(context);
    return nullptr;
  }
  if (detail::Faulted(ContextStep::kExtensions) || !LoadExtensions(dc)) {
    wglMakeCurrent(nullptr, nullptr);
    wglDeleteContext(context);
    return nullptr;
  }
  return context;
}

// The 3.3 entry point is found through a legacy context; one is made (and dropped) when no
// driver-default context was made in this process before.
bool EnsureContextAttribs(HDC dc) {
  if (createContextAttribs.load() != nullptr) return true;
  HGLRC probe = CreateLegacyContext(dc);
  if (probe == nullptr) return false;
  wglMakeCurrent(nullptr, nullptr);
  wglDeleteContext(probe);
  return true;
}

// A 3.3 context in the share group of `share` (when given), current on `dc` on success. Lists are
// shared before the context is first made current: drivers refuse to share into a context that
// has been current.
HGLRC CreateCore33Context(HDC dc, HGLRC share) {
  if (!EnsureContextAttribs(dc)) return nullptr;
  const int attributes[] = {kWglContextMajorVersionArb, 3, kWglContextMinorVersionArb, 3, 0};
  HGLRC context = detail::Faulted(ContextStep::kCreateContext) ? nullptr
                                                              : createContextAttribs.load()(dc, nullptr, attributes);
  if (context == nullptr) return nullptr;
  const bool shared =
      share == nullptr || (!detail::Faulted(ContextStep::kShareLists) && wglShareLists(share, context) == TRUE);
  if (!shared || detail::Faulted(ContextStep::kMakeCurrent) || wglMakeCurrent(dc, context) != TRUE) {
    wglDeleteContext(context);
    return nullptr;
  }
  return context;
}

}  // namespace

void ForcePbufferSurfaces(bool) noexcept {}

void* SharedDisplay() noexcept { return nullptr; }

std::unique_ptr<GlContext> GlContext::Create(const GlContext* shareWith, ContextProfile profile) {
  std::unique_ptr<GlContext> made(new GlContext());
  const std::string className = WindowClassName(made.get());
  if (detail::Faulted(ContextStep::kWindowClass) || !RegisterWindowClass(className)) return nullptr;
  made->windowClass_ = className;
  made->window_ = detail::Faulted(ContextStep::kWindow) ? nullptr : CreateHiddenWindow(className);
  if (made->window_ == nullptr) return nullptr;
  const HDC dc = GetDC(static_cast<HWND>(made->window_));
  made->surface_ = dc;
  if (dc == nullptr || detail::Faulted(ContextStep::kPixelFormat) || !SetRgbaPixelFormat(dc)) return nullptr;
  const HGLRC share = shareWith != nullptr ? static_cast<HGLRC>(shareWith->context_) : nullptr;
  made->context_ = profile == ContextProfile::kCore33 ? CreateCore33Context(dc, share) : CreateLegacyContext(dc);
  if (made->context_ == nullptr) return nullptr;
  made->handle_ = detail::NewHandle();
  if (!made->MakeCurrent()) return nullptr;
  return made;
}

GlContext::~GlContext() {
  if (context_ != nullptr) {
    if (wglGetCurrentContext() == static_cast<HGLRC>(context_)) {
      wglMakeCurrent(nullptr, nullptr);
      if (CurrentBindingHandle() == handle_) ForgetCurrentBindingHandle();
    }
    wglDeleteContext(static_cast<HGLRC>(context_));
  }
  if (surface_ != nullptr) ReleaseDC(static_cast<HWND>(window_), static_cast<HDC>(surface_));
  if (window_ != nullptr) DestroyWindow(static_cast<HWND>(window_));
  if (!windowClass_.empty()) UnregisterClassA(windowClass_.c_str(), ProcessInstance());
}

bool GlContext::MakeCurrent() const noexcept {
  if (wglMakeCurrent(static_cast<HDC>(surface_), static_cast<HGLRC>(context_)) != TRUE) return false;
  detail::SelectAfterMakeCurrent(handle_, initialized_.load());
  return true;
}

}  // namespace Orvane::Mosaira::Platform
