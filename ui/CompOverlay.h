// The overlay drawn over the picture in the composition and layer windows: every frame's outline
// and number, every move button as a capsule and every sliding point as a turned ellipse, all in
// kAccentColour, sizes in frame pixels.
#pragma once

#include <cstdint>

#include "layout/GridLayoutModel.h"
#include "sdk/drawbot.h"
#include "sdk/pf_effect.h"
#include "sdk/pf_events.h"
#include "ui/InstanceLink.h"

namespace Orvane::Mosaira {

// PF_Event_DRAW outside the effect-controls window. Without a layout: 0, not handled. Otherwise
// clears `interacting`, brings the layout up from the parameters (link's sync hook) and, in the
// composition or layer window, draws. A Drawbot suite that cannot be acquired: nothing drawn, not
// handled, the acquisition's error. A missing Custom UI suite throws A_Err_MISSING_SUITE. A null
// drawing reference: nothing drawn, handled, the reference's error. Otherwise handled, 0.
PF_Err DrawCompOverlay(PF_InData* inData, PF_OutData* outData, PF_EventExtra* extra,
                       const InstanceLink& link);

// Strokes frame `frameIndex`'s outline through its points' twins (not when one has no position)
// and draws its number frameIndex + 1 (FrameNumberPosition). Nothing without a drawing reference.
void DrawFrameOutline(const PF_InData* inData, const PF_EventExtra& extra, DRAWBOT_DrawRef drawRef,
                      const DRAWBOT_Suites& suites, const FrameModel& frame, int32_t frameIndex,
                      const GridLayoutModel& layout);

// Fills the button's capsule at its centre (the origin when it has none); first Drawbot error.
PF_Err DrawMoveButton(const PF_InData* inData, DRAWBOT_DrawRef drawRef,
                      const DRAWBOT_Suites& suites, const DRAWBOT_ColorRGBA& colour,
                      const PF_EventExtra& extra, const GridLayoutModel& layout,
                      const MoveButtonModel& button);

// Fills the point's marker at its position (the origin when it has none), turned along its
// vector; first Drawbot error.
PF_Err DrawPointMarker(const PF_InData* inData, DRAWBOT_DrawRef drawRef,
                       const DRAWBOT_Suites& suites, const DRAWBOT_ColorRGBA& colour,
                       const PF_EventExtra& extra, const GridLayoutModel& layout,
                       const PointModel& point);

}  // namespace Orvane::Mosaira
