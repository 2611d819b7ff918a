#include "render/FrameDrawing.h"

#include <glbinding/gl33core/gl.h>

#include <cmath>
#include <limits>

#include "layout/LayoutGeometry.h"
#include "nanovg.h"
#include "render/FullScreenPasses.h"
#include "render/NanoVgGl3.h"
#include "render/PixelTransfer.h"

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

bool IsDrawable(const FrameLayer& frame) {
  const PF_EffectWorld* layer = frame.layer;
  return layer != nullptr && layer->width > 0 && layer->height > 0 && frame.scale > 0.0f;
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
    const double value = t[size_t(kOrder[i])];
    if (!std::isfinite(value) || std::fabs(value) > double(std::numeric_limits<float>::max())) {
      return false;
    }
    out[i] = float(value);
  }
  return true;
}

// The layer as a texture, or 0 when the host gives no pixels for it (no address, rows too short):
// that frame stays empty and the others are drawn.
GLuint LayerTexture(const FrameLayer& frame, PF_InData* inData, LayerTexturePool* pool) {
  try {
    return UploadLayerToPool(frame.format, frame.layer, inData, pool);
  } catch (PF_Err err) {
    if (err == PF_Err_BAD_CALLBACK_PARAM) return 0;
    throw;
  }
}

// Wraps the pool's `texture` as an image that leaves the texture to the pool.
int WrapTexture(NVGcontext* ctx, GLuint texture, double lw, double lh) {
  return nvglCreateImageFromHandleGL3(ctx, texture, ImageSide(lw), ImageSide(lh), NVG_IMAGE_NODELETE);
}

// A 16-bit layer samples as value/65535 (see PixelTransfer.h): the paint's tint, which the back
// end premultiplies, brings colour and alpha to value/32768 before the fill premultiplies them.
void ScaleSixteenBitPaint(const FrameLayer& frame, NVGpaint* paint) {
  if (frame.format != PF_PixelFormat_ARGB64) return;
  paint->innerColor = paint->outerColor =
      nvgRGBAf(kMultiplier16Bit, kMultiplier16Bit, kMultiplier16Bit, kMultiplier16Bit);
}

}  // namespace

void DrawFrameLayer(NVGcontext* ctx, const FrameModel& model, const FrameLayer& frame, double sx,
                    double sy, PF_InData* inData, LayerTexturePool* pool, std::vector<int>* images) {
  if (!IsDrawable(frame)) return;
  ScopedVectorState state(ctx);

  // The layer's extent in layout units: the same part of the layer shows at any downsampling.
  const double lw = frame.layer->width / sx;
  const double lh = frame.layer->height / sy;
  const AffineTransform r = FrameImageTransform(CoverFit(model.insetPolygons, lw, lh), lw, lh,
                                                frame.scale, frame.xOffset, frame.yOffset);
  float placement[6];
  if (!ToVectorTransform(r, placement)) return;

  const GLuint texture = LayerTexture(frame, inData, pool);
  if (texture == 0) return;
  const int image = WrapTexture(ctx, texture, lw, lh);
  // Without an image the back end would fill the frame with plain white: leave it out.
  if (image == 0) return;
  images->push_back(image);

  model.buildPath(ctx, frame.roundness);
  NVGpaint paint = nvgImagePattern(ctx, 0.0f, 0.0f, float(lw), float(lh), 0.0f, image, 1.0f);
  ScaleSixteenBitPaint(frame, &paint);
  nvgTransformMultiply(paint.xform, placement);
  nvgFillPaint(ctx, paint);
  nvgFill(ctx);
}

}  // namespace Orvane::Mosaira
