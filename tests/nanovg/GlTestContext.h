// Test bed for the vector-drawing back end: on Mesa llvmpipe, an OpenGL 3.3 core context current
// on the test thread, with the shared check that fails the running test on any GL error, and an
// offscreen single-sample framebuffer with colour and stencil; without OpenGL, a back-end state
// for the recording arithmetic and the core's paths and paints it records.
#pragma once

#include <glbinding/gl33core/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "platform/GlContext.h"
#include "render/NanoVgGl3.h"
#include "render/NanoVgGl3Internal.h"

namespace Orvane::Mosaira::Testing {

using Rgba8 = std::array<std::uint8_t, 4>;

// Owner of a framebuffer with an RGBA8 colour renderbuffer and a depth-stencil renderbuffer,
// bound as the draw and read framebuffer while it lives.
class OffscreenTarget {
 public:
  OffscreenTarget(int width, int height);
  ~OffscreenTarget();
  OffscreenTarget(const OffscreenTarget&) = delete;
  OffscreenTarget& operator=(const OffscreenTarget&) = delete;

  bool Complete() const { return complete_; }
  // Clears colour to transparent black and the stencil to 0.
  void Clear() const;
  // The pixel at (x, y) in view coordinates (y downwards, as NanoVG draws).
  Rgba8 Probe(int x, int y) const;

 private:
  int width_;
  int height_;
  gl33core::GLuint fbo_ = 0;
  gl33core::GLuint colour_ = 0;
  gl33core::GLuint depthStencil_ = 0;
  bool complete_ = false;
};

// A fresh 3.3 core context for one test suite, with the error-checking callback installed.
class GlTestContext {
 public:
  // Null when the driver cannot make a 3.3 core context.
  static std::unique_ptr<GlTestContext> Create();
  GlTestContext(const GlTestContext&) = delete;
  GlTestContext& operator=(const GlTestContext&) = delete;

  const Platform::GlContext& Context() const { return *context_; }

 private:
  explicit GlTestContext(std::unique_ptr<Platform::GlContext> context);
  std::unique_ptr<Platform::GlContext> context_;
};

// Each channel of got within tolerance of want.
::testing::AssertionResult Near(const Rgba8& got, const Rgba8& want, int tolerance = 1);
inline const Rgba8 kClear{0, 0, 0, 0};

// One 3.3 core context per suite and, per test, a cleared kSize x kSize target and (after Make)
// a back end.
class BackEndTest : public ::testing::Test {
 protected:
  static constexpr int kSize = 64;
  static void SetUpTestSuite() { context_ = GlTestContext::Create(); }
  static void TearDownTestSuite() { context_.reset(); }
  void SetUp() override;
  void TearDown() override;
  void Make(int flags);
  // The back end's own state behind vg_.
  detail::GLNVGcontext* State() const {
    return static_cast<detail::GLNVGcontext*>(nvgInternalParams(vg_)->userPtr);
  }

  static std::unique_ptr<GlTestContext> context_;
  std::unique_ptr<OffscreenTarget> target_;
  NVGcontext* vg_ = nullptr;
};

// A back-end state made without OpenGL, for tests of the recording arithmetic. It holds no GL
// names, so its deletion makes no GL call either.
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
