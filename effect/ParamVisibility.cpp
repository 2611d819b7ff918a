#include "effect/ParamVisibility.h"

#include "effect/ParamIndices.h"
#include "sdk/HostCalls.h"
#include "sdk/pf_suites.h"

namespace Orvane::Mosaira {
namespace {

// One parameter's stream, disposed of when the holder ends.
class ScopedStream {
 public:
  ScopedStream(const AEGP_StreamSuite7& suite, AEGP_PluginID pluginId, AEGP_EffectRefH effect,
               PF_ParamIndex index)
      : suite_(suite) {
    if (suite.AEGP_GetNewEffectStreamByIndex(pluginId, effect, index, &stream_) != A_Err_NONE) {
      stream_ = nullptr;
    }
  }
  ~ScopedStream() {
    if (stream_) suite_.AEGP_DisposeStream(stream_);
  }
  ScopedStream(const ScopedStream&) = delete;
  ScopedStream& operator=(const ScopedStream&) = delete;

  AEGP_StreamRefH get() const { return stream_; }

 private:
  const AEGP_StreamSuite7& suite_;
  AEGP_StreamRefH stream_ = nullptr;
};

class VisibilityPass {
 public:
  VisibilityPass(PF_InData* inData, PF_ParamDef** params, const ParamStreamSuites& suites,
                 AEGP_EffectRefH effect)
      : inData_(inData), params_(params), suites_(suites), effect_(effect) {}

  // Sets the HIDDEN flag of `index` to `hidden` when it differs; updates the parameter's UI then.
  void Apply(PF_ParamIndex index, bool hidden) const {
    ScopedStream stream(suites_.stream.get(), 0, effect_, index);
    AEGP_DynStreamFlags flags = 0;
    if (!stream.get() || !ReadFlags(stream.get(), &flags)) return;
    if (((flags & AEGP_DynStreamFlag_HIDDEN) != 0) == hidden) return;
    suites_.dynamicStream->AEGP_SetDynamicStreamFlag(stream.get(), AEGP_DynStreamFlag_HIDDEN, 0,
                                                     hidden ? 1 : 0);
    UpdateUi(index);
  }

  // Collapses the twirl of `index` when it is visible now.
  void Collapse(PF_ParamIndex index) const {
    ScopedStream stream(suites_.stream.get(), 0, effect_, index);
    AEGP_DynStreamFlags flags = 0;
    if (!stream.get() || !ReadFlags(stream.get(), &flags)) return;
    if (flags & AEGP_DynStreamFlag_HIDDEN) return;
    if (PF_ParamDef* def = params_[index]) def->flags |= PF_ParamFlag_COLLAPSE_TWIRLY;
    UpdateUi(index);
  }

 private:
  bool ReadFlags(AEGP_StreamRefH stream, AEGP_DynStreamFlags* flags) const {
    return suites_.dynamicStream->AEGP_GetDynamicStreamFlags(stream, flags) == A_Err_NONE;
  }
  void UpdateUi(PF_ParamIndex index) const {
    if (params_[index])
      suites_.paramUtils->PF_UpdateParamUI(inData_->effect_ref, index, params_[index]);
  }

  PF_InData* inData_;
  PF_ParamDef** params_;
  const ParamStreamSuites& suites_;
  AEGP_EffectRefH effect_;
};

VisibilityPlan PlanFor(const GridLayoutModel* layout) {
  VisibilityPlan plan;
  if (!layout) return plan;
  plan.hasLayout = true;
  plan.pointCount = layout->pointIds.size();
  plan.sliderCount = layout->sliderIds.size();
  plan.frameCount = layout->frames.size();
  return plan;
}

// The order in which the pass visits the parameters: frame settings, the point section (group
// start and end before the items), the slider section likewise, then the polygon groups.
void VisitInOrder(const VisibilityPlan& plan, const VisibilityPass& pass) {
  pass.Apply(kParamRoundCorner, !plan.Shown(kParamRoundCorner));
  pass.Apply(kParamEdgeInset, !plan.Shown(kParamEdgeInset));
  pass.Apply(kParamCornerPointGroupStart, !plan.Shown(kParamCornerPointGroupStart));
  pass.Apply(kParamCornerPointGroupEnd, !plan.Shown(kParamCornerPointGroupEnd));
  for (int32_t p = kParamPointFirst; p <= kParamPointLast; ++p) pass.Apply(p, !plan.Shown(p));
  if (plan.Shown(kParamEdgeSliderGroupStart)) {
    pass.Apply(kParamEdgeSliderGroupStart, false);
    pass.Apply(kParamEdgeSliderGroupEnd, false);
    for (int32_t p = kParamSliderFirst; p <= kParamSliderLast; ++p) pass.Apply(p, !plan.Shown(p));
  } else {
    for (int32_t p = kParamEdgeSliderGroupStart; p <= kParamEdgeSliderGroupEnd; ++p) {
      pass.Apply(p, true);
    }
  }
  for (int32_t p = kParamPolygonGroupFirst; p < kParamCount; ++p) pass.Apply(p, !plan.Shown(p));
}

}  // namespace

bool VisibilityPlan::Shown(PF_ParamIndex index) const {
  if (index == kParamInputLayer || index == kParamLayouts) return true;
  if (!hasLayout || index < 0 || index >= kParamCount) return false;
  if (index == kParamEdgeInset || index == kParamRoundCorner) return true;
  if (index <= kParamCornerPointGroupEnd) {
    if (pointCount == 0) return false;
    if (index == kParamCornerPointGroupStart || index == kParamCornerPointGroupEnd) return true;
    return static_cast<size_t>(index - kParamPointFirst) < pointCount;
  }
  if (index <= kParamEdgeSliderGroupEnd) {
    if (sliderCount == 0) return false;
    if (index == kParamEdgeSliderGroupStart || index == kParamEdgeSliderGroupEnd) return true;
    return static_cast<size_t>(index - kParamSliderFirst) < sliderCount;
  }
  const size_t group =
      static_cast<size_t>((index - kParamPolygonGroupFirst) / kParamPolygonGroupStride);
  return group < frameCount;
}

ParamStreamSuites::ParamStreamSuites(const PF_InData* inData)
    : paramUtils(inData, kPFParamUtilsSuite, kPFParamUtilsSuiteVersion3),
      effect(inData, kAEGPEffectSuite, kAEGPEffectSuiteVersion2),
      pfInterface(inData, kAEGPPFInterfaceSuite, kAEGPPFInterfaceSuiteVersion1),
      dynamicStream(inData, kAEGPDynamicStreamSuite, kAEGPDynamicStreamSuiteVersion2),
      stream(inData, kAEGPStreamSuite, kAEGPStreamSuiteVersion7) {}

void UpdateParamVisibility(const ParamStreamSuites& suites, PF_InData* inData,
                           PF_OutData* outData, PF_ParamDef* params[],
                           const GridLayoutModel* layout) {
  const VisibilityPlan plan = PlanFor(layout);
  AEGP_EffectRefH effect = nullptr;
  if (suites.pfInterface->AEGP_GetNewEffectForEffect(0, inData->effect_ref, &effect) !=
      A_Err_NONE) {
    effect = nullptr;
  }
  if (params) {
    const VisibilityPass pass(inData, params, suites, effect);
    VisitInOrder(plan, pass);
    for (int32_t p = kParamSliderFirst; p <= kParamSliderLast; ++p) pass.Collapse(p);
    for (int32_t k = 0; k < kPolygonGroupCount; ++k)
      pass.Collapse(PolygonParam(k, kPolygonGroupStart));
  }
  if (effect) suites.effect->AEGP_DisposeEffect(effect);
  outData->out_flags |= PF_OutFlag_REFRESH_UI;
}

void DeleteAllKeyframes(const ParamStreamSuites& suites, const AEGP_KeyframeSuite3& keys,
                        AEGP_PluginID pluginId, AEGP_EffectRefH effect, PF_ParamIndex index) {
  ScopedStream stream(suites.stream.get(), pluginId, effect, index);
  if (!stream.get()) return;
  A_long count = 0;
  if (keys.AEGP_GetStreamNumKFs(stream.get(), &count) != A_Err_NONE) return;
  // Always the first keyframe: the rest move down after each deletion.
  for (A_long i = 0; i < count; ++i) keys.AEGP_DeleteKeyframe(stream.get(), 0);
}

}  // namespace Orvane::Mosaira
