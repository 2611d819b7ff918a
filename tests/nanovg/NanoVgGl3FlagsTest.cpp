// Creation flags and program building of the vector-drawing back end on llvmpipe: fills with and
// without anti-aliasing, plain and stencil strokes, textured triangles, and shader failures.
#include <gtest/gtest.h>

#include <string>

#include <glbinding/CallbackMask.h>
#include <glbinding/callbacks.h>

#include "render/NanoVgGl3Internal.h"
#include "tests/nanovg/GlTestContext.h"

namespace Orvane::Mosaira::Testing {
namespace {

using namespace gl33core;

class BackEndFlags : public BackEndTest, public ::testing::WithParamInterface<int> {};

GLint StencilAt(int x, int y) {
  GLint stencil = -1;
  glReadPixels(x, 63 - y, 1, 1, GL_STENCIL_INDEX, GL_UNSIGNED_BYTE, &stencil);
  return stencil & 0xff;
}

TEST_P(BackEndFlags, StencilFillKeepsItsConcaveShape) {
  Make(GetParam());
  nvgBeginFrame(vg_, kSize, kSize, 1.0f);
  nvgBeginPath(vg_);
  nvgMoveTo(vg_, 8, 8);
  nvgLineTo(vg_, 56, 8);
  nvgLineTo(vg_, 32, 32);
  nvgLineTo(vg_, 56, 56);
  nvgLineTo(vg_, 8, 56);
  nvgClosePath(vg_);
  nvgFillColor(vg_, nvgRGBA(255, 255, 0, 255));
  nvgFill(vg_);
  nvgEndFrame(vg_);
  EXPECT_TRUE(Near(target_->Probe(16, 32), {255, 255, 0, 255}));
  EXPECT_TRUE(Near(target_->Probe(50, 32), kClear));
}

TEST_P(BackEndFlags, StrokeCoversItsWidthAndClearsStencil) {
  Make(GetParam());
  nvgBeginFrame(vg_, kSize, kSize, 1.0f);
  nvgBeginPath(vg_);
  nvgMoveTo(vg_, 8, 32);
  nvgLineTo(vg_, 56, 32);
  nvgStrokeColor(vg_, nvgRGBA(0, 255, 255, 255));
  nvgStrokeWidth(vg_, 8);
  nvgStroke(vg_);
  nvgEndFrame(vg_);
  EXPECT_TRUE(Near(target_->Probe(32, 32), {0, 255, 255, 255}));
  EXPECT_TRUE(Near(target_->Probe(32, 20), kClear));
  EXPECT_EQ(StencilAt(32, 32), 0);
  EXPECT_EQ(glIsEnabled(GL_STENCIL_TEST), GL_FALSE);
}

INSTANTIATE_TEST_SUITE_P(Flags, BackEndFlags,
                         ::testing::Values(0, NVG_ANTIALIAS, NVG_ANTIALIAS | NVG_STENCIL_STROKES));

using BackEndDraw = BackEndTest;

TEST_F(BackEndDraw, TexturedTrianglesSampleWithoutReorder) {
  Make(NVG_ANTIALIAS);
  const unsigned char texel[4] = {10, 20, 30, 255};
  const int image = nvgCreateImageRGBA(vg_, 1, 1, NVG_IMAGE_PREMULTIPLIED, texel);
  ASSERT_NE(image, 0);
  const NVGvertex verts[6] = {{0, 0, 0.5f, 0.5f},  {0, 64, 0.5f, 0.5f}, {64, 0, 0.5f, 0.5f},
                              {64, 0, 0.5f, 0.5f}, {0, 64, 0.5f, 0.5f}, {64, 64, 0.5f, 0.5f}};
  NVGpaint paint{};
  paint.xform[0] = paint.xform[3] = 1.0f;
  paint.innerColor = paint.outerColor = nvgRGBAf(1, 1, 1, 1);
  paint.image = image;
  NVGscissor scissor{};
  scissor.extent[0] = scissor.extent[1] = -1.0f;
  nvgBeginFrame(vg_, kSize, kSize, 1.0f);
  detail::glnvg__renderTriangles(State(), &paint,
                                 {NVG_ONE, NVG_ONE_MINUS_SRC_ALPHA, NVG_ONE, NVG_ONE_MINUS_SRC_ALPHA},
                                 &scissor, verts, 6, 1.0f);
  nvgEndFrame(vg_);
  EXPECT_TRUE(Near(target_->Probe(20, 20), {10, 20, 30, 255}));
}

// A program that fails to compile or link is reported by stage and leaves no GL object behind.
// Shader and program names are handed out in increasing order from one space: whatever the
// failed build made lies between the two probes, and must be gone.
TEST_F(BackEndDraw, FailedProgramIsReportedAndDeleted) {
  struct Case {
    const char* opts;
    const char* frag;
    const char* report;
  };
  const Case cases[] = {
      {nullptr, "void main(void) { this is not glsl }\n", "Shader probe/frag error:\n"},
      // Both stages compile, but the fragment stage has no main.
      {"", "out vec4 c; void helper(void) { c = vec4(1); }\n", "Program probe error:\n"},
  };
  for (const Case& c : cases) {
    detail::GLNVGshader shader;
    const GLuint first = glCreateShader(GL_VERTEX_SHADER);
    ::testing::internal::CaptureStdout();
    const int ok = detail::glnvg__createShader(&shader, "probe", "#version 150 core\n", c.opts,
                                               "void main(void) { gl_Position = vec4(0); }\n",
                                               c.frag);
    const std::string out = ::testing::internal::GetCapturedStdout();
    const GLuint last = glCreateShader(GL_VERTEX_SHADER);
    EXPECT_EQ(ok, 0);
    EXPECT_NE(out.find(c.report), std::string::npos) << out;
    EXPECT_EQ(shader.prog, 0u);
    EXPECT_EQ(shader.frag, 0u);
    EXPECT_GT(last, first + 3) << c.report;  // a program and two stages were made
    for (GLuint name = first + 1; name < last; ++name) {
      EXPECT_FALSE(glIsShader(name) == GL_TRUE || glIsProgram(name) == GL_TRUE) << c.report << " " << name;
    }
    glDeleteShader(first);
    glDeleteShader(last);
  }
}

// Only a back end made with the debug flag reports (and so consumes) pending GL errors.
TEST_F(BackEndDraw, GlErrorsReportedOnlyWithDebugFlag) {
  for (const bool debug : {true, false}) {
    Make(NVG_ANTIALIAS | (debug ? NVG_DEBUG : 0));
    // The test bed's own error check would swallow the error first: pause it.
    glbinding::setCallbackMask(glbinding::CallbackMask::None);
    glBindTexture(GL_TEXTURE_2D, 0xffffff);  // not a name made by glGenTextures
    ::testing::internal::CaptureStdout();
    detail::glnvg__checkError(State(), "probe step");
    detail::glnvg__checkError(State(), "quiet step");
    const std::string out = ::testing::internal::GetCapturedStdout();
    const GLenum pending = glGetError();
    glbinding::setCallbackMaskExcept(glbinding::CallbackMask::After, {"glGetError"});
    EXPECT_EQ(out, debug ? "Error 00000502 after probe step\n" : "") << debug;
    EXPECT_EQ(pending, debug ? GL_NO_ERROR : GL_INVALID_OPERATION) << debug;
    nvgDeleteInternal(vg_);
    vg_ = nullptr;
  }
}

}  // namespace
}  // namespace Orvane::Mosaira::Testing
