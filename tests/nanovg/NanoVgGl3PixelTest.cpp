// Real fills through the vector-drawing back end on llvmpipe, probed in their interiors (edge
// pixels depend on anti-aliasing): premultiplied colour, holes through the stencil, blend factors,
// and the flush's use of GL state. Image patterns of layers are checked through the plug-in's
// renders in the simulated host.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <utility>
#include <vector>

#include "tests/nanovg/GlTestContext.h"

namespace Orvane::Mosaira::Testing {
namespace {

using namespace gl33core;

class PixelFill : public BackEndTest {
 protected:
  void SetUp() override {
    BackEndTest::SetUp();
    if (!HasFatalFailure()) Make(NVG_ANTIALIAS);
  }

  void FillRect(float x, float y, float w, float h, NVGcolor colour) {
    nvgBeginPath(vg_);
    nvgRect(vg_, x, y, w, h);
    nvgFillColor(vg_, colour);
    nvgFill(vg_);
  }
};

// --- Solid fills ---

TEST_F(PixelFill, TranslucentFillIsPremultiplied) {
  nvgBeginFrame(vg_, kSize, kSize, 1.0f);
  FillRect(8, 8, 48, 48, nvgRGBA(0, 0, 255, 128));
  nvgEndFrame(vg_);
  EXPECT_TRUE(Near(target_->Probe(32, 32), {0, 0, 128, 128}));
}

TEST_F(PixelFill, HoleStaysEmptyAndStencilIsCleared) {
  nvgBeginFrame(vg_, kSize, kSize, 1.0f);
  nvgBeginPath(vg_);
  nvgRect(vg_, 8, 8, 48, 48);
  nvgRect(vg_, 24, 24, 16, 16);
  nvgPathWinding(vg_, NVG_HOLE);
  nvgFillColor(vg_, nvgRGBA(255, 255, 255, 255));
  nvgFill(vg_);
  // A second stencil fill over the hole: it must find the stencil cleared by the first.
  nvgBeginPath(vg_);
  nvgRect(vg_, 28, 28, 8, 8);
  nvgRect(vg_, 0, 0, 2, 2);
  nvgFillColor(vg_, nvgRGBA(0, 0, 255, 255));
  nvgFill(vg_);
  nvgEndFrame(vg_);
  EXPECT_TRUE(Near(target_->Probe(16, 32), {255, 255, 255, 255}));
  EXPECT_TRUE(Near(target_->Probe(26, 32), kClear));
  EXPECT_TRUE(Near(target_->Probe(32, 32), {0, 0, 255, 255}));
  GLint stencil = -1;
  glReadPixels(26, kSize - 1 - 32, 1, 1, GL_STENCIL_INDEX, GL_UNSIGNED_BYTE, &stencil);
  EXPECT_EQ(stencil & 0xff, 0);
}

// --- Image patterns of alpha-first textures ---

TEST_F(PixelFill, UnknownImageDrawsNothing) {
  nvgBeginFrame(vg_, kSize, kSize, 1.0f);
  nvgBeginPath(vg_);
  nvgRect(vg_, 8, 8, 48, 48);
  nvgFillPaint(vg_, nvgImagePattern(vg_, 0, 0, kSize, kSize, 0.0f, 999, 1.0f));
  nvgFill(vg_);
  nvgEndFrame(vg_);
  EXPECT_TRUE(Near(target_->Probe(32, 32), kClear, 0));
}

// --- Blending ---

// Each of the eleven blend factors of a composite operation, as the source factor over a
// destination factor of zero, fills (premultiplied source) x (what GL's factor gives for the
// source and the cleared destination); the four factors keep their slots; an unknown factor
// draws premultiplied source-over.
TEST_F(PixelFill, CompositeBlendFactorsShowInThePixel) {
  const std::array<float, 4> src = {0.8f * 0.6f, 0.4f * 0.6f, 0.2f * 0.6f, 0.6f};
  const auto clearToDestination = [] {
    glClearColor(0.2f, 0.5f, 0.9f, 0.2f);
    glClear(GL_COLOR_BUFFER_BIT);
  };
  clearToDestination();
  const Rgba8 stored = target_->Probe(32, 32);
  std::array<float, 4> dst{};
  for (int c = 0; c < 4; ++c) dst[size_t(c)] = float(stored[size_t(c)]) / 255.0f;
  const float as = src[3], ad = dst[3];
  struct Case {
    int srcRGB, dstRGB, srcAlpha, dstAlpha;
    std::function<float(int)> result;  // channel c (r, g, b, a) of the drawn pixel
  };
  // Each factor f as the source factor of both slots over a zero destination: src x f(c).
  const std::pair<int, std::function<float(int)>> factors[] = {
      {NVG_ZERO, [](int) { return 0.0f; }},
      {NVG_ONE, [](int) { return 1.0f; }},
      {NVG_SRC_COLOR, [&](int c) { return src[size_t(c)]; }},
      {NVG_ONE_MINUS_SRC_COLOR, [&](int c) { return 1 - src[size_t(c)]; }},
      {NVG_DST_COLOR, [&](int c) { return dst[size_t(c)]; }},
      {NVG_ONE_MINUS_DST_COLOR, [&](int c) { return 1 - dst[size_t(c)]; }},
      {NVG_SRC_ALPHA, [&](int) { return as; }},
      {NVG_ONE_MINUS_SRC_ALPHA, [&](int) { return 1 - as; }},
      {NVG_DST_ALPHA, [&](int) { return ad; }},
      {NVG_ONE_MINUS_DST_ALPHA, [&](int) { return 1 - ad; }},
      {NVG_SRC_ALPHA_SATURATE, [&](int c) { return c == 3 ? 1.0f : std::min(as, 1 - ad); }},
  };
  std::vector<Case> cases = {
      // The destination factors, and each slot in its place: colour from the source, alpha kept.
      {NVG_ZERO, NVG_ONE, NVG_ONE, NVG_ZERO, [&](int c) { return c == 3 ? as : dst[size_t(c)]; }},
      {NVG_ONE, NVG_ZERO, NVG_ZERO, NVG_ONE, [&](int c) { return c == 3 ? ad : src[size_t(c)]; }},
      {0, NVG_ZERO, NVG_ONE, NVG_ZERO, [&](int c) { return src[size_t(c)] + dst[size_t(c)] * (1 - as); }},
  };
  for (const auto& [f, factor] : factors) {
    cases.push_back({f, NVG_ZERO, f, NVG_ZERO, [&, factor = factor](int c) { return src[size_t(c)] * factor(c); }});
  }
  for (const auto& c : cases) {
    clearToDestination();
    nvgBeginFrame(vg_, kSize, kSize, 1.0f);
    nvgGlobalCompositeBlendFuncSeparate(vg_, c.srcRGB, c.dstRGB, c.srcAlpha, c.dstAlpha);
    FillRect(8, 8, 48, 48, nvgRGBAf(0.8f, 0.4f, 0.2f, 0.6f));
    nvgEndFrame(vg_);
    Rgba8 want{};
    for (int i = 0; i < 4; ++i) want[size_t(i)] = std::uint8_t(std::lround(255.0f * c.result(i)));
    EXPECT_TRUE(Near(target_->Probe(32, 32), want, 2))
        << c.srcRGB << " " << c.dstRGB << " " << c.srcAlpha << " " << c.dstAlpha;
  }
}

// --- The flush and GL state ---

TEST_F(PixelFill, FlushLeavesNeutralState) {
  nvgBeginFrame(vg_, kSize, kSize, 1.0f);
  FillRect(8, 8, 20, 20, nvgRGBA(255, 0, 0, 255));
  nvgEndFrame(vg_);
  GLint program = -1, vertexArray = -1, texture = -1, arrayBuffer = -1;
  glGetIntegerv(GL_CURRENT_PROGRAM, &program);
  glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &vertexArray);
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &texture);
  glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &arrayBuffer);
  EXPECT_EQ(program, 0);
  EXPECT_EQ(vertexArray, 0);
  EXPECT_EQ(texture, 0);
  EXPECT_EQ(arrayBuffer, 0);
  EXPECT_EQ(glIsEnabled(GL_CULL_FACE), GL_FALSE);
  EXPECT_EQ(glIsEnabled(GL_STENCIL_TEST), GL_FALSE);
}

TEST_F(PixelFill, CancelledFrameDrawsNothing) {
  nvgBeginFrame(vg_, kSize, kSize, 1.0f);
  FillRect(8, 8, 48, 48, nvgRGBA(255, 0, 0, 255));
  nvgCancelFrame(vg_);
  // The next frame is empty: it must flush nothing left over.
  nvgBeginFrame(vg_, kSize, kSize, 1.0f);
  nvgEndFrame(vg_);
  EXPECT_TRUE(Near(target_->Probe(32, 32), kClear, 0));
}

}  // namespace
}  // namespace Orvane::Mosaira::Testing
