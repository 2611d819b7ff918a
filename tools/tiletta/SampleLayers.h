// The generated sample layers of the picture commands: for each frame a colour field of its own
// hue with a grid and the frame's number, at the size of the frame's inset box.
#pragma once

#include <memory>
#include <vector>

#include "host/HostWorld.h"
#include "tools/tiletta/Session.h"

namespace Orvane::Mosaira::Cli {

// Sample layer `number` (1 to 9) as a host world of `format`, `size` pixels.
std::unique_ptr<HostWorld> SampleLayerWorld(int number, PixelSize size, PF_PixelFormat format);

// The size of a sample layer for each of the first `frameCount` frames of built-in layout
// `layoutIndex`: the frame's inset box at the options' size and edge inset, so that the cover
// fit shows the whole sample, its number included (a frame that is empty at this inset gets a
// layer of the whole size). At least 16 pixels a side.
std::vector<PixelSize> SampleSizes(size_t layoutIndex, const RenderOptions& o, size_t frameCount);

}  // namespace Orvane::Mosaira::Cli
