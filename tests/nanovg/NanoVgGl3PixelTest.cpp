// Real fills through the vector-drawing back end on llvmpipe, probed in their interiors (edge
// pixels depend on anti-aliasing): solid convex fills, concave fills through the stencil, image
// patterns of alpha-first textures, and the flush's use of GL state.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <memory>
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
  // A texture of alpha-first texels (host A, R, G, B in R, G, B, A), nearest filtering.
  static GLuint MakeHostTexture(int w, int h, const std::vector<unsigned char>& argb) {
    GLuint tex = 0;
    glGenTextures(1, &tex);
    glBindTexture(GL_TEXTURE_2D, tex);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(GL_RGBA8), w, h, 0, GL_RGBA,
                 GL_UNSIGNED_BYTE, argb.data());
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, static_cast<GLint>(GL_NEAREST));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, static_cast<GLint>(GL_NEAREST));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, static_cast<GLint>(GL_CLAMP_TO_EDGE));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, static_cast<GLint>(GL_CLAMP_TO_EDGE));
    glBindTexture(GL_TEXTURE_2D, 0);
    return tex;
  }
  void FillPattern(int image, float px, float py, float pw, float ph, float x, float y, float w,
                   float h) {
    nvgBeginPath(vg_);
    nvgRect(vg_, x, y, w, h);
    nvgFillPaint(vg_, nvgImagePattern(vg_, px, py, pw, ph, 0.0f, image, 1.0f));
    nvgFill(vg_);
  }
  // A 4 x 4 image of one alpha-first texel.
  int UniformImage(const std::vector<unsigned char>& argb, int flags) {
    std::vector<unsigned char> texels;
    for (int i = 0; i < 16; i++) texels.insert(texels.end(), argb.begin(), argb.end());
    return nvglCreateImageFromHandleGL3(vg_, MakeHostTexture(4, 4, texels), 4, 4, flags);
  }
};

// --- Solid fills ---

TEST_F(PixelFill, LaterConvexFillCoversEarlier) {
  nvgBeginFrame(vg_, kSize, kSize, 1.0f);
  FillRect(4, 4, 40, 40, nvgRGBA(255, 0, 0, 255));
  FillRect(20, 20, 40, 40, nvgRGBA(0, 255, 0, 255));
  nvgEndFrame(vg_);
  EXPECT_TRUE(Near(target_->Probe(10, 10), {255, 0, 0, 255}));
  EXPECT_TRUE(Near(target_->Probe(32, 32), {0, 255, 0, 255}));
  EXPECT_TRUE(Near(target_->Probe(10, 54), kClear));  // y grows downwards
  EXPECT_TRUE(Near(target_->Probe(2, 16), kClear));
}

TEST_F(PixelFill, TranslucentFillIsPremultiplied) {
  nvgBeginFrame(vg_, kSize, kSize, 1.0f);
  FillRect(8, 8, 48, 48, nvgRGBA(0, 0, 255, 128));
  nvgEndFrame(vg_);
  EXPECT_TRUE(Near(target_->Probe(32, 32), {0, 0, 128, 128}));
}

TEST_F(PixelFill, ConcaveFillLeavesTheNotch) {
  // A "C": the notch (8..40, 24..40) stays empty.
  nvgBeginFrame(vg_, kSize, kSize, 1.0f);
  nvgBeginPath(vg_);
  nvgMoveTo(vg_, 8, 8);
  nvgLineTo(vg_, 56, 8);
  nvgLineTo(vg_, 56, 56);
  nvgLineTo(vg_, 8, 56);
  nvgLineTo(vg_, 8, 40);
  nvgLineTo(vg_, 40, 40);
  nvgLineTo(vg_, 40, 24);
  nvgLineTo(vg_, 8, 24);
  nvgClosePath(vg_);
  nvgFillColor(vg_, nvgRGBA(0, 255, 0, 255));
  nvgFill(vg_);
  nvgEndFrame(vg_);
  EXPECT_TRUE(Near(target_->Probe(20, 32), kClear));
  EXPECT_TRUE(Near(target_->Probe(48, 32), {0, 255, 0, 255}));
  EXPECT_TRUE(Near(target_->Probe(20, 16), {0, 255, 0, 255}));
  EXPECT_TRUE(Near(target_->Probe(20, 48), {0, 255, 0, 255}));
  EXPECT_TRUE(Near(target_->Probe(60, 60), kClear));
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

TEST_F(PixelFill, ImagePatternShowsHostChannelsPremultiplied) {
  struct Case {
    std::vector<unsigned char> argb;
    Rgba8 want;
  };
  const Case cases[] = {
      {{255, 200, 100, 50}, {200, 100, 50, 255}},
      {{128, 255, 0, 0}, {128, 0, 0, 128}},  // host red at half alpha
  };
  for (const Case& c : cases) {
    target_->Clear();
    const int image = UniformImage(c.argb, 0);
    ASSERT_NE(image, 0);
    nvgBeginFrame(vg_, kSize, kSize, 1.0f);
    FillPattern(image, 0, 0, kSize, kSize, 8, 8, 48, 48);
    nvgEndFrame(vg_);
    EXPECT_TRUE(Near(target_->Probe(32, 32), c.want));
    nvgDeleteImage(vg_, image);
  }
}

TEST_F(PixelFill, ImagePatternKeepsLeftRightAndTopBottom) {
  // 2 x 2 texels: top row red, green; bottom row blue, white (host channels).
  const std::vector<unsigned char> texels = {255, 255, 0, 0,   255, 0, 255, 0,
                                             255, 0, 0, 255,   255, 255, 255, 255};
  const int image = nvglCreateImageFromHandleGL3(vg_, MakeHostTexture(2, 2, texels), 2, 2, 0);
  nvgBeginFrame(vg_, kSize, kSize, 1.0f);
  FillPattern(image, 0, 0, kSize, kSize, 0, 0, kSize, kSize);
  nvgEndFrame(vg_);
  EXPECT_TRUE(Near(target_->Probe(16, 16), {255, 0, 0, 255}));
  EXPECT_TRUE(Near(target_->Probe(48, 16), {0, 255, 0, 255}));
  EXPECT_TRUE(Near(target_->Probe(16, 48), {0, 0, 255, 255}));
  EXPECT_TRUE(Near(target_->Probe(48, 48), {255, 255, 255, 255}));
}

// Outside its rectangle a straight image is transparent; a premultiplied one loses only its
// alpha, so its colour is added there.
TEST_F(PixelFill, OutsideThePatternAlphaIsZero) {
  for (const int flags : {0, int(NVG_IMAGE_PREMULTIPLIED)}) {
    target_->Clear();
    const int image = UniformImage({255, 0, 255, 0}, flags);
    nvgBeginFrame(vg_, kSize, kSize, 1.0f);
    // The pattern covers (16..48, 16..48); the path covers the whole view.
    FillPattern(image, 16, 16, 32, 32, 0, 0, kSize, kSize);
    nvgEndFrame(vg_);
    const Rgba8 outside = flags == 0 ? kClear : Rgba8{0, 255, 0, 0};
    EXPECT_TRUE(Near(target_->Probe(32, 32), {0, 255, 0, 255})) << flags;
    EXPECT_TRUE(Near(target_->Probe(8, 32), outside)) << flags;
    EXPECT_TRUE(Near(target_->Probe(32, 56), outside)) << flags;
  }
}

TEST_F(PixelFill, UnknownImageDrawsNothing) {
  nvgBeginFrame(vg_, kSize, kSize, 1.0f);
  FillPattern(999, 0, 0, kSize, kSize, 8, 8, 48, 48);
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
  const struct {
    int srcRGB, dstRGB, srcAlpha, dstAlpha;
    std::function<float(int)> result;  // channel c (r, g, b, a) of the drawn pixel
  } cases[] = {
      {NVG_ZERO, NVG_ZERO, NVG_ZERO, NVG_ZERO, [](int) { return 0.0f; }},
      {NVG_ONE, NVG_ZERO, NVG_ONE, NVG_ZERO, [&](int c) { return src[size_t(c)]; }},
      {NVG_SRC_COLOR, NVG_ZERO, NVG_SRC_COLOR, NVG_ZERO, [&](int c) { return src[size_t(c)] * src[size_t(c)]; }},
      {NVG_ONE_MINUS_SRC_COLOR, NVG_ZERO, NVG_ONE_MINUS_SRC_COLOR, NVG_ZERO,
       [&](int c) { return src[size_t(c)] * (1 - src[size_t(c)]); }},
      {NVG_DST_COLOR, NVG_ZERO, NVG_DST_COLOR, NVG_ZERO, [&](int c) { return src[size_t(c)] * dst[size_t(c)]; }},
      {NVG_ONE_MINUS_DST_COLOR, NVG_ZERO, NVG_ONE_MINUS_DST_COLOR, NVG_ZERO,
       [&](int c) { return src[size_t(c)] * (1 - dst[size_t(c)]); }},
      {NVG_SRC_ALPHA, NVG_ZERO, NVG_SRC_ALPHA, NVG_ZERO, [&](int c) { return src[size_t(c)] * as; }},
      {NVG_ONE_MINUS_SRC_ALPHA, NVG_ZERO, NVG_ONE_MINUS_SRC_ALPHA, NVG_ZERO,
       [&](int c) { return src[size_t(c)] * (1 - as); }},
      {NVG_DST_ALPHA, NVG_ZERO, NVG_DST_ALPHA, NVG_ZERO, [&](int c) { return src[size_t(c)] * ad; }},
      {NVG_ONE_MINUS_DST_ALPHA, NVG_ZERO, NVG_ONE_MINUS_DST_ALPHA, NVG_ZERO,
       [&](int c) { return src[size_t(c)] * (1 - ad); }},
      {NVG_SRC_ALPHA_SATURATE, NVG_ZERO, NVG_SRC_ALPHA_SATURATE, NVG_ZERO,
       [&](int c) { return src[size_t(c)] * (c == 3 ? 1.0f : std::min(as, 1 - ad)); }},
      // The destination factors, and each slot in its place: colour from the source, alpha kept.
      {NVG_ZERO, NVG_ONE, NVG_ONE, NVG_ZERO, [&](int c) { return c == 3 ? as : dst[size_t(c)]; }},
      {NVG_ONE, NVG_ZERO, NVG_ZERO, NVG_ONE, [&](int c) { return c == 3 ? ad : src[size_t(c)]; }},
      {0, NVG_ZERO, NVG_ONE, NVG_ZERO, [&](int c) { return src[size_t(c)] + dst[size_t(c)] * (1 - as); }},
  };
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

TEST_F(PixelFill, FlushInASharingContext) {
  // The back end was made in the suite's context; a render thread's context shares its
  // objects but not vertex array objects or framebuffers.
  auto other = Platform::GlContext::Create(&context_->Context(), Platform::ContextProfile::kCore33);
  ASSERT_NE(other, nullptr);
  other->InitializeBinding();
  {
    OffscreenTarget target(kSize, kSize);
    ASSERT_TRUE(target.Complete());
    target.Clear();
    nvgBeginFrame(vg_, kSize, kSize, 1.0f);
    nvgBeginPath(vg_);
    nvgMoveTo(vg_, 8, 8);
    nvgLineTo(vg_, 56, 8);
    nvgLineTo(vg_, 8, 56);
    nvgLineTo(vg_, 56, 56);  // a bow tie: not convex, drawn through the stencil
    nvgClosePath(vg_);
    nvgFillColor(vg_, nvgRGBA(255, 0, 255, 255));
    nvgFill(vg_);
    nvgEndFrame(vg_);
    EXPECT_TRUE(Near(target.Probe(32, 16), {255, 0, 255, 255}));
    EXPECT_TRUE(Near(target.Probe(12, 32), kClear));
  }
  ASSERT_TRUE(context_->Context().MakeCurrent());
  other.reset();
  ASSERT_TRUE(context_->Context().MakeCurrent());
}

TEST_F(PixelFill, MadeInDefaultContextDrawnInCoreContext) {
  // As the plug-in runs: the back end is made while the driver's default context is current
  // and draws in a 3.3 core context that shares objects with it.
  auto root = Platform::GlContext::Create(nullptr, Platform::ContextProfile::kDriverDefault);
  ASSERT_NE(root, nullptr);
  root->InitializeBinding();
  NVGcontext* vg = nvgCreateGL3(NVG_ANTIALIAS);
  ASSERT_NE(vg, nullptr);
  auto render = Platform::GlContext::Create(root.get(), Platform::ContextProfile::kCore33);
  ASSERT_NE(render, nullptr);
  render->InitializeBinding();
  {
    OffscreenTarget target(kSize, kSize);
    ASSERT_TRUE(target.Complete());
    target.Clear();
    const std::vector<unsigned char> texels = {255, 10, 220, 30,  255, 10, 220, 30,
                                               255, 10, 220, 30,  255, 10, 220, 30};
    const int image = nvglCreateImageFromHandleGL3(vg, MakeHostTexture(2, 2, texels), 2, 2, 0);
    nvgBeginFrame(vg, kSize, kSize, 1.0f);
    nvgBeginPath(vg);
    nvgRoundedRect(vg, 8, 8, 48, 48, 12);
    nvgFillPaint(vg, nvgImagePattern(vg, 0, 0, kSize, kSize, 0.0f, image, 1.0f));
    nvgFill(vg);
    nvgEndFrame(vg);
    EXPECT_TRUE(Near(target.Probe(32, 32), {10, 220, 30, 255}));
    EXPECT_TRUE(Near(target.Probe(9, 9), kClear));  // cut off by the rounded corner
    nvgDeleteImage(vg, image);
  }
  ASSERT_TRUE(root->MakeCurrent());
  render.reset();
  nvgDeleteInternal(vg);
  root.reset();
  ASSERT_TRUE(context_->Context().MakeCurrent());
}

}  // namespace
}  // namespace Orvane::Mosaira::Testing
