#include "render/Renderer.h"

#include <glbinding/gl33core/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "nanovg.h"
#include "render/FrameDrawing.h"
#include "render/OpenGLContext.h"
#include "render/OpenglFboRenderer.h"
#include "render/PixelTransfer.h"
#include "render/RenderGlobals.h"

namespace Orvane::Mosaira {
namespace {

using namespace gl33core;

[[noreturn]] void Refuse() { throw PF_Err{PF_Err_BAD_CALLBACK_PARAM}; }

// One vector-drawing frame and its image list: begun at construction; End() draws it. Left
// without End() (a failure on the way), the queued fills are dropped. Either way the frame's
// images are deleted, in list order, and each layer's texture with its image, so no fill and no
// texture outlives the render.
class VectorFrame {
 public:
  VectorFrame(NVGcontext* ctx, float width, float height) : ctx_(ctx) {
    nvgBeginFrame(ctx_, width, height, 1.0f);
  }
  ~VectorFrame() {
    if (!ended_) nvgCancelFrame(ctx_);
    DeleteImages();
  }
  VectorFrame(const VectorFrame&) = delete;
  VectorFrame& operator=(const VectorFrame&) = delete;

  void End() {
    ended_ = true;
    nvgEndFrame(ctx_);
    DeleteImages();
  }
  std::vector<int>* Images() { return &images_; }

 private:
  void DeleteImages() noexcept {
    for (int image : images_) nvgDeleteImage(ctx_, image);
    images_.clear();
  }

  NVGcontext* ctx_;
  bool ended_ = false;
  std::vector<int> images_;
};

// Deletes, on a failure, every layer this render pushed (unresolved), so that the stack is
// empty again between renders.
class PushedLayers {
 public:
  explicit PushedLayers(OpenglFboRenderer& renderer)
      : renderer_(renderer), base_(renderer.layerCount()) {}
  ~PushedLayers() {
    while (renderer_.layerCount() > base_) renderer_.dropTop();
  }
  PushedLayers(const PushedLayers&) = delete;
  PushedLayers& operator=(const PushedLayers&) = delete;

 private:
  OpenglFboRenderer& renderer_;
  std::size_t base_;
};

void CheckJob(const LayoutRenderJob& job, PixelLayout* pixel) {
  if (job.inData == nullptr || job.input == nullptr || job.output == nullptr ||
      job.layout == nullptr) {
    Refuse();
  }
  if (job.input->width < 0 || job.input->height < 0) Refuse();
  // An unknown output layout is refused before anything is drawn.
  if (!PixelLayoutOf(job.format, pixel)) Refuse();
}

// Both layers pushed, the upper one (with stencil) bound for the vector fills.
void PrepareLayers(OpenglFboRenderer& renderer, std::uint32_t w, std::uint32_t h) {
  renderer.pushLayer(false);
  // Only now is a framebuffer of ours bound: a context without a window has no default one to
  // direct the drawing of.
  glDrawBuffer(GL_COLOR_ATTACHMENT0);
  glDisable(GL_BLEND);
  glEnable(GL_MULTISAMPLE);
  glViewport(0, 0, GLsizei(w), GLsizei(h));
  renderer.pushLayer(true);
}

// Every frame of the layout, in frame order, one layer checked out, uploaded and checked in at a
// time. The number of frames is read again before every frame. A frame that cannot be drawn is
// left out: its result is not the render's.
void DrawFrames(const LayoutRenderJob& job, NVGcontext* ctx, std::vector<int>* images) {
  double sx = 0.0, sy = 0.0;
  LayoutScale(*job.input, *job.layout, &sx, &sy);
  if (UsableScale(sx) && UsableScale(sy)) nvgScale(ctx, float(sx), float(sy));
  for (int k = 0; std::size_t(k) < job.layout->frames.size(); ++k) {
    DrawPolygonLayer(job.inData, job.output, sx, sy, k, *job.layout, images);
  }
}

// The upper layer, upside down, into the lower one; then through the output pass. The upper
// layer's texture goes once the output is drawn.
void FinishLayers(OpenglFboRenderer& renderer, OpenglFlipQuad* flip, const PixelLayout& pixel) {
  const GlTexture upper(renderer.popLayerToTexture());
  // The vector fills leave blending on; the flip is a plain copy over the whole lower layer.
  glDisable(GL_BLEND);
  flip->draw(upper.Get(), 1.0f);
  renderer.composite(pixel.multiplier);
}

// The largest side that the current context's driver gives a texture, a renderbuffer and a
// viewport alike.
std::int32_t LargestSide() {
  GLint texture = 0, renderbuffer = 0;
  GLint viewport[2] = {0, 0};
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &texture);
  glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &renderbuffer);
  glGetIntegerv(GL_MAX_VIEWPORT_DIMS, viewport);
  return std::min({texture, renderbuffer, viewport[0], viewport[1]});
}

}  // namespace

bool AcceptsPixelFormat(PF_PixelFormat format) {
  PixelLayout pixel;
  return PixelLayoutOf(format, &pixel);
}

void LayoutScale(const PF_EffectWorld& input, const GridLayoutModel& layout, double* sx, double* sy) {
  *sx = double(float(input.width)) / layout.width;
  *sy = double(float(input.height)) / layout.height;
}

RenderResult RenderLayoutFrames(const LayoutRenderJob& job) {
  PixelLayout pixel;
  CheckJob(job, &pixel);
  if (job.input->width == 0 || job.input->height == 0) return {RenderOutcome::kEmptyInput};
  std::lock_guard<std::mutex> lock(RenderLock());
  RenderGlobals* globals = CurrentRenderGlobals();
  if (globals == nullptr) Refuse();
  // Without the vector-drawing context no frame can be drawn: nothing is touched.
  if (globals->nvgContext == nullptr) return {RenderOutcome::kNoVectorContext};
  NVGcontext* ctx = globals->nvgContext->get();

  ScopedHostContext host;
  globals->contexts.AcquireThreadContext();
  const std::int32_t largest = LargestSide();
  if (job.input->width > largest || job.input->height > largest) {
    return {RenderOutcome::kOutputTooLarge, largest};
  }
  const auto w = static_cast<std::uint32_t>(job.input->width);
  const auto h = static_cast<std::uint32_t>(job.input->height);
  OpenglFboRenderer& renderer = OpenglFboRenderer::instance();
  renderer.resize(w, h, pixel.storage);
  {
    PushedLayers layers(renderer);
    try {
      PrepareLayers(renderer, w, h);
    } catch (const LayerStorageRefused& refused) {
      // Refused before any layer goes up. What was made for this size goes too: a size the
      // driver cannot draw is no size to keep storage for.
      renderer.release();
      return {RenderOutcome::kLayerTooLarge, largest, refused.bytes, renderer.sampleCount()};
    }
    {
      VectorFrame frame(ctx, float(w), float(h));
      DrawFrames(job, ctx, frame.Images());
      frame.End();
    }
    FinishLayers(renderer, &globals->flipQuad, pixel);
  }
  DownloadOutputWorld(job.input->width, job.input->height, job.input, job.output, job.inData,
                      pixel.code, pixel.bytesPerPixel, pixel.transferType);
  return {RenderOutcome::kDrawn, largest};
}

}  // namespace Orvane::Mosaira
