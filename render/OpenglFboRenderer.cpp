#include "render/OpenglFboRenderer.h"

#include <glbinding/gl33core/gl.h>

#include <algorithm>

#include "render/OpenGLContext.h"

using namespace gl33core;

namespace Orvane::Mosaira {
namespace {

// Layers and resolve textures.
GLenum InternalFormat(ColourStorage storage) {
  return storage == ColourStorage::kUnorm8 ? GL_RGBA8 : GL_RGBA32F;
}

GLenum OutputFormat(ColourStorage storage) {
  return storage == ColourStorage::kUnorm16 ? GL_RGBA16 : InternalFormat(storage);
}

std::size_t BytesPerPixel(GLenum format) {
  if (format == GL_RGBA32F) return 16;
  return format == GL_RGBA16 ? 8 : 4;
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
               static_cast<GLsizei>(height), 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
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
  for (const SpareLayer& spare : spareLayers) {
    glDeleteRenderbuffers(1, &spare.colour);
    if (spare.stencil != 0) glDeleteRenderbuffers(1, &spare.stencil);
  }
  spareLayers.clear();
  for (GLuint texture : resolveTextures) {
    if (texture != 0) glDeleteTextures(1, &texture);
  }
  resolveTextures.clear();
  layerTextures.Release();
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
  glRenderbufferStorage(GL_RENDERBUFFER, OutputFormat(colourStorage), static_cast<GLsizei>(width),
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

// A new layer of the renderer's size on top of the stack.
void OpenglFboRenderer::makeLayer(bool withStencil) {
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
}

void OpenglFboRenderer::pushLayer(bool withStencil, LayerStart start) {
  const FboSet& set = currentFramebuffers();
  const auto spare = std::find_if(spareLayers.begin(), spareLayers.end(),
                                  [&](const SpareLayer& s) { return (s.stencil != 0) == withStencil; });
  if (spare != spareLayers.end()) {
    layerStack.push_back(spare->colour);
    if (spare->stencil != 0) stencilOfLayer[spare->colour] = spare->stencil;
    spareLayers.erase(spare);
  } else {
    makeLayer(withStencil);
  }
  const GLuint colour = layerStack.back();
  attachTopLayer(set.layerFbo);
  if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
    deleteLayer(colour);
    layerStack.pop_back();
    if (!layerStack.empty()) attachTopLayer(set.layerFbo);
    throw AESDK_OpenGL_Fault();
  }
  if (start == LayerStart::kOverwritten && !withStencil) return;
  glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
  glClearStencil(0);
  glStencilMask(0xFFFFFFFFu);
  if (start == LayerStart::kOverwritten) {
    glClear(GL_STENCIL_BUFFER_BIT);
  } else {
    glClear(withStencil ? (GL_COLOR_BUFFER_BIT | GL_STENCIL_BUFFER_BIT) : GL_COLOR_BUFFER_BIT);
  }
}

// The top layer leaves the stack and waits for the next push, or goes when enough wait.
void OpenglFboRenderer::spareTopLayer() {
  const GLuint colour = layerStack.back();
  layerStack.pop_back();
  if (spareLayers.size() >= kSpareLayers) {
    deleteLayer(colour);
    return;
  }
  const auto stencil = stencilOfLayer.find(colour);
  SpareLayer spare{colour, 0};
  if (stencil != stencilOfLayer.end()) {
    spare.stencil = stencil->second;
    stencilOfLayer.erase(stencil);
  }
  spareLayers.push_back(spare);
}

// Resolves the top layer into `texture`, spares it and binds the layer below for drawing.
void OpenglFboRenderer::resolveTopInto(GLuint texture) {
  const FboSet& set = currentFramebuffers();
  const auto w = static_cast<GLint>(width);
  const auto h = static_cast<GLint>(height);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, set.layerFbo);
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, set.resolveFbo);
  glFramebufferTexture2D(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, 0);
  glBlitFramebuffer(0, 0, w, h, 0, 0, w, h, GL_COLOR_BUFFER_BIT, GL_NEAREST);
  spareTopLayer();
  if (!layerStack.empty()) {
    glBindRenderbuffer(GL_RENDERBUFFER, layerStack.back());
    attachTopLayer(set.layerFbo);
  }
}

GLuint OpenglFboRenderer::popLayerToTexture() {
  if (layerStack.empty()) return 0;
  const GLuint texture = createTexture();
  resolveTopInto(texture);
  return texture;
}

GLuint OpenglFboRenderer::popLayerToKeptTexture() {
  if (layerStack.empty()) return 0;
  const std::size_t depth = layerStack.size() - 1;
  if (resolveTextures.size() <= depth) resolveTextures.resize(depth + 1, 0);
  if (resolveTextures[depth] == 0) resolveTextures[depth] = createTexture();
  const GLuint texture = resolveTextures[depth];
  resolveTopInto(texture);
  return texture;
}

std::size_t OpenglFboRenderer::keptBytes() const {
  const std::size_t pixels = std::size_t(width) * std::size_t(height);
  const std::size_t perPixel = BytesPerPixel(InternalFormat(colourStorage));
  std::size_t bytes = outputRenderbuffer != 0 ? pixels * BytesPerPixel(OutputFormat(colourStorage)) : 0;
  for (GLuint texture : resolveTextures) bytes += texture != 0 ? pixels * perPixel : 0;
  for (const SpareLayer& spare : spareLayers) {
    bytes += pixels * std::size_t(samples) * (perPixel + (spare.stencil != 0 ? 1 : 0));
  }
  return bytes;
}

void OpenglFboRenderer::composite(float multiplier) {
  if (outputQuad == nullptr) outputQuad = std::make_unique<OpenglOutputQuad>();
  const GLuint texture = popLayerToKeptTexture();
  if (texture == 0) return;
  const FboSet& set = currentFramebuffers();
  glBindFramebuffer(GL_FRAMEBUFFER, set.outputFbo);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, outputRenderbuffer);
  if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) throw AESDK_OpenGL_Fault();
  // Blending off: the quad overwrites every pixel, so the renderbuffer needs no clear.
  glDisable(GL_BLEND);
  glDisable(GL_MULTISAMPLE);
  outputQuad->draw(texture, multiplier);
}

void OpenglFboRenderer::abandon() noexcept {
  framebuffers.clear();
  outputRenderbuffer = 0;
  layerStack.clear();
  stencilOfLayer.clear();
  spareLayers.clear();
  resolveTextures.clear();
  layerTextures.Abandon();
  width = 0;
  height = 0;
  if (outputQuad != nullptr) outputQuad->abandon();
}

void OpenglFboRenderer::forgetContextFramebuffers() { framebuffers.clear(); }

}  // namespace Orvane::Mosaira
