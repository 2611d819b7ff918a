// The OpenGL part of one SmartFX render: every frame of a layout filled with its layer into the
// host's output world.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "layout/GridLayoutModel.h"
#include "render/FrameDrawing.h"
#include "sdk/pf_effect.h"

namespace Orvane::Mosaira {

// Everything a render needs from the host, checked out beforehand by the caller, who keeps it
// alive (and checked out) until RenderLayoutFrames returns.
struct LayoutRenderJob {
  PF_InData* inData = nullptr;
  PF_EffectWorld* input = nullptr;   // the input layer; its size is the render's size
  PF_EffectWorld* output = nullptr;  // written whole; row padding left alone
  PF_PixelFormat format = PF_PixelFormat_ARGB32;  // of the input and output worlds
  GridLayoutModel* layout = nullptr;  // drawn in layout units under the layout scale
  float spacing = 0.0f;               // "Edge Inset" in layout units; set on the layout
  std::vector<FrameLayer> frames;     // one per layout frame, in frame order (missing = none)
  // Called with k once frame k's layer is read no more (its pixels gone up, or the frame not
  // drawn), in frame order, on the render's thread: its checkout may end there. Optional.
  std::function<void(std::size_t k)> layerDone;
};

// The layout scale: input width and height (through single precision) over the layout's size.
void LayoutScale(const PF_EffectWorld& input, const GridLayoutModel& layout, double* sx, double* sy);

enum class RenderOutcome {
  kDrawn,           // the output world holds the picture
  kEmptyInput,      // an empty input world (an empty layer): nothing to draw, output untouched
  kOutputTooLarge,  // a side beyond the driver's limit: nothing drawn, output untouched
};

struct RenderResult {
  RenderOutcome outcome = RenderOutcome::kDrawn;
  std::int32_t largestSide = 0;  // the driver's largest texture and renderbuffer side, once asked
};

// Renders `job` under RenderLock() on the calling thread's own context and restores the
// calling thread's context afterwards, on every path. Throws before any OpenGL work: the
// integer 516 for an unknown pixel format, missing worlds or layout, or a renderer that is not
// set up (global set-up failed or never ran). During the work: AESDK_OpenGL_Fault when the
// thread's context cannot be made, and what the pixel transfer throws; the vector-drawing frame
// is cancelled, its images deleted and the pushed layers discarded first, so that the next
// render starts clean. A layout scale that is not finite and positive draws no frame.
// Storage stays with the renderer for the next render of the same size and depth (see
// OpenglFboRenderer.h); whatever happens, the layer textures this render did not use are freed.
RenderResult RenderLayoutFrames(LayoutRenderJob& job);

}  // namespace Orvane::Mosaira
