#include "render/RenderGlobals.h"

namespace Orvane::Mosaira {

void RenderGlobalSetup() {}

void RenderGlobalSetdown() noexcept {}

}  // namespace Orvane::Mosaira
