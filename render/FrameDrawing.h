// Filling one layout frame with its layer: cover-fitted into the frame's inset polygon, zoomed
// about its own centre, shifted, and clipped to the (rounded) inset outline.
#pragma once

#include <cmath>
#include <vector>

#include "layout/GridLayoutModel.h"
#include "sdk/pf_effect.h"

namespace Orvane::Mosaira {

// A layout scale the frames can be drawn under: finite and above 0.
inline bool UsableScale(double s) { return std::isfinite(s) && s > 0.0; }

// Queues the fill of frame `k` of `layout` on the render's vector-drawing context, inside a begun
// frame whose transform carries the layout scale (sx, sy), layer pixels of the input buffer per
// layout unit. Reads the frame's parameters ("Round Corner", then the group's "X offset",
// "Y offset", "Scale" and "Layer") at in_data's time, checking each in as soon as it is read;
// "Layer" stays out until its pixels are up, so one layer at a time is out. The layer goes up into
// a new texture (`output` is the destination world of the host's float iteration), wrapped as an
// image that owns the texture and whose id is appended to `images`: the caller deletes it once
// the vector-drawing frame has ended, which deletes the texture too.
//
// Not drawn (nothing appended, no texture left): no layer, an empty one, "Scale" not above 0, a
// layout scale or image transform that is not finite in single precision, a layer whose pixels the
// host does not give (no address, rows too short, a layout it does not name), an image that
// cannot be registered. Returns the first error of the parameter checkouts and check-ins (0 when
// none); PF_Err_BAD_CALLBACK_PARAM for a frame index outside the layout or its nine groups, or no
// vector-drawing context (no host call then). Throws the integer A_Err_MISSING_SUITE when "PF
// World Suite" cannot be acquired, and what UploadLayerTexture throws otherwise, with everything
// checked in, released and deleted first. Needs the render's context current and the render lock.
PF_Err DrawPolygonLayer(PF_InData* in_data, PF_EffectWorld* output, double sx, double sy, int k,
                        const GridLayoutModel& layout, std::vector<int>* images);

}  // namespace Orvane::Mosaira
