// Process-wide objects of the renderer that live from global set-up to global set-down.
#pragma once

#include "render/FullScreenPasses.h"

namespace Orvane::Mosaira {

// The flip pass of every render; null outside set-up .. set-down. Its GL objects are made on
// its first draw and released at set-down with the root current.
OpenglFlipQuad* FlipQuad() noexcept;

}  // namespace Orvane::Mosaira
