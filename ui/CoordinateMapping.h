// Mappings between layer pixels and the frame pixels of an event's window, through the host's
// coordinate callbacks of the event record. Callbacks the record lacks are skipped; their error
// results are not read.
#pragma once

#include "sdk/pf_effect.h"
#include "sdk/pf_events.h"

namespace Orvane::Mosaira {

// Layer pixels to the nearest whole frame pixel, for drawing: 16.16 (half away from zero),
// layer_to_comp in the composition window only, then source_to_frame, then rounded (halves
// upwards) and clamped to the signed 16-bit range.
PF_Point LayerToFramePoint(const PF_InData* inData, const PF_EventExtra& extra, double x, double y);

// Whole frame pixels (the mouse) to the whole layer pixel at or below the exact position:
// frame_to_source, then comp_to_layer (in the layer window too).
PF_Point FrameToLayerPoint(const PF_InData* inData, const PF_EventExtra& extra, A_long h, A_long v);

}  // namespace Orvane::Mosaira
