// SmartFX render: checks out the worlds and "Edge Inset", then hands them to the renderer, which
// reads every frame's parameters and layer as it draws that frame.
#include <cstdio>

#include "effect/SmartFxHandlers.h"
#include "effect/ParamIndices.h"
#include "effect/ParamSync.h"
#include "effect/SequenceData.h"
#include "sdk/HostCalls.h"
#include "render/Renderer.h"
#include "sdk/pf_suites.h"

namespace Orvane::Mosaira {
namespace {

// The "Edge Inset" value, checked out and in again. The checkout's error becomes *err (a failed
// one reads 0: no inset); the check-in's counts only when there is none yet.
float ReadEdgeInset(PF_InData* inData, PF_Err* err) {
  CheckedOutParam param(inData, kParamEdgeInset);
  *err = param.error();
  const double value = param.def().u.fs_d.value;
  const PF_Err checkin = param.CheckIn();
  if (*err == PF_Err_NONE) *err = checkin;
  return float(HoldFar(value));
}

// Tells the user why a frame stays empty: the host shows return_msg as an error.
void ReportTooLarge(PF_OutData* outData, const PF_EffectWorld& input, int32_t largestSide) {
  if (outData == nullptr) return;
  std::snprintf(outData->return_msg, sizeof outData->return_msg,
                "Tiletta cannot render a frame of %d x %d pixels: the graphics driver draws at most "
                "%d x %d. Nothing was drawn.",
                int(input.width), int(input.height), int(largestSide), int(largestSide));
  outData->out_flags |= PF_OutFlag_DISPLAY_ERROR_MESSAGE;
}

// The same when the driver cannot hold the multisampled layers the frame is drawn into.
void ReportLayerTooLarge(PF_OutData* outData, const PF_EffectWorld& input, const RenderResult& result) {
  if (outData == nullptr) return;
  std::snprintf(outData->return_msg, sizeof outData->return_msg,
                "Tiletta cannot render a frame of %d x %d pixels at this depth: the graphics driver cannot "
                "hold the %d-sample layer it is drawn in (%.2f GB). Nothing was drawn.",
                int(input.width), int(input.height), int(result.layerSamples), double(result.layerBytes) / 1e9);
  outData->out_flags |= PF_OutFlag_DISPLAY_ERROR_MESSAGE;
}

// The same when global set-up could not make the vector-drawing context the frames are drawn
// with: no render can succeed until the plug-in is set up again on a driver that builds it.
void ReportNoVectorContext(PF_OutData* outData) {
  if (outData == nullptr) return;
  std::snprintf(outData->return_msg, sizeof outData->return_msg,
                "Tiletta cannot render: the graphics driver could not build the shaders its frames are "
                "drawn with. Nothing was drawn.");
  outData->out_flags |= PF_OutFlag_DISPLAY_ERROR_MESSAGE;
}

}  // namespace

PF_Err HandleSmartRender(PF_InData* inData, PF_OutData* outData, PF_SmartRenderExtra* extra,
                         UnFlatSequenceData* record) {
  const PF_SmartRenderCallbacks* cb = extra != nullptr ? extra->cb : nullptr;
  if (cb == nullptr || cb->checkout_layer_pixels == nullptr || cb->checkout_output == nullptr) {
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  PF_EffectWorld* input = nullptr;
  PF_EffectWorld* output = nullptr;
  PF_Err err = cb->checkout_layer_pixels(inData->effect_ref, 0, &input);
  if (err == PF_Err_NONE) err = cb->checkout_output(inData->effect_ref, &output);

  ScopedSuite<PF_WorldSuite2> worlds(inData, kPFWorldSuite, kPFWorldSuiteVersion2);
  PF_PixelFormat format = PF_PixelFormat_ARGB32;
  if (err == PF_Err_NONE && input != nullptr) worlds->PF_GetPixelFormat(input, &format);
  GridLayoutModel* layout = record != nullptr ? record->LayoutFor(inData) : nullptr;
  if (err != PF_Err_NONE || layout == nullptr) return err;
  // A host that reports success must hand over both worlds, in a layout the renderer knows.
  if (input == nullptr || output == nullptr || !AcceptsPixelFormat(format)) {
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  // An empty layer comes as an empty world: there is nothing to draw.
  if (input->width <= 0 || input->height <= 0) return PF_Err_NONE;

  LayoutRenderJob job;
  job.inData = inData;
  job.input = input;
  job.output = output;
  job.format = format;
  // The inset's checkout error is the render's result; a failed one draws with no inset.
  ApplyEdgeInset(layout, ReadEdgeInset(inData, &err));
  job.layout = layout;
  // The render checks out each frame's parameters and layer itself, one frame at a time.
  const RenderResult result = RenderLayoutFrames(job);
  if (result.outcome == RenderOutcome::kOutputTooLarge) {
    ReportTooLarge(outData, *input, result.largestSide);
  } else if (result.outcome == RenderOutcome::kLayerTooLarge) {
    ReportLayerTooLarge(outData, *input, result);
  } else if (result.outcome == RenderOutcome::kNoVectorContext) {
    ReportNoVectorContext(outData);
    return PF_Err_INTERNAL_STRUCT_DAMAGED;
  }
  return err;
}

}  // namespace Orvane::Mosaira
