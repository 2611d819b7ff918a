// Placeholders for the handlers of LaterHandlers.h until the renderer and the on-screen controls
// provide them: each answers 0 and changes nothing. This file is removed when they land.
#include "effect/LaterHandlers.h"

namespace Orvane::Mosaira {

PF_Err HandleSmartPreRender(PF_InData*, PF_OutData*, PF_PreRenderExtra*) { return PF_Err_NONE; }

PF_Err HandleSmartRender(PF_InData*, PF_OutData*, PF_SmartRenderExtra*) { return PF_Err_NONE; }

PF_Err HandleEvent(PF_InData*, PF_OutData*, PF_ParamDef*[], PF_LayerDef*, PF_EventExtra*) {
  return PF_Err_NONE;
}

}  // namespace Orvane::Mosaira
