#include "RecordingNanoVg.h"

#include <stdexcept>

#include "nanovg.h"

namespace Orvane::Mosaira::testing {
namespace {

int Create(void*, void*) { return 1; }
int CreateTexture(void*, int, int, int, int, const unsigned char*) { return 1; }
int DeleteTexture(void*, int) { return 1; }
int UpdateTexture(void*, int, int, int, int, int, const unsigned char*) { return 1; }
int GetTextureSize(void*, int, int* w, int* h) {
  *w = 1;
  *h = 1;
  return 1;
}
void Viewport(void*, float, float, float) {}
void Cancel(void*) {}
void Flush(void*) {}
void Stroke(void*, NVGpaint*, NVGcompositeOperationState, NVGscissor*, float, float, const NVGpath*, int) {}
void Triangles(void*, NVGpaint*, NVGcompositeOperationState, NVGscissor*, const NVGvertex*, int, float) {}
void Delete(void*) {}

void Fill(void* user, NVGpaint*, NVGcompositeOperationState, NVGscissor*, float, const float*,
          const NVGpath* paths, int npaths) {
  auto* recorder = static_cast<RecordingNanoVg*>(user);
  RecordedFill fill;
  for (int i = 0; i < npaths; ++i) {
    RecordedPath path;
    for (int k = 0; k < paths[i].nfill; ++k) {
      path.points.push_back({paths[i].fill[k].x, paths[i].fill[k].y});
    }
    fill.paths.push_back(std::move(path));
  }
  recorder->fills.push_back(std::move(fill));
}

}  // namespace

RecordingNanoVg::RecordingNanoVg() {
  NVGparams params{};
  params.userPtr = this;
  params.edgeAntiAlias = 0;
  params.renderCreate = Create;
  params.renderCreateTexture = CreateTexture;
  params.renderDeleteTexture = DeleteTexture;
  params.renderUpdateTexture = UpdateTexture;
  params.renderGetTextureSize = GetTextureSize;
  params.renderViewport = Viewport;
  params.renderCancel = Cancel;
  params.renderFlush = Flush;
  params.renderFill = Fill;
  params.renderStroke = Stroke;
  params.renderTriangles = Triangles;
  params.renderDelete = Delete;
  ctx_ = nvgCreateInternal(&params, nullptr);
  if (ctx_ == nullptr) {
    throw std::runtime_error("stand-in NanoVG context could not be made");
  }
}

RecordingNanoVg::~RecordingNanoVg() { nvgDeleteInternal(ctx_); }

void RecordingNanoVg::begin() { nvgBeginFrame(ctx_, 400.0f, 400.0f, 1.0f); }

RecordedFill RecordingNanoVg::finish() {
  const size_t before = fills.size();
  nvgFill(ctx_);
  nvgEndFrame(ctx_);
  return fills.size() > before ? fills.back() : RecordedFill{};
}

}  // namespace Orvane::Mosaira::testing
