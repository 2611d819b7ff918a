// SmartFX render: checks out the worlds and the parameters the drawing needs, then hands them to
// the renderer as plain values.
#include <cstdio>
#include <deque>
#include <vector>

#include "effect/SmartFxHandlers.h"
#include "effect/ParamIndices.h"
#include "effect/ParamSync.h"
#include "effect/SequenceData.h"
#include "sdk/HostCalls.h"
#include "render/Renderer.h"
#include "sdk/pf_suites.h"

namespace Orvane::Mosaira {
namespace {

// Parameters checked out during one render. A checkout is made only while no error has
// occurred in its chain; every definition that was checked out is checked in, at the latest when
// the reader goes (so a failure half way leaves nothing checked out). A skipped or failed
// checkout reads as a zeroed definition: value 0, no layer.
class ParamReader {
 public:
  explicit ParamReader(PF_InData* inData) : in_(inData) {}

  // The definition of `index`; checked out only when *err is 0, whose failure becomes *err.
  PF_ParamDef* Checkout(PF_ParamIndex index, PF_Err* err) {
    if (*err != PF_Err_NONE) return &skipped_.emplace_back();
    CheckedOutParam& param = params_.emplace_back(in_, index);
    *err = param.error();
    return &param.def();
  }

  // Checks `def` in now when it is out; the check-in's error counts only when *err is 0.
  void Checkin(PF_ParamDef* def, PF_Err* err) {
    for (CheckedOutParam& param : params_) {
      if (&param.def() != def) continue;
      const PF_Err e = param.CheckIn();
      if (*err == PF_Err_NONE) *err = e;
    }
  }

  // Checks out, reads the float slider value and checks in again.
  double ReadFloat(PF_ParamIndex index, PF_Err* err) {
    PF_ParamDef* def = Checkout(index, err);
    const double value = def->u.fs_d.value;
    Checkin(def, err);
    return value;
  }

 private:
  PF_InData* in_;
  // Stable addresses: layers stay checked out while they are drawn.
  std::deque<CheckedOutParam> params_;
  std::deque<PF_ParamDef> skipped_;
};

// A stored value held to +-kFarOut: a project may hold anything, and narrowing a double beyond
// single precision is undefined. NaN stays NaN.
double HoldFar(double value) {
  if (value > kFarOut) return kFarOut;
  if (value < -kFarOut) return -kFarOut;
  return value;
}

// The parameters of frame k, in the order the frame reads them ("Layer" last, kept out).
// The layer's definition is appended to `layerDefs`.
FrameLayer ReadFrame(ParamReader& reader, const PF_WorldSuite2& worlds, int32_t k,
                     std::vector<PF_ParamDef*>* layerDefs) {
  PF_Err err = PF_Err_NONE;
  FrameLayer frame;
  frame.roundness = float(HoldFar(reader.ReadFloat(kParamRoundCorner, &err)) / 100.0);
  frame.xOffset = HoldFar(reader.ReadFloat(PolygonParam(k, kPolygonXOffset), &err));
  frame.yOffset = HoldFar(reader.ReadFloat(PolygonParam(k, kPolygonYOffset), &err));
  frame.scale = float(HoldFar(reader.ReadFloat(PolygonParam(k, kPolygonScale), &err)) / 100.0);
  PF_ParamDef* layer = reader.Checkout(PolygonParam(k, kPolygonLayer), &err);
  layerDefs->push_back(layer);
  const PF_EffectWorld& world = layer->u.ld;
  if (world.width > 0 && world.height > 0 && world.data != nullptr && frame.scale > 0.0f) {
    frame.layer = &layer->u.ld;
    // The host's answer is not needed: a world it cannot describe goes as 8-bit.
    worlds.PF_GetPixelFormat(frame.layer, &frame.format);
  }
  return frame;
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

  ParamReader reader(inData);
  LayoutRenderJob job;
  job.inData = inData;
  job.input = input;
  job.output = output;
  job.format = format;
  // The inset's checkout error is the render's result; a failed one draws with no inset.
  ApplyEdgeInset(layout, float(HoldFar(reader.ReadFloat(kParamEdgeInset, &err))));
  job.layout = layout;
  const size_t frameCount = layout->frames.size();
  std::vector<PF_ParamDef*> layerDefs;
  for (size_t k = 0; k < frameCount && k < size_t(kPolygonGroupCount); ++k) {
    job.frames.push_back(ReadFrame(reader, worlds.get(), int32_t(k), &layerDefs));
  }
  // Each layer goes back to the host as soon as its pixels are up, not at the end of the render.
  job.layerDone = [&](size_t k) { reader.Checkin(layerDefs[k], &err); };
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
