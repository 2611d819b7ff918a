// Keeping the layout and its point and slider parameters in step.
//
// Point parameter i (index 5 + i) mirrors the free point pointIds[i] in 16.16 fixed-point layer
// coordinates; slider parameter i (index 31 + i) mirrors the sliding point sliderIds[i] in percent
// along its vector. Only the first 24 free points and 9 sliding points have parameters.
#pragma once

#include <cstdint>

#include "effect/SequenceData.h"
#include "layout/GridLayoutModel.h"
#include "sdk/pf_effect.h"
#include "sdk/pf_suites.h"

namespace Orvane::Mosaira {

enum class SyncMode : int32_t {
  kSyncAll = 0,  // points, then sliders
  kSyncPoints = 1,
  kSyncSliders = 2,
};

// Layer pixels of a checked-out 16.16 value under a downsampling factor (den / num, in single
// precision): factor * value / 65536. Not finite when the factor is not (num 0).
double FixedToLayerPixels(PF_Fixed value, const PF_RationalScale& downsample);

// Writes the position of each free point of the instance's layout (the live record in in_data's
// sequence data) into params[5 + i] as 16.16 layer pixels, marks it changed and updates its UI
// through "PF Param Utils Suite" 3, acquired for the call (throws A_Err_MISSING_SUITE when
// missing). The point parameters then hold the layout's own pixels, whatever size they were
// read at before. Nothing happens, and no suite is acquired, without a layout or params.
// Parameters written at another layer size that hold keyframes (asked of the AEGP suites) are
// written at that size instead, so that the keyframes at other times, which this write does not
// change, keep one size with it and stay readable.
void PushPointsToParams(PF_InData* inData, PF_ParamDef* params[]);

// The same for the sliding points: each one's place along its vector, in percent, into
// params[31 + i].
void PushSlidersToParams(PF_InData* inData, PF_ParamDef* params[]);

// Reads the point and/or slider parameters (checked out at in_data's time) into the record's
// layout, re-insetting the frames with the layout's own spacing after the points and again after
// the sliders. A parameter that
// cannot be checked out, or whose value gives no finite target, leaves its point unchanged.
// Nothing happens without a layout. Reading the same values again leaves the layout where the
// first reading put it.
//
// The layout stands at the layer's size (UnFlatSequenceData::LayoutFor). Point parameters
// written at another layer size (a project saved before the layer was resized, or a layer
// resized since) are read scaled to the layout's size until the effect writes them again
// (PushPointsToParams): their size is told, on the first reading after a layout was rebuilt
// from saved text, by the points themselves (the size most of them tell, which every point must
// agree with, a point held on the layer's edge by lying beyond it included), and kept by the
// record as `pointParamsSize`.
//
// The result is the record's layout afterwards (null for none): a layout pointer taken before
// the call must not be used after it, since LayoutFor may replace the layout for a new layer size.
GridLayoutModel* SyncLayoutFromParams(PF_InData* inData, UnFlatSequenceData& record,
                                      SyncMode mode);

// Gives the layout the "Edge Inset" `spacing` (layout units) and re-insets its frames once; a
// layout that has that spacing already keeps its insets, which every change of the layout keeps
// current. Nothing happens without a layout.
void ApplyEdgeInset(GridLayoutModel* layout, float spacing);

}  // namespace Orvane::Mosaira
