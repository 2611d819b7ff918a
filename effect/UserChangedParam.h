// PF_Cmd_USER_CHANGED_PARAM: loading a layout when "Layouts" changes, re-reading the point or
// slider parameters when another watched parameter changes.
#pragma once

#include "effect/SequenceData.h"
#include "sdk/pf_effect.h"

namespace Orvane::Mosaira {

// `record` is the instance's live record as the command found it (null for none). Without a
// live record nothing changes and 0 is returned. Otherwise, by extra->param_index:
// "Layouts" loads layout value - 2 (or none) when the choice changed, shows its parameters,
// clears the old layout's point, slider and polygon keyframes and pushes the new positions;
// indices 0 and 2..28 re-read the points, 30..39 the sliders; 29 and 40..94 change nothing.
// Every handled change sets PF_OutFlag_FORCE_RERENDER. The new layout is built and every suite
// the change needs acquired before the old layout is replaced, so a failure (thrown) leaves the
// old layout and its parameters as they were. PF_Err_BAD_CALLBACK_PARAM when the host gives no
// params or extra block.
PF_Err HandleUserChangedParam(PF_InData* inData, PF_OutData* outData, PF_ParamDef* params[],
                              const PF_UserChangedParamExtra* extra, UnFlatSequenceData* record);

}  // namespace Orvane::Mosaira
