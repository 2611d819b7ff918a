// Showing the parameters the loaded layout uses, and clearing a parameter's keyframes, through
// the host's AEGP suites.
#pragma once

#include <cstddef>

#include "layout/GridLayoutModel.h"
#include "sdk/HostCalls.h"
#include "sdk/aegp_suites.h"
#include "sdk/pf_effect.h"
#include "sdk/pf_suites.h"

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

// The suites that show, hide and clear parameters, acquired together for one command: "PF Param
// Utils Suite" 3, "AEGP Effect Suite" 2, "AEGP PF Interface Suite" 1, "AEGP Dynamic Stream Suite" 2
// and "AEGP Stream Suite" 7. Construction throws A_Err_MISSING_SUITE when one is missing.
struct ParamStreamSuites {
  explicit ParamStreamSuites(const PF_InData* inData);

  ScopedSuite<PF_ParamUtilsSuite3> paramUtils;
  ScopedSuite<AEGP_EffectSuite2> effect;
  ScopedSuite<AEGP_PFInterfaceSuite1> pfInterface;
  ScopedSuite<AEGP_DynamicStreamSuite2> dynamicStream;
  ScopedSuite<AEGP_StreamSuite7> stream;
};

// Hides and shows parameters 2 to 94 by `layout` (null: no layout) through the dynamic HIDDEN flag
// (a parameter whose flag already matches is left alone), collapses the twirls of the visible
// sliders and polygon groups, and sets PF_OutFlag_REFRESH_UI. A parameter whose stream or flags
// cannot be read is skipped.
void UpdateParamVisibility(const ParamStreamSuites& suites, PF_InData* inData,
                           PF_OutData* outData, PF_ParamDef* params[],
                           const GridLayoutModel* layout);

// Deletes every keyframe of parameter `index` of the effect `effect` (the caller's handle).
void DeleteAllKeyframes(const ParamStreamSuites& suites, const AEGP_KeyframeSuite3& keys,
                        AEGP_PluginID pluginId, AEGP_EffectRefH effect, PF_ParamIndex index);

}  // namespace Orvane::Mosaira
