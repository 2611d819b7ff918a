// Reshaping the layout with the mouse in the composition and layer windows: a click grabs the move
// button and/or the sliding point under the mouse, drags move the grabbed element by the mouse's
// movement in whole layer pixels, and the cursor shows what a click would grab. All three answer
// 0; none takes a lock.
#pragma once

#include "sdk/pf_effect.h"
#include "sdk/pf_events.h"
#include "ui/InstanceLink.h"

namespace Orvane::Mosaira {

// PF_Event_DO_CLICK. Clears the layout's active ids, sets them from the hit test at the mouse and,
// when something was hit, asks for drags (send_drag) with the mouse's layer position in
// continue_refcon[0..1] and this instance's drag token in [2..3]. Always marked handled.
PF_Err HandleCompClick(PF_InData* inData, PF_EventExtra* extra, const InstanceLink& link);

// PF_Event_DRAG. Without a layout, an active element or this instance's drag token: send_drag
// cleared, not handled, nothing moves. Otherwise moves the active button (or else the active
// point and its twin) by the mouse delta since the last event, re-insets the frames, pushes the
// points and sliders into `params`, keeps the drag going, sets `interacting`, handled.
PF_Err HandleCompDrag(PF_InData* inData, PF_ParamDef* params[], PF_EventExtra* extra,
                      const InstanceLink& link);

// PF_Event_ADJUST_CURSOR, any window. set_cursor is left alone without a layout and in the
// effect-controls window (no coordinate callback is called there); 0 while `interacting`;
// otherwise PF_Cursor_HAND over a sliding point, else PF_Cursor_RESIZE_VERTICAL over an UP_DOWN
// button, PF_Cursor_RESIZE_HORIZONTAL over a LEFT_RIGHT button, else PF_Cursor_NONE. Never marked
// handled.
PF_Err HandleAdjustCursor(PF_InData* inData, PF_EventExtra* extra, const InstanceLink& link);

}  // namespace Orvane::Mosaira
