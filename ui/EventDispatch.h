// The dispatcher of the custom user-interface events (PF_Cmd_EVENT) of the composition, layer and
// effect-controls windows. The effect shell's HandleEvent fills an InstanceLink for the event's
// instance and calls this overload; a host drives it by sending PF_Cmd_EVENT with a
// PF_EventExtra whose contextH names the window.
//
// Dispatch:
//   DO_CLICK (a click that still carries send_drag counts as a DRAG; e_type is rewritten)
//       composition/layer: HandleCompClick          effect controls: HandleLayoutChooserClick
//   DRAG composition/layer: HandleCompDrag          effect controls, control area:
//                                                   HandleLayoutChooserDrag (answers 0)
//   DRAW composition/layer: DrawCompOverlay         effect controls: DrawLayoutChooser
//   ADJUST_CURSOR, any window: HandleAdjustCursor
//   anything else: 0.
// Events outside the effect-controls window of an instance without a layout are not answered
// (0, evt_out_flags untouched). Handlers set evt_out_flags themselves; this never does.
#pragma once

#include "sdk/pf_effect.h"
#include "sdk/pf_events.h"
#include "ui/InstanceLink.h"

namespace Orvane::Mosaira {

// Answers PF_Err_BAD_CALLBACK_PARAM without touching anything when the event record, its window
// context or the parameter array is null; otherwise the chosen handler's result. Throws what the
// handlers throw (A_Err_MISSING_SUITE for a missing suite, DRAWBOT_Exception); the entry point
// answers both with PF_Err_BAD_CALLBACK_PARAM.
PF_Err HandleEvent(PF_InData* inData, PF_OutData* outData, PF_ParamDef* params[],
                   PF_EventExtra* extra, const InstanceLink& link);

}  // namespace Orvane::Mosaira
