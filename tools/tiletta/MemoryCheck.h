// Whether a session fits in the memory and the address space this process may use, checked before
// the plug-in's driver or the render's storage is made: past either, the driver or an allocation
// fails half-way (the software driver even crashes), and the user learns less than the sizes.
#pragma once

#include <string>

#include "tools/tiletta/Session.h"

namespace Orvane::Mosaira::Cli {

// Throws RenderError when the address space the graphics driver reserves (with, when `render` is
// given, what a render of its size needs besides its layers) does not fit under the process's
// address-space limit (RLIMIT_AS, `ulimit -v`), if one is set.
void CheckDriverAddressSpace(const RenderOptions* render);

// Throws RenderError when the render of `o` with layers of `layerPixels` pixels in all needs more
// memory than the process may use, or, with what the driver reserves, more address space than its
// limit. Remembers the need for RenderNeedText.
void CheckMemory(const RenderOptions& o, double layerPixels);

// "a 1920x1080 8-bit render of these layers needs about 0.3 GB" for the last render checked; empty
// before any.
std::string RenderNeedText();

}  // namespace Orvane::Mosaira::Cli
