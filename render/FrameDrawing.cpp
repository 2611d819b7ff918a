#include "render/FrameDrawing.h"

#include <glbinding/gl33core/gl.h>

#include <cmath>
#include <cstddef>
#include <limits>
#include <optional>

#include "effect/ParamIndices.h"
#include "layout/LayoutGeometry.h"
#include "nanovg.h"
#include "render/FullScreenPasses.h"
#include "render/NanoVgGl3.h"
#include "render/PixelTransfer.h"
#include "render/RenderGlobals.h"
#include "render/Renderer.h"
#include "sdk/HostCalls.h"

namespace Orvane::Mosaira {
namespace {

using namespace gl33core;

// nvgSave now, nvgRestore on every way out.
class ScopedVectorState {
 public:
  explicit ScopedVectorState(NVGcontext* ctx) : ctx_(ctx) { nvgSave(ctx_); }
  ~ScopedVectorState() { nvgRestore(ctx_); }
  ScopedVectorState(const ScopedVectorState&) = delete;
  ScopedVectorState& operator=(const ScopedVectorState&) = delete;

 private:
  NVGcontext* ctx_;
};

// One parameter of the frame. It is checked out only while no error has occurred in the frame's
// chain (*err), whose failure becomes *err; skipped or failed, it reads as a zeroed definition
// (value 0, no layer). Only what was checked out is checked in, at the latest when this goes.
class FrameParam {
 public:
  FrameParam(PF_InData* in_data, PF_ParamIndex index, PF_Err* err) {
    if (*err != PF_Err_NONE) return;
    param_.emplace(in_data, index);
    *err = param_->error();
  }
  FrameParam(const FrameParam&) = delete;
  FrameParam& operator=(const FrameParam&) = delete;

  PF_ParamDef& def() { return param_ ? param_->def() : skipped_; }

  // Checks the parameter in when it is out; the check-in's error counts only when *err is 0.
  void CheckIn(PF_Err* err) {
    if (!param_) return;
    const PF_Err e = param_->CheckIn();
    if (*err == PF_Err_NONE) *err = e;
  }

 private:
  std::optional<CheckedOutParam> param_;
  PF_ParamDef skipped_{};
};

// The float slider value of `index`, checked out and in again.
double ReadValue(PF_InData* in_data, PF_ParamIndex index, PF_Err* err) {
  FrameParam param(in_data, index, err);
  const double value = param.def().u.fs_d.value;
  param.CheckIn(err);
  return value;
}

// The values of one frame's parameters other than "Layer".
struct FrameValues {
  float roundness = 0.0f;  // 0 sharp .. 1 fully rounded corners
  double dx = 0.0;         // offsets in the layer image's own units, before the cover fit
  double dy = 0.0;
  float scale = 0.0f;      // 1 = cover fit as it stands
};

FrameValues ReadFrameValues(PF_InData* in_data, int k, PF_Err* err) {
  FrameValues values;
  values.roundness = float(HoldFar(ReadValue(in_data, kParamRoundCorner, err)) / 100.0);
  values.dx = HoldFar(ReadValue(in_data, PolygonParam(k, kPolygonXOffset), err));
  values.dy = HoldFar(ReadValue(in_data, PolygonParam(k, kPolygonYOffset), err));
  values.scale = float(HoldFar(ReadValue(in_data, PolygonParam(k, kPolygonScale), err)) / 100.0);
  return values;
}

// An image size in whole units, clamped to what an int holds. The back end keeps a wrapped
// texture's size only for updates and queries, so a layer smaller than one layout unit (0 here)
// still fills its frame.
int ImageSide(double side) {
  if (!(side >= 0.0)) return 0;
  if (side >= double(std::numeric_limits<int>::max())) return std::numeric_limits<int>::max();
  return static_cast<int>(side);
}

// NanoVG keeps a transform as (a, d, b, e, c, f), in single precision. False when an entry is not
// finite or beyond single precision (narrowing it would be undefined): such a frame shows nothing.
bool ToVectorTransform(const AffineTransform& t, float out[6]) {
  constexpr int kOrder[6] = {0, 3, 1, 4, 2, 5};
  for (int i = 0; i < 6; ++i) {
    const double value = t[std::size_t(kOrder[i])];
    if (!std::isfinite(value) || std::fabs(value) > double(std::numeric_limits<float>::max())) {
      return false;
    }
    out[i] = float(value);
  }
  return true;
}

// The image's placement: the layer (lw x lh layout units) zoomed about its own centre by
// `scale`, shifted by (dx, dy) in its own units, then cover-fitted over the frame's inset.
AffineTransform Placement(const FrameModel& frame, double lw, double lh, const FrameValues& values) {
  return FrameImageTransform(frame.coverFit(lw, lh), lw, lh, values.scale, values.dx, values.dy);
}

// The layer as a texture, or 0 when the host gives no pixels for it (no address, rows too
// short, a layout it does not name): that frame stays empty and the others are drawn.
GLuint LayerTexture(PF_PixelFormat format, PF_EffectWorld* layer, PF_EffectWorld* output, PF_InData* in_data) {
  try {
    return UploadLayerTexture(format, layer, output, in_data);
  } catch (PF_Err err) {
    if (err == PF_Err_BAD_CALLBACK_PARAM) return 0;
    throw;
  }
}

// A 16-bit layer samples as value/65535 (see PixelTransfer.h): the paint's tint, which the back
// end premultiplies, brings colour and alpha to value/32768 before the fill premultiplies them.
void ScaleSixteenBitPaint(PF_PixelFormat format, NVGpaint* paint) {
  if (format != PF_PixelFormat_ARGB64) return;
  paint->innerColor = paint->outerColor =
      nvgRGBAf(kMultiplier16Bit, kMultiplier16Bit, kMultiplier16Bit, kMultiplier16Bit);
}

NVGcontext* RenderVectorContext() {
  RenderGlobals* globals = CurrentRenderGlobals();
  return globals != nullptr && globals->nvgContext != nullptr ? globals->nvgContext->get() : nullptr;
}

// What a drawable frame needs beyond its parameters.
struct FrameJob {
  NVGcontext* ctx;
  PF_InData* in_data;
  PF_EffectWorld* output;
  const FrameModel& frame;
  double sx, sy;
};

// Steps after the parameters of a drawable frame: the placement, the layer's upload (after
// which "Layer" is checked in), its image and the queued fill.
void QueueFrameFill(const FrameJob& job, const FrameValues& values, FrameParam& layerParam,
                    std::vector<int>* images, PF_Err* err) {
  PF_EffectWorld* layer = &layerParam.def().u.ld;
  ScopedVectorState state(job.ctx);
  const double lw = layer->width / job.sx;
  const double lh = layer->height / job.sy;
  float placement[6];
  if (!ToVectorTransform(Placement(job.frame, lw, lh, values), placement)) return;

  ScopedSuite<PF_WorldSuite2> worlds(job.in_data, kPFWorldSuite, kPFWorldSuiteVersion2);
  // The host's answer is not needed: a world it cannot describe goes as it answered, and the
  // upload refuses a layout it does not know.
  PF_PixelFormat format = PF_PixelFormat_ARGB32;
  worlds->PF_GetPixelFormat(layer, &format);
  GlTexture texture(LayerTexture(format, layer, job.output, job.in_data));
  layerParam.CheckIn(err);  // the layer's pixels are up: it goes back before the next one
  if (!texture) return;

  images->reserve(images->size() + 1);  // so that a listed image can always be appended
  // Made without NVG_IMAGE_NODELETE: the image takes the texture over.
  const int image = nvglCreateImageFromHandleGL3(job.ctx, texture.Get(), ImageSide(lw), ImageSide(lh), 0);
  // Without an image the back end would fill the frame with plain white: leave it out (the
  // texture goes with its owner here).
  if (image == 0) return;
  texture.Release();
  images->push_back(image);

  job.frame.buildPath(job.ctx, values.roundness);
  NVGpaint paint = nvgImagePattern(job.ctx, 0.0f, 0.0f, float(lw), float(lh), 0.0f, image, 1.0f);
  ScaleSixteenBitPaint(format, &paint);
  nvgTransformMultiply(paint.xform, placement);
  nvgFillPaint(job.ctx, paint);
  nvgFill(job.ctx);
}

}  // namespace

PF_Err DrawPolygonLayer(PF_InData* in_data, PF_EffectWorld* output, double sx, double sy, int k,
                        const GridLayoutModel& layout, std::vector<int>* images) {
  if (k < 0 || k >= kPolygonGroupCount || std::size_t(k) >= layout.frames.size() || !layout.frames[k]) {
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  NVGcontext* ctx = RenderVectorContext();
  if (ctx == nullptr || in_data == nullptr || images == nullptr) return PF_Err_BAD_CALLBACK_PARAM;

  PF_Err err = PF_Err_NONE;
  const FrameValues values = ReadFrameValues(in_data, k, &err);
  FrameParam layerParam(in_data, PolygonParam(k, kPolygonLayer), &err);
  const PF_EffectWorld& layer = layerParam.def().u.ld;
  const bool drawable = layer.width > 0 && layer.height > 0 && values.scale > 0.0f;
  if (drawable && UsableScale(sx) && UsableScale(sy)) {
    QueueFrameFill({ctx, in_data, output, *layout.frames[std::size_t(k)], sx, sy}, values, layerParam, images, &err);
  }
  layerParam.CheckIn(&err);
  return err;
}

}  // namespace Orvane::Mosaira
