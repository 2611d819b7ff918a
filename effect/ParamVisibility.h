// Showing the parameters the loaded layout uses, and clearing a parameter's keyframes, through
// the host's AEGP suites.
#pragma once

#include <cstddef>

#include "sdk/aegp_suites.h"
#include "sdk/pf_effect.h"

namespace Orvane::Mosaira {

// Which parameters are shown for a layout of `pointCount` free points, `sliderCount` sliding points
// and `frameCount` frames (`hasLayout` false: everything from 2 to 94 hidden). "Layouts" and the
// input layer are never hidden.
struct VisibilityPlan {
  bool hasLayout = false;
  size_t pointCount = 0;
  size_t sliderCount = 0;
  size_t frameCount = 0;

  bool Shown(PF_ParamIndex index) const;
};

// Hides and shows parameters 2 to 94 by the instance's current layout (dynamic HIDDEN flag; a
// parameter whose flag already matches is left alone), collapses the twirls of the visible sliders
// and polygon groups, and sets PF_OutFlag_REFRESH_UI. Acquires "PF Param Utils Suite" 3, "AEGP
// Effect Suite" 2, "AEGP PF Interface Suite" 1, "AEGP Dynamic Stream Suite" 2 and "AEGP Stream
// Suite" 7 (throws 13 when one is missing). A parameter whose stream or flags cannot be read is
// skipped.
void UpdateParamVisibility(PF_InData* inData, PF_OutData* outData, PF_ParamDef* params[]);

// Deletes every keyframe of parameter `index` of the effect `effect` (the caller's handle).
// Acquires "AEGP Stream Suite" 7 and "AEGP Keyframe Suite" 3 (throws 13 when one is missing).
void DeleteAllKeyframes(PF_InData* inData, AEGP_PluginID pluginId, AEGP_EffectRefH effect,
                        PF_ParamIndex index);

}  // namespace Orvane::Mosaira
