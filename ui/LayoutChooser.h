// The layout chooser in the control area of the "Layouts" parameter in the effect-controls window:
// a scrolling grid of the built-in layouts' thumbnails, a scroll bar at the right edge and a hint
// strip along the bottom. A double click on a thumbnail sets "Layouts" to that layout; dragging the
// scroll thumb scrolls the grid. Each instance keeps its scroll position in its record's
// scrollStart; the grid and scroll geometry are process-wide (ChooserGeometry.h), and a drag
// re-lays them out from its own control when another instance laid them out last. Nothing is
// drawn outside the control rectangle.
#pragma once

#include <cstdint>

#include "layout/GridLayoutModel.h"
#include "sdk/drawbot.h"
#include "sdk/pf_effect.h"
#include "sdk/pf_events.h"
#include "ui/InstanceLink.h"

namespace Orvane::Mosaira {

// PF_Event_DRAW of the effect-controls window. Outside the control area: 0, not handled. A Drawbot
// suite that cannot be acquired: nothing drawn, not handled, the acquisition's error (a missing
// Custom UI or App suite throws A_Err_MISSING_SUITE). A null drawing reference: nothing drawn,
// handled, the reference's error. Otherwise draws background, grid, scroll bar (only when the
// content overflows) and hint strip; handled once drawn, 0. The thumb is placed at the record's
// scrollStart kept to the range the control allows; the record keeps its own value. A Drawbot
// object that cannot be made throws DRAWBOT_Exception with the event not marked handled.
PF_Err DrawLayoutChooser(PF_InData* inData, PF_OutData* outData, PF_EventExtra* extra,
                         const InstanceLink& link);

// PF_Event_DO_CLICK of the effect-controls window; answers 0. Outside the control area: not
// handled. Without a live record: handled, nothing else. A single click on the scroll thumb
// starts a drag (send_drag, v in continue_refcon[0], the drag token in [2..3]) and, whenever the
// content overflows, traces "hit scroll bar:yes" or "hit scroll bar:no". A double click inside a
// visible cell sets params[link.layoutsParam] to the thumbnail's index + 2 with
// PF_ChangeFlag_CHANGED_VALUE. Handled.
PF_Err HandleLayoutChooserClick(PF_InData* inData, PF_ParamDef* params[], PF_EventExtra* extra,
                                const InstanceLink& link);

// PF_Event_DRAG of the effect-controls window's control area; answers 0. Without a live record,
// this instance's drag token or a scroll bar: send_drag cleared, nothing moves. Otherwise moves
// the thumb by the mouse's vertical movement, kept in its track, stores the new scrollStart,
// keeps the drag going, marks "Layouts" changed (value unchanged) so the host redraws, handled,
// and traces "offsetY:<movement>".
PF_Err HandleLayoutChooserDrag(PF_InData* inData, PF_ParamDef* params[], PF_EventExtra* extra,
                               const InstanceLink& link);

// Fills one frame of a preview layout, at the cell whose top-left corner is cellOrigin (left,
// top), with `fill` and outlines it with `stroke` (1 px), both kept inside `clip`: where `clip`
// cuts the frame, the outline is left open along the cut. Nothing without a drawing reference or
// when a point of the frame has no position.
void DrawThumbnailFrame(DRAWBOT_DrawRef drawRef, const DRAWBOT_Suites& suites,
                        const FrameModel& frame, const GridLayoutModel& preview,
                        const DRAWBOT_ColorRGBA& fill, const DRAWBOT_ColorRGBA& stroke,
                        const int32_t cellOrigin[2], const PF_Rect& clip);

}  // namespace Orvane::Mosaira
