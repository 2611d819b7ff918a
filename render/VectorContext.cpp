#include "render/VectorContext.h"

#include <atomic>

#include "platform/GlContext.h"
#include "render/NanoVgGl3.h"
#include "render/OpenGLContext.h"
#include "render/RendererTesting.h"

namespace Orvane::Mosaira {
namespace {

std::atomic<bool> injectedFault{false};

}  // namespace

void InjectVectorContextFault() noexcept { injectedFault.store(true); }

VectorContext::VectorContext() {
  if (injectedFault.exchange(false)) throw AESDK_OpenGL_Fault();
  try {
    ctx_ = nvgCreateGL3(NVG_ANTIALIAS);
  } catch (...) {
    ctx_ = nullptr;  // an allocation failure while building the program
  }
  if (ctx_ == nullptr) throw AESDK_OpenGL_Fault();
}

VectorContext::~VectorContext() {
  if (Platform::CurrentBindingHandle() == 0) abandon();
  nvgDeleteInternal(ctx_);
}

void VectorContext::abandon() noexcept { nvglForgetObjectsGL3(ctx_); }

}  // namespace Orvane::Mosaira
