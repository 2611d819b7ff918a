// Test hooks of the renderer, kept apart from its public surface.
#pragma once

namespace Orvane::Mosaira {

// Makes the next vector-drawing context fail to be made, as if the back end could not be built
// (one shot): global set-up then fails. For tests of that failure path.
void InjectVectorContextFault() noexcept;

}  // namespace Orvane::Mosaira
