#include "render/OpenglFboRenderer.h"

#include <glbinding/gl33core/gl.h>

#include <algorithm>

#include "render/OpenGLContext.h"

using namespace gl33core;

namespace Orvane::Mosaira {
namespace {

GLenum InternalFormat(ColourStorage storage) {
  return storage == ColourStorage::kFloat32 ? GL_RGBA32F : GL_RGBA8;
}

GLenum TexelType(ColourStorage storage) {
  return storage == ColourStorage::kFloat32 ? GL_FLOAT : GL_UNSIGNED_BYTE;
}

GLsizei SupportedSamples() {
  GLint most = 0;
  glGetIntegerv(GL_MAX_SAMPLES, &most);
  return std::clamp<GLint>(most, 1, kWantedLayerSamples);
}

void DeleteFramebuffer(GLuint& name) {
  if (name != 0) glDeleteFramebuffers(1, &name);
  name = 0;
}

}  // namespace

OpenglFboRenderer& OpenglFboRenderer::instance() {
  static OpenglFboRenderer* renderer = new OpenglFboRenderer();
  return *renderer;
}

OpenglFboRenderer::OpenglFboRenderer() : outputQuad(std::make_unique<OpenglOutputQuad>()) {}

FboSet OpenglFboRenderer::framebuffersOf(Platform::BindingHandle context) const {
  const auto found = framebuffers.find(context);
  return found != framebuffers.end() ? found->second : FboSet();
}

FboSet& OpenglFboRenderer::currentFramebuffers() {
  FboSet& set = framebuffers[Platform::CurrentBindingHandle()];
  if (set.outputFbo == 0) glGenFramebuffers(1, &set.outputFbo);
  if (set.resolveFbo == 0) glGenFramebuffers(1, &set.resolveFbo);
  if (set.layerFbo == 0) glGenFramebuffers(1, &set.layerFbo);
  return set;
}

GLuint OpenglFboRenderer::createTexture() {
  GLuint texture = 0;
  glGenTextures(1, &texture);
  glBindTexture(GL_TEXTURE_2D, texture);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, static_cast<GLint>(GL_LINEAR));
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, static_cast<GLint>(GL_LINEAR));
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, static_cast<GLint>(GL_CLAMP_TO_EDGE));
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, static_cast<GLint>(GL_CLAMP_TO_EDGE));
  // No client data: the resolve blit overwrites every texel.
  glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(InternalFormat(colourStorage)), static_cast<GLsizei>(width),
               static_cast<GLsizei>(height), 0, GL_RGBA, TexelType(colourStorage), nullptr);
  glBindTexture(GL_TEXTURE_2D, 0);
  return texture;
}

void OpenglFboRenderer::release() {
  const auto found = framebuffers.find(Platform::CurrentBindingHandle());
  if (found != framebuffers.end()) {
    DeleteFramebuffer(found->second.resolveFbo);
    DeleteFramebuffer(found->second.outputFbo);
    DeleteFramebuffer(found->second.layerFbo);
    framebuffers.erase(found);
  }
  if (outputRenderbuffer != 0) glDeleteRenderbuffers(1, &outputRenderbuffer);
  outputRenderbuffer = 0;
  while (!layerStack.empty()) {
    deleteLayer(layerStack.back());
    layerStack.pop_back();
  }
  width = 0;
  height = 0;
}

void OpenglFboRenderer::resize(std::uint32_t w, std::uint32_t h, ColourStorage storage) {
  if (w == width && h == height && storage == colourStorage && outputRenderbuffer != 0) return;
  release();
  width = w;
  height = h;
  colourStorage = storage;
  samples = SupportedSamples();
  currentFramebuffers();
  glGenRenderbuffers(1, &outputRenderbuffer);
  glBindRenderbuffer(GL_RENDERBUFFER, outputRenderbuffer);
  glRenderbufferStorage(GL_RENDERBUFFER, InternalFormat(colourStorage), static_cast<GLsizei>(width),
                        static_cast<GLsizei>(height));
}

void OpenglFboRenderer::deleteLayer(GLuint colour) {
  glDeleteRenderbuffers(1, &colour);
  const auto stencil = stencilOfLayer.find(colour);
  if (stencil == stencilOfLayer.end()) return;
  glDeleteRenderbuffers(1, &stencil->second);
  stencilOfLayer.erase(stencil);
}

// Attaches the top layer's colour and its stencil (or none, so that a stencil of a layer
// below never serves the layer above) to the bound layer framebuffer.
void OpenglFboRenderer::attachTopLayer(GLuint layerFbo) {
  const GLuint colour = layerStack.back();
  const auto stencil = stencilOfLayer.find(colour);
  glBindFramebuffer(GL_FRAMEBUFFER, layerFbo);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_STENCIL_ATTACHMENT, GL_RENDERBUFFER,
                            stencil != stencilOfLayer.end() ? stencil->second : 0);
}

void OpenglFboRenderer::pushLayer(bool withStencil) {
  const FboSet& set = currentFramebuffers();
  const auto w = static_cast<GLsizei>(width);
  const auto h = static_cast<GLsizei>(height);
  GLuint colour = 0;
  glGenRenderbuffers(1, &colour);
  glBindRenderbuffer(GL_RENDERBUFFER, colour);
  glRenderbufferStorageMultisample(GL_RENDERBUFFER, samples, InternalFormat(colourStorage), w, h);
  if (withStencil) {
    GLuint stencil = 0;
    glGenRenderbuffers(1, &stencil);
    glBindRenderbuffer(GL_RENDERBUFFER, stencil);
    glRenderbufferStorageMultisample(GL_RENDERBUFFER, samples, GL_STENCIL_INDEX8, w, h);
    stencilOfLayer[colour] = stencil;
  }
  layerStack.push_back(colour);
  attachTopLayer(set.layerFbo);
  if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
    deleteLayer(colour);
    layerStack.pop_back();
    if (!layerStack.empty()) attachTopLayer(set.layerFbo);
    throw AESDK_OpenGL_Fault();
  }
  glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
  glClearStencil(0);
  glStencilMask(0xFFFFFFFFu);
  glClear(withStencil ? (GL_COLOR_BUFFER_BIT | GL_STENCIL_BUFFER_BIT) : GL_COLOR_BUFFER_BIT);
}

GLuint OpenglFboRenderer::popLayerToTexture() {
  if (layerStack.empty()) return 0;
  const FboSet& set = currentFramebuffers();
  const GLuint texture = createTexture();
  const auto w = static_cast<GLint>(width);
  const auto h = static_cast<GLint>(height);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, set.layerFbo);
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, set.resolveFbo);
  glFramebufferTexture2D(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, 0);
  glBlitFramebuffer(0, 0, w, h, 0, 0, w, h, GL_COLOR_BUFFER_BIT, GL_NEAREST);
  deleteLayer(layerStack.back());
  layerStack.pop_back();
  if (!layerStack.empty()) {
    glBindRenderbuffer(GL_RENDERBUFFER, layerStack.back());
    attachTopLayer(set.layerFbo);
  }
  return texture;
}

void OpenglFboRenderer::composite(float multiplier) {
  if (outputQuad == nullptr) outputQuad = std::make_unique<OpenglOutputQuad>();
  const GLuint texture = popLayerToTexture();
  if (texture == 0) return;
  const FboSet& set = currentFramebuffers();
  glBindFramebuffer(GL_FRAMEBUFFER, set.outputFbo);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, outputRenderbuffer);
  if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
    glDeleteTextures(1, &texture);
    throw AESDK_OpenGL_Fault();
  }
  glDisable(GL_BLEND);
  glDisable(GL_MULTISAMPLE);
  glClear(GL_COLOR_BUFFER_BIT);
  outputQuad->draw(texture, multiplier);
  glDeleteTextures(1, &texture);
}

void OpenglFboRenderer::abandon() noexcept {
  framebuffers.clear();
  outputRenderbuffer = 0;
  layerStack.clear();
  stencilOfLayer.clear();
  width = 0;
  height = 0;
  if (outputQuad != nullptr) outputQuad->abandon();
}

void OpenglFboRenderer::forgetContextFramebuffers() { framebuffers.clear(); }

}  // namespace Orvane::Mosaira
