#include "effect/UserChangedParam.h"

#include <cstdint>
#include <memory>

#include "effect/GlobalSetup.h"
#include "effect/ParamIndices.h"
#include "effect/ParamSync.h"
#include "effect/ParamVisibility.h"
#include "effect/SequenceCommands.h"
#include "effect/SequenceData.h"
#include "layout/LayoutRegistry.h"
#include "sdk/HostCalls.h"
#include "sdk/aegp_suites.h"
#include "sdk/pf_suites.h"

namespace Orvane::Mosaira {
namespace {

// Every suite the layout change uses before its pushes, held across it so that a missing one is
// found before the old layout is touched, and acquired once however many parameters it clears.
struct LayoutChangeSuites {
  explicit LayoutChangeSuites(const PF_InData* inData)
      : streams(inData), keyframe(inData, kAEGPKeyframeSuite, kAEGPKeyframeSuiteVersion3) {}

  ParamStreamSuites streams;
  ScopedSuite<AEGP_KeyframeSuite3> keyframe;
};

// The instance's effect handle, disposed of when the holder ends.
class ScopedEffect {
 public:
  ScopedEffect(const LayoutChangeSuites& suites, PF_ProgPtr effectRef) : suites_(suites) {
    if (suites.streams.pfInterface->AEGP_GetNewEffectForEffect(0, effectRef, &effect_) !=
        A_Err_NONE) {
      effect_ = nullptr;
    }
  }
  ~ScopedEffect() {
    if (effect_) suites_.streams.effect->AEGP_DisposeEffect(effect_);
  }
  ScopedEffect(const ScopedEffect&) = delete;
  ScopedEffect& operator=(const ScopedEffect&) = delete;

  AEGP_EffectRefH get() const { return effect_; }

 private:
  const LayoutChangeSuites& suites_;
  AEGP_EffectRefH effect_ = nullptr;
};

// A side for a layout chosen while its layer has none (an empty layer, such as a text layer
// without text): a layout made at 0 would put every point at 0 and lose the template's shape.
// Made at this side instead, it is scaled to the layer's first real size, as any resized layout.
constexpr double kSideOfEmptyLayer[2] = {1920.0, 1080.0};

double UsableSide(A_long side, double ofEmptyLayer) {
  return side > 0 ? static_cast<double>(side) : ofEmptyLayer;
}

// The built-in layout `layoutNumber` at the layer's size, or null when there is no such layout.
std::unique_ptr<GridLayoutModel> BuildLayout(const PF_InData* inData, int64_t layoutNumber) {
  if (layoutNumber < 0) return nullptr;
  const JsonValue* layoutTemplate =
      LayoutRegistry::instance().templateAt(static_cast<size_t>(layoutNumber));
  if (!layoutTemplate) return nullptr;
  const LayoutSize size{UsableSide(inData->width, kSideOfEmptyLayer[0]),
                        UsableSide(inData->height, kSideOfEmptyLayer[1])};
  return std::make_unique<GridLayoutModel>(*layoutTemplate, size,
                                           static_cast<int32_t>(layoutNumber));
}

void ClearLayoutKeyframes(const LayoutChangeSuites& suites, AEGP_EffectRefH effect) {
  const AEGP_PluginID pluginId = AegpPluginId();
  const auto clear = [&](PF_ParamIndex index) {
    DeleteAllKeyframes(suites.streams, suites.keyframe.get(), pluginId, effect, index);
  };
  for (int32_t p = kParamPointFirst; p <= kParamPointLast; ++p) clear(p);
  for (int32_t p = kParamSliderFirst; p <= kParamSliderLast; ++p) clear(p);
  for (int32_t k = 0; k < kPolygonGroupCount; ++k) {
    for (int32_t offset = kPolygonLayer; offset <= kPolygonScale; ++offset) {
      clear(PolygonParam(k, offset));
    }
  }
}

void ChangeLayout(PF_InData* inData, PF_OutData* outData, PF_ParamDef* params[],
                  UnFlatSequenceData& record) {
  // Any stored value may arrive (a damaged project): widened first, so that none overflows.
  const int64_t layoutNumber =
      static_cast<int64_t>(params[kParamLayouts]->u.pd.value) - kLayoutsFirstLayout;
  // A loaded layout whose index is unknown (-1) still counts as loaded: choosing no layout must
  // remove it.
  const bool unchanged = record.layout ? (layoutNumber >= 0 && record.layout->index == layoutNumber)
                                       : layoutNumber < 0;
  if (unchanged) return;

  std::unique_ptr<GridLayoutModel> fresh = BuildLayout(inData, layoutNumber);
  {
    const LayoutChangeSuites suites(inData);
    record.ReplaceLayout(std::move(fresh));  // the old layout is deleted here

    UpdateParamVisibility(suites.streams, inData, outData, params, record.layout.get());
    const ScopedEffect effect(suites, inData->effect_ref);
    ClearLayoutKeyframes(suites, effect.get());
  }
  PushPointsToParams(inData, params);
  PushSlidersToParams(inData, params);
}

// The live record for a layout choice: an instance whose data is no live record (damaged bytes, or
// a flat record that could not be brought back) gets one now, as re-set-up makes it, handed to
// the host in out_data and used through in_data for the rest of the command. Null when none can
// be made.
UnFlatSequenceData* RecordForLayoutChoice(PF_InData* inData, PF_OutData* outData) {
  SequenceResetup(inData, outData);
  inData->sequence_data = outData->sequence_data;
  return FindLiveRecord(inData);
}

}  // namespace

PF_Err HandleUserChangedParam(PF_InData* inData, PF_OutData* outData, PF_ParamDef* params[],
                              const PF_UserChangedParamExtra* extra, UnFlatSequenceData* record) {
  const bool layoutChoice = extra && extra->param_index == kParamLayouts;
  if (!record && layoutChoice) record = RecordForLayoutChoice(inData, outData);
  if (!record) return PF_Err_NONE;
  if (!params || !extra) return PF_Err_BAD_CALLBACK_PARAM;
  const PF_ParamIndex index = extra->param_index;
  if (index == kParamLayouts) {
    if (!params[kParamLayouts]) return PF_Err_BAD_CALLBACK_PARAM;
    // A layout kept as text for a real layer size is built first, so that choosing it again
    // changes nothing.
    record->LayoutFor(inData);
    ChangeLayout(inData, outData, params, *record);
  } else if (index == kParamInputLayer || (index >= kParamEdgeInset && index <= kParamPointLast)) {
    SyncLayoutFromParams(inData, *record, SyncMode::kSyncPoints);
  } else if (index >= kParamEdgeSliderGroupStart && index <= kParamSliderLast) {
    SyncLayoutFromParams(inData, *record, SyncMode::kSyncSliders);
  }
  outData->out_flags |= PF_OutFlag_FORCE_RERENDER;
  return PF_Err_NONE;
}

}  // namespace Orvane::Mosaira
