#include "render/VectorContext.h"

#include "platform/GlContext.h"
#include "render/NanoVgGl3.h"

namespace Orvane::Mosaira {

std::unique_ptr<VectorContext> VectorContext::Create() {
  NVGcontext* ctx = nullptr;
  try {
    ctx = nvgCreateGL3(NVG_ANTIALIAS);
  } catch (...) {
    ctx = nullptr;  // an allocation failure while building the program
  }
  if (ctx == nullptr) return nullptr;
  try {
    return std::unique_ptr<VectorContext>(new VectorContext(ctx));
  } catch (...) {
    nvgDeleteInternal(ctx);
    return nullptr;
  }
}

VectorContext::~VectorContext() {
  if (Platform::CurrentBindingHandle() == 0) abandon();
  nvgDeleteInternal(ctx_);
}

void VectorContext::abandon() noexcept { nvglForgetObjectsGL3(ctx_); }

}  // namespace Orvane::Mosaira
