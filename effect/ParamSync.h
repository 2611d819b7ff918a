// Keeping the layout and its point and slider parameters in step.
//
// Point parameter i (index 5 + i) mirrors the free point pointIds[i] in 16.16 fixed-point layer
// coordinates; slider parameter i (index 31 + i) mirrors the sliding point sliderIds[i] in percent
// along its vector. Only the first 24 free points and 9 sliding points have parameters.
#pragma once

#include <cstdint>

#include "layout/GridLayoutModel.h"
#include "sdk/pf_effect.h"

namespace Orvane::Mosaira {

enum class SyncMode : int32_t {
  kSyncAll = 0,  // points, then sliders
  kSyncPoints = 1,
  kSyncSliders = 2,
};

// Layer pixels to 16.16 fixed point, rounding half away from zero. Values beyond the 16.16 range
// clamp to its ends; NaN gives 0.
PF_Fixed ToFixed16(double pixels);

// Layer pixels of a checked-out 16.16 value under a downsampling factor (den / num, in single
// precision): factor * value / 65536. Not finite when the factor is not (num 0).
double FixedToLayerPixels(PF_Fixed value, const PF_RationalScale& downsample);

// Writes the free points' positions into params[5 + i] (marked changed) and updates their UI.
// Nothing happens without a layout. Acquires "PF Param Utils Suite" 3 (throws 13 when missing).
void PushPointsToParams(PF_InData* inData, PF_ParamDef* params[]);

// Writes the sliding points' fractions, in percent, into params[31 + i] likewise.
void PushSlidersToParams(PF_InData* inData, PF_ParamDef* params[]);

// Reads the point and/or slider parameters (checked out at in_data's time) into the layout and
// then re-insets the frames once, with the layout's own spacing. A parameter that cannot be
// checked out, or whose value gives no finite target, leaves its point unchanged. Nothing happens
// without a layout. Reading the same values again leaves the layout where the first reading put it.
void SyncLayoutFromParams(PF_InData* inData, SyncMode mode);

// Gives the layout the "Edge Inset" `spacing` (layout units) and re-insets its frames once; a
// layout that has that spacing already keeps its insets, which every change of the layout keeps
// current. Nothing happens without a layout.
void ApplyEdgeInset(GridLayoutModel* layout, float spacing);

}  // namespace Orvane::Mosaira
