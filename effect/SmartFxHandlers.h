// The SmartFX commands: pre-render brings the layout up to date and tells the host what the effect
// produces; render checks out the worlds and parameters the drawing needs and hands them to the
// renderer. `record` is the instance's live record as the entry point found it (null for none).
#pragma once

#include "effect/SequenceData.h"
#include "sdk/pf_effect.h"
#include "sdk/pf_smartfx.h"

namespace Orvane::Mosaira {

PF_Err HandleSmartPreRender(PF_InData* inData, PF_PreRenderExtra* extra,
                            UnFlatSequenceData* record);
PF_Err HandleSmartRender(PF_InData* inData, PF_OutData* outData, PF_SmartRenderExtra* extra,
                         UnFlatSequenceData* record);

}  // namespace Orvane::Mosaira
