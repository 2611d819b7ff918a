// Placeholder for the event handler of LaterHandlers.h until the on-screen controls provide it: it
// answers 0 and changes nothing. This file is removed when they land.
#include "effect/LaterHandlers.h"

namespace Orvane::Mosaira {

PF_Err HandleEvent(PF_InData*, PF_OutData*, PF_ParamDef*[], PF_LayerDef*, PF_EventExtra*) {
  return PF_Err_NONE;
}

}  // namespace Orvane::Mosaira
