// PF_Cmd_EVENT: the effect's side of the custom user-interface events. It links the event's
// instance (its live record, found by the entry point, null for none, and the parameter
// synchronisation) to the on-screen controls, which dispatch the event (ui/EventDispatch.h).
#pragma once

#include "effect/SequenceData.h"
#include "sdk/pf_effect.h"
#include "sdk/pf_events.h"

namespace Orvane::Mosaira {

PF_Err HandleEvent(PF_InData* inData, PF_OutData* outData, PF_ParamDef* params[],
                   PF_EventExtra* extra, UnFlatSequenceData* record);

}  // namespace Orvane::Mosaira
