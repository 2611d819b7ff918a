// Creation flags and program building of the vector-drawing back end on llvmpipe: fills without
// anti-aliasing, plain and stencil strokes, textured triangles, and shader failures.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include <glbinding/CallbackMask.h>
#include <glbinding/callbacks.h>

#include "render/NanoVgGl3.h"
#include "render/NanoVgGl3Internal.h"
#include "tests/nanovg/GlTestContext.h"

namespace Orvane::Mosaira::Testing {
namespace {

using namespace gl33core;

constexpr int kSize = 64;

bool Near(const Rgba8& got, const Rgba8& want, int tolerance = 1) {
  for (int c = 0; c < 4; c++) {
    if (std::abs(int(got[c]) - int(want[c])) > tolerance) return false;
  }
  return true;
}

class BackEndFlags : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { context_ = GlTestContext::Create(); }
  static void TearDownTestSuite() { context_.reset(); }
  void SetUp() override {
    ASSERT_NE(context_, nullptr) << "no OpenGL 3.3 core context";
    target_ = std::make_unique<OffscreenTarget>(kSize, kSize);
    ASSERT_TRUE(target_->Complete());
    target_->Clear();
  }
  void TearDown() override {
    if (vg_ != nullptr) nvgDeleteInternal(vg_);
    target_.reset();
  }
  void Make(int flags) {
    vg_ = nvgCreateGL3(flags);
    ASSERT_NE(vg_, nullptr);
  }
  void ConcaveFill() {
    nvgBeginPath(vg_);
    nvgMoveTo(vg_, 8, 8);
    nvgLineTo(vg_, 56, 8);
    nvgLineTo(vg_, 32, 32);
    nvgLineTo(vg_, 56, 56);
    nvgLineTo(vg_, 8, 56);
    nvgClosePath(vg_);
    nvgFillColor(vg_, nvgRGBA(255, 255, 0, 255));
    nvgFill(vg_);
  }
  void HorizontalStroke() {
    nvgBeginPath(vg_);
    nvgMoveTo(vg_, 8, 32);
    nvgLineTo(vg_, 56, 32);
    nvgStrokeColor(vg_, nvgRGBA(0, 255, 255, 255));
    nvgStrokeWidth(vg_, 8);
    nvgStroke(vg_);
  }

  static std::unique_ptr<GlTestContext> context_;
  std::unique_ptr<OffscreenTarget> target_;
  NVGcontext* vg_ = nullptr;
};
std::unique_ptr<GlTestContext> BackEndFlags::context_;

TEST_F(BackEndFlags, StencilFillWithoutAntialiasDrawsNoFringe) {
  Make(0);
  GlTestContext::ResetCallCounts();
  nvgBeginFrame(vg_, kSize, kSize, 1.0f);
  ConcaveFill();
  nvgEndFrame(vg_);
  EXPECT_EQ(GlTestContext::CallCount("glDrawArrays"), 2);  // the fan and the cover quad
  EXPECT_TRUE(Near(target_->Probe(16, 32), {255, 255, 0, 255}));
  EXPECT_TRUE(Near(target_->Probe(50, 32), {0, 0, 0, 0}));
}

TEST_F(BackEndFlags, StencilFillWithAntialiasDrawsItsFringe) {
  Make(NVG_ANTIALIAS);
  GlTestContext::ResetCallCounts();
  nvgBeginFrame(vg_, kSize, kSize, 1.0f);
  ConcaveFill();
  nvgEndFrame(vg_);
  EXPECT_EQ(GlTestContext::CallCount("glDrawArrays"), 3);
  EXPECT_TRUE(Near(target_->Probe(16, 32), {255, 255, 0, 255}));
  EXPECT_TRUE(Near(target_->Probe(50, 32), {0, 0, 0, 0}));
}

TEST_F(BackEndFlags, PlainStroke) {
  Make(NVG_ANTIALIAS);
  nvgBeginFrame(vg_, kSize, kSize, 1.0f);
  HorizontalStroke();
  nvgEndFrame(vg_);
  EXPECT_TRUE(Near(target_->Probe(32, 32), {0, 255, 255, 255}));
  EXPECT_TRUE(Near(target_->Probe(32, 20), {0, 0, 0, 0}));
}

TEST_F(BackEndFlags, StencilStrokeDrawsOnceAndClearsStencil) {
  Make(NVG_ANTIALIAS | NVG_STENCIL_STROKES);
  nvgBeginFrame(vg_, kSize, kSize, 1.0f);
  HorizontalStroke();
  nvgEndFrame(vg_);
  EXPECT_TRUE(Near(target_->Probe(32, 32), {0, 255, 255, 255}));
  EXPECT_TRUE(Near(target_->Probe(32, 20), {0, 0, 0, 0}));
  GLint stencil = -1;
  glReadPixels(32, kSize - 1 - 32, 1, 1, GL_STENCIL_INDEX, GL_UNSIGNED_BYTE, &stencil);
  EXPECT_EQ(stencil & 0xff, 0);
  EXPECT_EQ(glIsEnabled(GL_STENCIL_TEST), GL_FALSE);
}

TEST_F(BackEndFlags, TexturedTrianglesSampleWithoutReorder) {
  Make(NVG_ANTIALIAS);
  const unsigned char texel[4] = {10, 20, 30, 255};
  const int image = nvgCreateImageRGBA(vg_, 1, 1, NVG_IMAGE_PREMULTIPLIED, texel);
  ASSERT_NE(image, 0);
  auto* gl = static_cast<detail::GLNVGcontext*>(nvgInternalParams(vg_)->userPtr);
  const NVGvertex verts[6] = {{0, 0, 0.5f, 0.5f},  {0, 64, 0.5f, 0.5f}, {64, 0, 0.5f, 0.5f},
                              {64, 0, 0.5f, 0.5f}, {0, 64, 0.5f, 0.5f}, {64, 64, 0.5f, 0.5f}};
  NVGpaint paint{};
  paint.xform[0] = paint.xform[3] = 1.0f;
  paint.innerColor = paint.outerColor = nvgRGBAf(1, 1, 1, 1);
  paint.image = image;
  NVGscissor scissor{};
  scissor.extent[0] = scissor.extent[1] = -1.0f;
  nvgBeginFrame(vg_, kSize, kSize, 1.0f);
  detail::glnvg__renderTriangles(gl, &paint, {NVG_ONE, NVG_ONE_MINUS_SRC_ALPHA, NVG_ONE,
                                              NVG_ONE_MINUS_SRC_ALPHA},
                                 &scissor, verts, 6, 1.0f);
  nvgEndFrame(vg_);
  EXPECT_TRUE(Near(target_->Probe(20, 20), {10, 20, 30, 255}));
}

TEST_F(BackEndFlags, BrokenShaderIsReportedAndDeleted) {
  detail::GLNVGshader shader;
  GlTestContext::ResetCallCounts();
  ::testing::internal::CaptureStdout();
  const int ok = detail::glnvg__createShader(&shader, "probe", "#version 150 core\n", nullptr,
                                             "void main(void) { gl_Position = vec4(0); }\n",
                                             "void main(void) { this is not glsl }\n");
  const std::string out = ::testing::internal::GetCapturedStdout();
  EXPECT_EQ(ok, 0);
  EXPECT_NE(out.find("Shader probe/frag error:\n"), std::string::npos) << out;
  EXPECT_EQ(shader.prog, 0u);
  EXPECT_EQ(shader.frag, 0u);
  EXPECT_EQ(GlTestContext::CallCount("glDeleteProgram"), 1);
  EXPECT_EQ(GlTestContext::CallCount("glDeleteShader"), 2);
}

TEST_F(BackEndFlags, UnlinkableProgramIsReportedAndDeleted) {
  detail::GLNVGshader shader;
  GlTestContext::ResetCallCounts();
  ::testing::internal::CaptureStdout();
  // Both stages compile, but the fragment stage has no main.
  const int ok = detail::glnvg__createShader(&shader, "probe", "#version 150 core\n", "",
                                             "void main(void) { gl_Position = vec4(0); }\n",
                                             "out vec4 c; void helper(void) { c = vec4(1); }\n");
  const std::string out = ::testing::internal::GetCapturedStdout();
  EXPECT_EQ(ok, 0);
  EXPECT_NE(out.find("Program probe error:\n"), std::string::npos) << out;
  EXPECT_EQ(shader.prog, 0u);
  EXPECT_EQ(GlTestContext::CallCount("glDeleteProgram"), 1);
}

TEST_F(BackEndFlags, DebugFlagReportsGlErrors) {
  Make(NVG_ANTIALIAS | NVG_DEBUG);
  auto* gl = static_cast<detail::GLNVGcontext*>(nvgInternalParams(vg_)->userPtr);
  // The test bed's own error check would swallow the error first: pause it.
  glbinding::setCallbackMask(glbinding::CallbackMask::None);
  glBindTexture(GL_TEXTURE_2D, 0xffffff);  // not a name made by glGenTextures
  ::testing::internal::CaptureStdout();
  detail::glnvg__checkError(gl, "probe step");
  detail::glnvg__checkError(gl, "quiet step");
  const std::string out = ::testing::internal::GetCapturedStdout();
  glbinding::setCallbackMaskExcept(glbinding::CallbackMask::After, {"glGetError"});
  EXPECT_EQ(out, "Error 00000502 after probe step\n");
}

TEST_F(BackEndFlags, WithoutDebugFlagErrorsStaySilent) {
  Make(NVG_ANTIALIAS);
  auto* gl = static_cast<detail::GLNVGcontext*>(nvgInternalParams(vg_)->userPtr);
  glbinding::setCallbackMask(glbinding::CallbackMask::None);
  glBindTexture(GL_TEXTURE_2D, 0xffffff);
  ::testing::internal::CaptureStdout();
  detail::glnvg__checkError(gl, "probe step");
  const std::string out = ::testing::internal::GetCapturedStdout();
  const GLenum pending = glGetError();
  glbinding::setCallbackMaskExcept(glbinding::CallbackMask::After, {"glGetError"});
  EXPECT_EQ(out, "");
  EXPECT_EQ(pending, GL_INVALID_OPERATION);
}

}  // namespace
}  // namespace Orvane::Mosaira::Testing
