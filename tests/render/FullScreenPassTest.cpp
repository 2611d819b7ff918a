#include <gmock/gmock.h>
#include <gtest/gtest-spi.h>

#include <thread>

#include "GlTestSupport.h"
#include "render/FullScreenPasses.h"

using namespace gl33core;

namespace Orvane::Mosaira {
namespace {

// A float texture of w x h texels (RGBA, bottom row first as GL stores it).
GLuint FloatTexture(int w, int h, const std::vector<float>& texels) {
  GLuint texture = 0;
  glGenTextures(1, &texture);
  glBindTexture(GL_TEXTURE_2D, texture);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, static_cast<GLint>(GL_NEAREST));
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, static_cast<GLint>(GL_NEAREST));
  glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(GL_RGBA32F), w, h, 0, GL_RGBA, GL_FLOAT, texels.data());
  glBindTexture(GL_TEXTURE_2D, 0);
  return texture;
}

using FloatTarget = Testing::ReadTarget;

using ::testing::ElementsAre;
using ::testing::FloatNear;

class OutputPass : public Testing::RenderSession {};

// One premultiplied RGBA texel drawn through the output pass: alpha first, colour straight,
// all divided by the multiplier; the 16-bit road (multiplier above 1) holds values to 1 first.
TEST_F(OutputPass, UnpremultipliesMovesAlphaFirstAndDivides) {
  const float m = kMultiplier16Bit;
  struct Case {
    const char* name;
    std::vector<float> texel;
    float multiplier;
    std::vector<float> want;
  };
  const Case cases[] = {
      {"positive alpha", {0.25f, 0.5f, 0.125f, 0.5f}, 1.0f, {0.5f, 0.5f, 1.0f, 0.25f}},
      {"zero alpha", {0.9f, 0.8f, 0.7f, 0.0f}, 1.0f, {0.0f, 0.0f, 0.0f, 0.0f}},
      {"16-bit", {0.25f, 0.5f, 0.125f, 0.5f}, m, {0.5f / m, 0.5f / m, 1.0f / m, 0.25f / m}},
      // Colour above its alpha (not a valid premultiplied texel) would leave the 16-bit range.
      {"16-bit above one", {0.75f, 0.25f, 0.25f, 0.5f}, m, {0.5f / m, 1.0f / m, 0.5f / m, 0.5f / m}},
      {"float above one", {3.0f, 1.0f, 0.5f, 1.0f}, 1.0f, {1.0f, 3.0f, 1.0f, 0.5f}},
  };
  for (const Case& c : cases) {
    FloatTarget target(1, 1);
    const GLuint texture = FloatTexture(1, 1, c.texel);
    OpenglOutputQuad pass;
    pass.draw(texture, c.multiplier);
    const std::vector<float> got = Testing::ReadFloatPixels(1, 1);
    for (int i = 0; i < 4; ++i) EXPECT_NEAR(got[i], c.want[i], 1e-6) << c.name << " channel " << i;
    glDeleteTextures(1, &texture);
  }
}

class FlipPass : public Testing::RenderSession {};

// Texture row 0 lands at the top, channels divided by the multiplier in their order, and the
// pass leaves no vertex array or buffer bound.
TEST_F(FlipPass, FlipsRowsAndDividesWithoutReordering) {
  FloatTarget target(1, 2);
  const GLuint texture = FloatTexture(1, 2, {0.2f, 0.4f, 0.6f, 0.8f, 0.8f, 0.6f, 0.4f, 0.2f});
  OpenglFlipQuad pass;
  pass.draw(texture, 2.0f);
  // Framebuffer row 0 is the bottom: it must show texture row 1.
  const std::vector<float> want = {0.4f, 0.3f, 0.2f, 0.1f, 0.1f, 0.2f, 0.3f, 0.4f};
  EXPECT_THAT(Testing::ReadFloatPixels(1, 2), ::testing::Pointwise(FloatNear(1e-6), want));
  GLint vertexArray = -1;
  GLint buffer = -1;
  glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &vertexArray);
  glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &buffer);
  EXPECT_EQ(vertexArray, 0);
  EXPECT_EQ(buffer, 0);
  glDeleteTextures(1, &texture);
}

TEST_F(FlipPass, EveryContextGetsItsOwnVertexArray) {
  OpenglFlipQuad pass;
  const GLuint texture = FloatTexture(1, 1, {0.5f, 0.25f, 0.0f, 1.0f});
  {
    FloatTarget target(1, 1);
    pass.draw(texture, 1.0f);
  }
  const GLuint ownArray = pass.vertexArrayOf(context->Handle());
  EXPECT_NE(ownArray, 0u);
  std::vector<float> otherThread;
  Platform::BindingHandle otherHandle = 0;
  std::thread worker([&] {
    ScopedHostContext host;
    otherHandle = Testing::AcquireThreadContext()->Handle();
    FloatTarget target(1, 1);
    pass.draw(texture, 1.0f);
    otherThread = Testing::ReadFloatPixels(1, 1);
  });
  worker.join();
  EXPECT_NE(pass.vertexArrayOf(otherHandle), 0u);
  EXPECT_THAT(otherThread, ElementsAre(0.5f, 0.25f, 0.0f, 1.0f));
  pass.release();
  EXPECT_EQ(pass.vertexArrayOf(context->Handle()), 0u);
  glDeleteTextures(1, &texture);
}

class ShaderBuild : public Testing::RenderSession {};

// A fragment stage that fails prints only its own log, leaves the shader unbuilt and deletes the
// stage objects it made. Stage names are handed out in increasing order: whatever the failed build
// made lies between the two probes, and must be gone (a leaked stage would still answer glIsShader).
TEST_F(ShaderBuild, FailingFragmentPrintsItsLogAndLeavesNothing) {
  const GLuint first = glCreateShader(GL_VERTEX_SHADER);
  OpenglShader shader(kPassVertexSource, "#version 330\nvoid main() { undefined_call(); }");
  ::testing::internal::CaptureStdout();
  shader.compile();
  const std::string printed = ::testing::internal::GetCapturedStdout();
  const GLuint last = glCreateShader(GL_VERTEX_SHADER);
  EXPECT_FALSE(shader.program);
  EXPECT_THAT(printed, ::testing::StartsWith("Shader frag error:\n"));
  EXPECT_THAT(printed, ::testing::Not(::testing::HasSubstr("vert")));
  EXPECT_GT(last, first + 1);
  for (GLuint name = first + 1; name < last; ++name) EXPECT_EQ(glIsShader(name), GL_FALSE) << name;
  glDeleteShader(first);
  glDeleteShader(last);
}

TEST_F(ShaderBuild, LongLogIsCutTo512Characters) {
  std::string source = "#version 330\nout vec4 c;\nvoid main() {\n";
  for (int i = 0; i < 60; ++i) source += "  c = undefined_name_" + std::to_string(i) + ";\n";
  source += "}";
  OpenglShader shader(kPassVertexSource, source);
  ::testing::internal::CaptureStdout();
  shader.compile();
  const std::string printed = ::testing::internal::GetCapturedStdout();
  const std::string header = "Shader frag error:\n";
  ASSERT_THAT(printed, ::testing::StartsWith(header));
  EXPECT_EQ(printed.size(), header.size() + kInfoLogLimit + 1);
}

TEST_F(ShaderBuild, UnbuiltPassStillDrawsWithoutGlError) {
  FloatTarget target(1, 1);
  FullScreenPass pass("#version 330\nvoid main() { broken }");
  ::testing::internal::CaptureStdout();
  pass.draw(0, 1.0f);
  pass.draw(0, 1.0f);
  const std::string printed = ::testing::internal::GetCapturedStdout();
  EXPECT_FALSE(pass.shader.program);
  // A failed build is tried again on the next draw.
  EXPECT_EQ(printed.find("Shader frag error"), 0u);
  EXPECT_NE(printed.find("Shader frag error", 1), std::string::npos);
}

TEST_F(ShaderBuild, ErrorCheckCatchesGlErrors) {
  EXPECT_NONFATAL_FAILURE(glBindTexture(GL_TEXTURE_2D, 999999), "GL error");
}

}  // namespace
}  // namespace Orvane::Mosaira
