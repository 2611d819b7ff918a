// Filling one layout frame with its layer: cover-fitted into the frame's inset polygon, zoomed
// about its own centre, shifted, and clipped to the (rounded) inset outline.
#pragma once

#include <vector>

#include "layout/FrameModel.h"
#include "render/Renderer.h"
#include "sdk/pf_effect.h"

struct NVGcontext;

namespace Orvane::Mosaira {
class LayerTexturePool;
}

namespace Orvane::Mosaira {

// Queues the fill of `frame` on `ctx` (inside a begun frame whose transform carries the layout
// scale (sx, sy), layer pixels per layout unit). The layer goes up into a texture taken from
// `pool`, wrapped as an image (which leaves the texture to the pool) that the caller deletes
// after the frame ends: its id is appended to `images`. Once this returns, the layer's pixels
// are no longer read. A frame that is not drawn adds nothing, nor does an image that cannot be
// registered. Not drawn either: a frame whose image transform is not finite in single precision,
// and a layer whose pixels the host does not give (the upload's PF_Err_BAD_CALLBACK_PARAM).
// Needs the render's context current. Throws what UploadLayerToPool throws.
void DrawFrameLayer(NVGcontext* ctx, const FrameModel& model, const FrameLayer& frame, double sx,
                    double sy, PF_InData* inData, LayerTexturePool* pool, std::vector<int>* images);

}  // namespace Orvane::Mosaira
