// A back-end state made without OpenGL, for tests of the recording arithmetic. It holds no GL
// names, so its deletion makes no GL call either.
#pragma once

#include <cstdlib>
#include <vector>

#include "render/NanoVgGl3.h"
#include "render/NanoVgGl3Internal.h"

namespace Orvane::Mosaira::Testing {

class BareBackEnd {
 public:
  explicit BareBackEnd(int flags = NVG_ANTIALIAS, int fragSize = 192)
      : gl_(static_cast<detail::GLNVGcontext*>(std::calloc(1, sizeof(detail::GLNVGcontext)))) {
    gl_->flags = flags;
    gl_->fragSize = fragSize;
  }
  ~BareBackEnd() { detail::glnvg__renderDelete(gl_); }
  BareBackEnd(const BareBackEnd&) = delete;
  BareBackEnd& operator=(const BareBackEnd&) = delete;

  detail::GLNVGcontext* operator->() const { return gl_; }
  detail::GLNVGcontext* get() const { return gl_; }

 private:
  detail::GLNVGcontext* gl_;
};

// A core path with the given numbers of fill and fringe vertices, each vertex numbered in x.
struct TestPath {
  TestPath(int nfill, int nstroke, bool convex) : fill(nfill), stroke(nstroke) {
    for (int i = 0; i < nfill; i++) fill[i] = NVGvertex{float(i), 1.0f, 0.0f, 0.0f};
    for (int i = 0; i < nstroke; i++) stroke[i] = NVGvertex{float(i), 2.0f, 0.0f, 0.0f};
    path = NVGpath{};
    path.fill = fill.data();
    path.nfill = nfill;
    path.stroke = stroke.data();
    path.nstroke = nstroke;
    path.convex = convex ? 1 : 0;
  }
  TestPath(const TestPath&) = delete;
  TestPath& operator=(const TestPath&) = delete;
  std::vector<NVGvertex> fill;
  std::vector<NVGvertex> stroke;
  NVGpath path;
};

inline NVGpaint SolidPaint(float r, float g, float b, float a) {
  NVGpaint paint{};
  paint.xform[0] = paint.xform[3] = 1.0f;
  paint.innerColor.r = paint.outerColor.r = r;
  paint.innerColor.g = paint.outerColor.g = g;
  paint.innerColor.b = paint.outerColor.b = b;
  paint.innerColor.a = paint.outerColor.a = a;
  return paint;
}

inline NVGscissor NoScissor() {
  NVGscissor scissor{};
  scissor.extent[0] = scissor.extent[1] = -1.0f;
  return scissor;
}

inline NVGcompositeOperationState SourceOver() {
  return NVGcompositeOperationState{NVG_ONE, NVG_ONE_MINUS_SRC_ALPHA, NVG_ONE,
                                    NVG_ONE_MINUS_SRC_ALPHA};
}

}  // namespace Orvane::Mosaira::Testing
