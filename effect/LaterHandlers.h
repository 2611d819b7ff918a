// Handlers of the SmartFX and custom UI commands. The entry point dispatches to them; they are
// built with the renderer and the on-screen controls.
#pragma once

#include "sdk/pf_effect.h"
#include "sdk/pf_events.h"
#include "sdk/pf_smartfx.h"

namespace Orvane::Mosaira {

PF_Err HandleSmartPreRender(PF_InData* inData, PF_OutData* outData, PF_PreRenderExtra* extra);
PF_Err HandleSmartRender(PF_InData* inData, PF_OutData* outData, PF_SmartRenderExtra* extra);
PF_Err HandleEvent(PF_InData* inData, PF_OutData* outData, PF_ParamDef* params[],
                   PF_LayerDef* output, PF_EventExtra* extra);

}  // namespace Orvane::Mosaira
