// The framebuffer renderer's layer stack, read back through GL: what a pop resolves, what it
// deletes and what it leaves bound; and the output pass that set-down deletes and the next
// composite makes again.
#include <gtest/gtest.h>

#include <vector>

#include "GlTestSupport.h"
#include "render/OpenglFboRenderer.h"

using namespace gl33core;

namespace Orvane::Mosaira {
namespace {

constexpr std::uint32_t kW = 8, kH = 6;

// Every RGBA float texel of a kW x kH texture equals `want`.
::testing::AssertionResult TextureIs(GLuint texture, const std::vector<float>& want) {
  std::vector<float> texels(kW * kH * 4);
  glBindTexture(GL_TEXTURE_2D, texture);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_FLOAT, texels.data());
  glBindTexture(GL_TEXTURE_2D, 0);
  for (std::size_t i = 0; i < texels.size(); ++i) {
    if (texels[i] != want[i % 4]) return ::testing::AssertionFailure() << "texel value " << texels[i] << " at " << i;
  }
  return ::testing::AssertionSuccess();
}

// The name attached at `attachment` of the framebuffer bound to GL_FRAMEBUFFER.
GLuint Attached(GLenum attachment) {
  GLint name = 0;
  glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, attachment, GL_FRAMEBUFFER_ATTACHMENT_OBJECT_NAME, &name);
  return GLuint(name);
}

void ClearTo(float r, float g, float b, float a) {
  glClearColor(r, g, b, a);
  glClear(GL_COLOR_BUFFER_BIT);
}

class FboRenderer : public Testing::RenderSession {
 protected:
  void SetUp() override {
    RenderSession::SetUp();
    renderer.resize(kW, kH, ColourStorage::kFloat32);
    glViewport(0, 0, GLsizei(kW), GLsizei(kH));
  }
  GLuint LayerFbo() const { return renderer.framebuffersOf(Platform::CurrentBindingHandle()).layerFbo; }

  OpenglFboRenderer& renderer = OpenglFboRenderer::instance();
};

// Push without stencil, push with stencil, pop: the texture holds the upper layer, whose colour and
// stencil are gone (no layer is kept for later), and the lower layer alone is the draw target again.
TEST_F(FboRenderer, PopResolvesTheTopLayerAndDeletesIt) {
  renderer.pushLayer(false);
  const GLuint lower = renderer.layerNames().back();
  ClearTo(1.0f, 0.0f, 0.0f, 1.0f);
  renderer.pushLayer(true);
  const GLuint upper = renderer.layerNames().back();
  const GLuint stencil = renderer.stencilOf(upper);
  ASSERT_NE(stencil, 0u);
  EXPECT_EQ(renderer.stencilOf(lower), 0u);
  EXPECT_EQ(Attached(GL_STENCIL_ATTACHMENT), stencil);
  ClearTo(0.0f, 0.5f, 0.0f, 0.5f);

  const GlTexture upperTexture(renderer.popLayerToTexture());
  EXPECT_TRUE(TextureIs(upperTexture.Get(), {0.0f, 0.5f, 0.0f, 0.5f}));
  EXPECT_EQ(renderer.layerNames(), std::vector<GLuint>{lower});
  EXPECT_EQ(glIsRenderbuffer(upper), GL_FALSE);
  EXPECT_EQ(glIsRenderbuffer(stencil), GL_FALSE);
  EXPECT_EQ(renderer.stencilOf(upper), 0u);
  GLint drawing = 0;
  glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &drawing);
  EXPECT_EQ(GLuint(drawing), LayerFbo());
  EXPECT_EQ(Attached(GL_COLOR_ATTACHMENT0), lower);
  EXPECT_EQ(Attached(GL_STENCIL_ATTACHMENT), 0u);

  const GlTexture lowerTexture(renderer.popLayerToTexture());
  EXPECT_TRUE(TextureIs(lowerTexture.Get(), {1.0f, 0.0f, 0.0f, 1.0f}));
  EXPECT_EQ(renderer.layerCount(), 0u);
  EXPECT_EQ(glIsRenderbuffer(lower), GL_FALSE);
  EXPECT_EQ(renderer.popLayerToTexture(), 0u);
}

// A layer pushed after one was drawn and popped starts transparent black.
TEST_F(FboRenderer, PushedLayerStartsCleared) {
  renderer.pushLayer(true);
  ClearTo(1.0f, 1.0f, 1.0f, 1.0f);
  GlTexture(renderer.popLayerToTexture());
  renderer.pushLayer(true);
  const GlTexture texture(renderer.popLayerToTexture());
  EXPECT_TRUE(TextureIs(texture.Get(), {0.0f, 0.0f, 0.0f, 0.0f}));
}

// Set-down releases the renderer and deletes its output pass; the renderer itself stays, and after
// a new set-up a composite makes a new output pass and draws through it.
TEST_F(FboRenderer, CompositeAfterSetdownMakesANewOutputPass) {
  RenderGlobalSetdown();
  EXPECT_EQ(&OpenglFboRenderer::instance(), &renderer);
  EXPECT_EQ(renderer.outputQuad, nullptr);
  EXPECT_EQ(renderer.width, 0u);
  EXPECT_EQ(renderer.outputName(), 0u);

  RenderGlobalSetup();
  context = Testing::AcquireThreadContext();
  renderer.resize(kW, kH, ColourStorage::kFloat32);
  glViewport(0, 0, GLsizei(kW), GLsizei(kH));
  renderer.pushLayer(false);
  ClearTo(0.25f, 0.5f, 0.125f, 0.5f);
  renderer.composite(1.0f);
  ASSERT_NE(renderer.outputQuad, nullptr);
  EXPECT_EQ(renderer.layerCount(), 0u);
  const std::vector<float> pixels = Testing::ReadFloatPixels(int(kW), int(kH));
  const float want[4] = {0.5f, 0.5f, 1.0f, 0.25f};
  for (std::size_t i = 0; i < pixels.size(); ++i) ASSERT_EQ(pixels[i], want[i % 4]) << i;
}

}  // namespace
}  // namespace Orvane::Mosaira
