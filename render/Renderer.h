// The renderer as the effect shell sees it: process-wide set-up and set-down, the pixel layouts a
// render accepts, and one render of a layout's frames into the host's output world. The shell
// includes this header and no other of render/.
#pragma once

#include <cstddef>
#include <cstdint>

#include "layout/GridLayoutModel.h"
#include "sdk/pf_effect.h"

namespace Orvane::Mosaira {

// Makes the renderer's process-wide objects (see RenderGlobals.h) with the calling thread's own
// context saved first and restored afterwards. When they exist already (set-up again without
// set-down), the old ones are released first and replaced. Throws (AESDK_OpenGL_Fault, or an
// integer host error) on failure, after releasing what it made and restoring the caller's context.
void RenderGlobalSetup();

// Releases every OpenGL object of the renderer, every per-thread context and the root context,
// restoring the caller's context afterwards. Safe when set-up never ran or failed; never throws.
void RenderGlobalSetdown() noexcept;

// True for the three pixel layouts a render reads and writes: PF_PixelFormat_ARGB32, ARGB64 and
// ARGB128.
bool AcceptsPixelFormat(PF_PixelFormat format);

// Frame values from a project may be anything: the frame drawing holds offsets and scale to
// +-kFarOut first. Offsets and scales beyond this magnitude draw as this one does (the layer moved
// out of its frame, or zoomed to its centre), and stay finite through every single-precision step
// of the drawing.
inline constexpr double kFarOut = 1e20;

// A stored value held to +-kFarOut: a project may hold anything, and narrowing a double beyond
// single precision is undefined. NaN stays NaN.
inline double HoldFar(double value) {
  if (value > kFarOut) return kFarOut;
  if (value < -kFarOut) return -kFarOut;
  return value;
}

// Everything a render needs from the host, checked out beforehand by the caller, who keeps it
// alive (and checked out) until RenderLayoutFrames returns. The layout is read, never changed:
// its insets must already be those of the "Edge Inset" to draw with. Each frame's parameters and
// layer are checked out by the render itself, one frame at a time, in frame order.
struct LayoutRenderJob {
  PF_InData* inData = nullptr;
  PF_EffectWorld* input = nullptr;   // the input layer; its size is the render's size
  PF_EffectWorld* output = nullptr;  // written whole; row padding left alone
  PF_PixelFormat format = PF_PixelFormat_ARGB32;  // of the input and output worlds
  const GridLayoutModel* layout = nullptr;  // drawn in layout units under the layout scale
};

// The layout scale: input width and height (through single precision) over the layout's size.
void LayoutScale(const PF_EffectWorld& input, const GridLayoutModel& layout, double* sx, double* sy);

enum class RenderOutcome {
  kDrawn,           // the output world holds the picture
  kEmptyInput,      // an empty input world (an empty layer): nothing to draw, output untouched
  kOutputTooLarge,  // a side beyond the driver's limit: nothing drawn, output untouched
  kLayerTooLarge,   // the driver gave a multisampled layer no storage: nothing drawn, output untouched
  kNoVectorContext, // global set-up could not make the vector-drawing context: nothing drawn,
                    // output untouched, no OpenGL call made
};

struct RenderResult {
  RenderOutcome outcome = RenderOutcome::kDrawn;
  std::int32_t largestSide = 0;  // the driver's largest texture and renderbuffer side, once asked
  std::uint64_t layerBytes = 0;  // kLayerTooLarge: the storage the refused layer asked for
  std::int32_t layerSamples = 0;  // kLayerTooLarge: its samples per pixel
};

// Renders `job` under the render lock on the calling thread's own context and restores the
// calling thread's context afterwards, on every path. Throws before any OpenGL work:
// PF_Err_BAD_CALLBACK_PARAM for a pixel layout AcceptsPixelFormat refuses, missing worlds or
// layout, or a renderer that is not set up (global set-up failed or never ran). During the work:
// AESDK_OpenGL_Fault when the thread's context cannot be made, and what the frame drawing and the
// pixel transfer throw (see FrameDrawing.h and PixelTransfer.h); the vector-drawing frame is
// cancelled, its images deleted and the pushed layers discarded first, so that the next render
// starts clean. A layout scale that is not finite and positive draws no frame. The renderer keeps
// its framebuffers and output storage for the next render of the same size and depth, no layer
// (see OpenglFboRenderer.h); the layer textures are deleted with their images, whatever happens.
RenderResult RenderLayoutFrames(const LayoutRenderJob& job);

}  // namespace Orvane::Mosaira
