#include <gmock/gmock.h>

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

class OutputPass : public Testing::RenderSession {};

// One premultiplied RGBA texel drawn through the output pass: alpha first, colour straight,
// all divided by the multiplier; the 16-bit road (multiplier above 1) holds values to 1 first.
TEST_F(OutputPass, UnpremultipliesMovesAlphaFirstAndDivides) {
  const float m = kMultiplier16Bit;
  const float step = 1.0f / 32768.0f;
  const float half = 0.5f * step;
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
      // Half a 16-bit step of coverage is none, at every depth; more is at least one 16-bit step.
      {"16-bit half step", {0.5f * half, 0.25f * half, 0.125f * half, half}, m, {0.0f, 0.0f, 0.0f, 0.0f}},
      {"float half step", {0.5f * half, 0.25f * half, 0.125f * half, half}, 1.0f, {0.0f, 0.0f, 0.0f, 0.0f}},
      {"16-bit above half step", {0.5f * 1.2f * half, 0.25f * 1.2f * half, 0.0f, 1.2f * half}, m,
       {step / m, 0.5f / m, 0.25f / m, 0.0f}},
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

}  // namespace
}  // namespace Orvane::Mosaira
