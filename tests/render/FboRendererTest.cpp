#include <gmock/gmock.h>

#include <array>
#include <thread>

#include "GlTestSupport.h"
#include "render/OpenglFboRenderer.h"

using namespace gl33core;

namespace Orvane::Mosaira {
namespace {

using ::testing::ElementsAre;
using ::testing::FloatNear;

// Reads texture `texture` (w x h) as floats through a framebuffer of its own.
std::vector<float> ReadTexture(GLuint texture, int w, int h) {
  GLint previous = 0;
  glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &previous);
  GLuint fbo = 0;
  glGenFramebuffers(1, &fbo);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, fbo);
  glFramebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, 0);
  std::vector<float> pixels = Testing::ReadFloatPixels(w, h);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(previous));
  glDeleteFramebuffers(1, &fbo);
  return pixels;
}

GLint RenderbufferValue(GLuint renderbuffer, GLenum what) {
  GLint value = 0;
  glBindRenderbuffer(GL_RENDERBUFFER, renderbuffer);
  glGetRenderbufferParameteriv(GL_RENDERBUFFER, what, &value);
  return value;
}

GLint LayerAttachment(GLuint fbo, GLenum attachment) {
  GLint name = -1;
  glBindFramebuffer(GL_FRAMEBUFFER, fbo);
  glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, attachment, GL_FRAMEBUFFER_ATTACHMENT_OBJECT_NAME, &name);
  return name;
}

class FboRenderer : public Testing::RenderSession {
 protected:
  void SetUp() override {
    Testing::RenderSession::SetUp();
    renderer = &Testing::Globals().renderer;
  }
  void Fill(float r, float g, float b, float a) {
    glClearColor(r, g, b, a);
    glClear(GL_COLOR_BUFFER_BIT);
  }
  FboSet Own() const { return renderer->framebuffersOf(context->Handle()); }
  OpenglFboRenderer* renderer = nullptr;
};

TEST_F(FboRenderer, ResizeToSameSizeKeepsEveryName) {
  renderer->resize(4, 3);
  const FboSet before = Own();
  const GLuint output = renderer->outputRenderbuffer();
  renderer->resize(4, 3);
  EXPECT_EQ(Own().layerFbo, before.layerFbo);
  EXPECT_EQ(Own().resolveFbo, before.resolveFbo);
  EXPECT_EQ(Own().outputFbo, before.outputFbo);
  EXPECT_EQ(renderer->outputRenderbuffer(), output);
}

// A new size or colour storage, or a resize after release, remakes the storage; the layer stack
// of the old size is dropped.
TEST_F(FboRenderer, ResizeRemakesStorageWhenItChanges) {
  renderer->resize(4, 3);
  renderer->pushLayer(false);
  renderer->resize(5, 2);
  EXPECT_TRUE(renderer->layerNames().empty());
  EXPECT_EQ(renderer->width, 5u);
  EXPECT_EQ(RenderbufferValue(renderer->outputRenderbuffer(), GL_RENDERBUFFER_WIDTH), 5);
  EXPECT_EQ(RenderbufferValue(renderer->outputRenderbuffer(), GL_RENDERBUFFER_HEIGHT), 2);
  EXPECT_NE(Own().layerFbo, 0u);

  renderer->resize(5, 2, ColourStorage::kFloat32);
  EXPECT_EQ(RenderbufferValue(renderer->outputRenderbuffer(), GL_RENDERBUFFER_INTERNAL_FORMAT),
            static_cast<GLint>(GL_RGBA32F));

  renderer->release();
  EXPECT_EQ(renderer->outputRenderbuffer(), 0u);
  EXPECT_EQ(Own().layerFbo, 0u);
  renderer->resize(5, 2, ColourStorage::kFloat32);
  EXPECT_NE(renderer->outputRenderbuffer(), 0u);
  EXPECT_EQ(glIsRenderbuffer(renderer->outputRenderbuffer()), GL_TRUE);
  EXPECT_NE(Own().layerFbo, 0u);
}

TEST_F(FboRenderer, LayersUseSupportedSampleCount) {
  renderer->resize(2, 2);
  renderer->pushLayer(true);
  GLint most = 0;
  glGetIntegerv(GL_MAX_SAMPLES, &most);
  EXPECT_EQ(renderer->sampleCount(), std::min(most, kWantedLayerSamples));
  EXPECT_EQ(RenderbufferValue(renderer->layerNames().back(), GL_RENDERBUFFER_SAMPLES), renderer->sampleCount());
  glDeleteTextures(1, std::array<GLuint, 1>{renderer->popLayerToTexture()}.data());
}

// A popped layer waits, with its stencil, for the next push of its kind.
TEST_F(FboRenderer, PopReturnsUpperLayerAndRestoresLower) {
  renderer->resize(2, 2, ColourStorage::kFloat32);
  renderer->pushLayer(false);
  const GLuint lower = renderer->layerNames().back();
  Fill(1.0f, 0.0f, 0.0f, 1.0f);
  renderer->pushLayer(true);
  const GLuint upper = renderer->layerNames().back();
  Fill(0.0f, 0.0f, 0.5f, 0.5f);
  ASSERT_NE(renderer->stencilOf(upper), 0u);
  const GLuint stencil = renderer->stencilOf(upper);

  const GLuint texture = renderer->popLayerToTexture();
  EXPECT_THAT(ReadTexture(texture, 1, 1), ElementsAre(0.0f, 0.0f, 0.5f, 0.5f));
  EXPECT_THAT(renderer->layerNames(), ElementsAre(lower));
  EXPECT_EQ(LayerAttachment(Own().layerFbo, GL_COLOR_ATTACHMENT0), static_cast<GLint>(lower));
  EXPECT_EQ(LayerAttachment(Own().layerFbo, GL_STENCIL_ATTACHMENT), 0);
  glDeleteTextures(1, &texture);
  renderer->pushLayer(true);
  EXPECT_THAT(renderer->layerNames(), ElementsAre(lower, upper));
  EXPECT_EQ(renderer->stencilOf(upper), stencil);
  EXPECT_THAT(ReadTexture(renderer->popLayerToKeptTexture(), 1, 1), ElementsAre(0.0f, 0.0f, 0.0f, 0.0f));

  const GLuint last = renderer->popLayerToTexture();
  EXPECT_THAT(ReadTexture(last, 1, 1), ElementsAre(1.0f, 0.0f, 0.0f, 1.0f));
  EXPECT_TRUE(renderer->layerNames().empty());
  glDeleteTextures(1, &last);
}

TEST_F(FboRenderer, EmptyStackPopsNothing) {
  renderer->resize(2, 2);
  EXPECT_EQ(renderer->popLayerToTexture(), 0u);
  renderer->composite(1.0f);
  EXPECT_TRUE(renderer->layerNames().empty());
}

TEST_F(FboRenderer, PushedStencilIsCleared) {
  renderer->resize(2, 2, ColourStorage::kFloat32);
  renderer->pushLayer(false);
  // A stencil dirtied by earlier drawing, freed, and a clear value left behind: the new layer's
  // stencil storage may well be the old one's memory.
  for (int i = 0; i < 3; ++i) {
    renderer->pushLayer(true);
    glClearStencil(7);
    glClear(GL_STENCIL_BUFFER_BIT);
    glDeleteTextures(1, std::array<GLuint, 1>{renderer->popLayerToTexture()}.data());
  }
  renderer->pushLayer(true);
  GLint stencilBits = 0;
  glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, GL_STENCIL_ATTACHMENT,
                                        GL_FRAMEBUFFER_ATTACHMENT_STENCIL_SIZE, &stencilBits);
  EXPECT_EQ(stencilBits, 8);
  // Draw only where the stencil is 0: everywhere, when the push cleared it.
  glEnable(GL_STENCIL_TEST);
  glStencilFunc(GL_EQUAL, 0, 0xFF);
  const GLuint texture = renderer->createTexture();
  OpenglFlipQuad fill;
  glViewport(0, 0, 2, 2);
  std::vector<float> white(16, 1.0f);
  glBindTexture(GL_TEXTURE_2D, texture);
  glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 2, 2, GL_RGBA, GL_FLOAT, white.data());
  fill.draw(texture, 1.0f);
  glDisable(GL_STENCIL_TEST);
  const GLuint result = renderer->popLayerToTexture();
  EXPECT_THAT(ReadTexture(result, 1, 1), ElementsAre(1.0f, 1.0f, 1.0f, 1.0f));
  fill.release();
  glDeleteTextures(1, &texture);
  glDeleteTextures(1, &result);
  glDeleteTextures(1, std::array<GLuint, 1>{renderer->popLayerToTexture()}.data());
}

// The composite writes the top layer alpha first with straight colour: 8-bit storage rounds,
// float storage keeps values above 1.
TEST_F(FboRenderer, CompositeWritesAlphaFirstStraightColour) {
  renderer->resize(2, 2, ColourStorage::kUnorm8);
  renderer->pushLayer(false);
  Fill(0.25f, 0.5f, 0.125f, 0.5f);
  glViewport(0, 0, 2, 2);
  renderer->composite(1.0f);
  std::vector<GLubyte> pixel(4);
  glReadPixels(0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel.data());
  EXPECT_NEAR(pixel[0], 128, 1);
  EXPECT_NEAR(pixel[1], 128, 2);
  EXPECT_NEAR(pixel[2], 255, 2);
  EXPECT_NEAR(pixel[3], 64, 1);
  EXPECT_TRUE(renderer->layerNames().empty());

  renderer->resize(2, 2, ColourStorage::kFloat32);
  renderer->pushLayer(false);
  Fill(2.0f, 0.5f, 0.25f, 1.0f);
  glViewport(0, 0, 2, 2);
  renderer->composite(1.0f);
  EXPECT_THAT(Testing::ReadFloatPixels(1, 1), ElementsAre(1.0f, 2.0f, 0.5f, 0.25f));
}

// Set-down takes the renderer with it; the renderer of the next set-up starts empty and draws.
TEST_F(FboRenderer, NewSetupGivesEmptyRendererThatDraws) {
  renderer->resize(2, 2, ColourStorage::kFloat32);
  RenderGlobalSetdown();
  EXPECT_EQ(CurrentRenderGlobals(), nullptr);
  RenderGlobalSetup();
  context = Testing::AcquireThreadContext();
  renderer = &Testing::Globals().renderer;
  EXPECT_EQ(renderer->width, 0u);
  renderer->resize(2, 2, ColourStorage::kFloat32);
  renderer->pushLayer(false);
  Fill(0.5f, 0.5f, 0.5f, 0.5f);
  glViewport(0, 0, 2, 2);
  renderer->composite(1.0f);
  EXPECT_THAT(Testing::ReadFloatPixels(1, 1), ElementsAre(0.5f, 1.0f, 1.0f, 1.0f));
}

// Kept storage lives until the size changes or the plug-in is set down.
TEST_F(FboRenderer, KeptStorageGoesWithSizeChangeAndSetdown) {
  for (const bool setdown : {false, true}) {
    renderer->release();
    renderer->resize(4, 4, ColourStorage::kFloat32);
    renderer->pushLayer(true);
    renderer->popLayerToKeptTexture();
    renderer->layerTextures.Take(4, 4, GL_RGBA8);
    renderer->layerTextures.EndRender();
    EXPECT_GT(renderer->keptBytes(), 4u * 4u * 16u);
    ASSERT_EQ(renderer->spareLayerCount(), 1u);
    ASSERT_EQ(renderer->layerTextures.Count(), 1u);
    if (setdown) {
      RenderGlobalSetdown();
      RenderGlobalSetup();
      context = Testing::AcquireThreadContext();
      renderer = &Testing::Globals().renderer;
    } else {
      renderer->resize(5, 4, ColourStorage::kFloat32);
    }
    EXPECT_EQ(renderer->spareLayerCount(), 0u) << setdown;
    EXPECT_EQ(renderer->layerTextures.Count(), 0u) << setdown;
    EXPECT_EQ(renderer->keptBytes(), setdown ? 0u : 5u * 4u * 16u) << setdown;  // the output alone
  }
}

// A render takes its layer textures back from the last one; what it did not take goes.
TEST_F(FboRenderer, LayerTexturesKeptOnlyWhileUsed) {
  LayerTexturePool& pool = renderer->layerTextures;
  const GLuint a = pool.Take(8, 8, GL_RGBA8), b = pool.Take(8, 8, GL_RGBA8);
  pool.Take(4, 4, GL_RGBA16);
  pool.EndRender();
  EXPECT_EQ(pool.Bytes(), 2u * 8 * 8 * 4 + 4 * 4 * 8);
  EXPECT_EQ(pool.Take(8, 8, GL_RGBA8), a);
  EXPECT_EQ(pool.Take(8, 8, GL_RGBA8), b);
  EXPECT_NE(pool.Take(8, 8, GL_RGBA8), 0u);  // a third one is new
  pool.EndRender();
  EXPECT_EQ(pool.Count(), 3u);
  EXPECT_EQ(pool.Bytes(), 3u * 8 * 8 * 4);
  pool.Release();
  EXPECT_EQ(glIsTexture(a), GL_FALSE);
}

TEST_F(FboRenderer, ZeroSizeLayerCannotCompleteAndIsDropped) {
  renderer->resize(0, 0);
  EXPECT_THROW(renderer->pushLayer(true), AESDK_OpenGL_Fault);
  EXPECT_TRUE(renderer->layerNames().empty());
}

TEST_F(FboRenderer, EveryContextGetsItsOwnFramebuffers) {
  renderer->resize(2, 2, ColourStorage::kFloat32);
  const GLuint ownLayerFbo = Own().layerFbo;
  std::vector<float> seen;
  Platform::BindingHandle other = 0;
  std::thread worker([&] {
    ScopedHostContext host;
    other = Testing::AcquireThreadContext()->Handle();
    renderer->pushLayer(false);
    glClearColor(0.0f, 1.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    const GLuint texture = renderer->popLayerToTexture();
    seen = ReadTexture(texture, 1, 1);
    glDeleteTextures(1, &texture);
  });
  worker.join();
  EXPECT_NE(renderer->framebuffersOf(other).layerFbo, 0u);
  EXPECT_EQ(Own().layerFbo, ownLayerFbo);
  EXPECT_THAT(seen, ElementsAre(0.0f, 1.0f, 0.0f, 1.0f));
}

}  // namespace
}  // namespace Orvane::Mosaira
