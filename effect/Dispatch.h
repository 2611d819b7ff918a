// Command dispatch behind the library's entry point.
#pragma once

#include "sdk/pf_effect.h"

namespace Orvane::Mosaira {

// Runs command `cmd` and returns its result. Numbers below 0, above 28 or without a handler return
// 0 at once. Every exception of a command is caught here and answered with
// PF_Err_BAD_CALLBACK_PARAM; so is a command that needs in_data or out_data and gets none.
// `output` is the entry point's output world; no command uses it (SmartFX renders check their
// output out), so it may be null.
PF_Err DispatchCommand(PF_Cmd cmd, PF_InData* inData, PF_OutData* outData, PF_ParamDef* params[],
                       PF_LayerDef* output, void* extra) noexcept;

}  // namespace Orvane::Mosaira
