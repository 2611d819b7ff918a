#include "render/OpenglFboRenderer.h"

#include <glbinding/gl33core/gl.h>

#include <algorithm>
#include <vector>

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

// True when the renderbuffer bound to GL_RENDERBUFFER got storage: a driver that cannot hold
// that many bytes in one buffer leaves it empty and reports no error.
bool BoundRenderbufferStored() {
  GLint side = 0;
  glGetRenderbufferParameteriv(GL_RENDERBUFFER, GL_RENDERBUFFER_WIDTH, &side);
  return side > 0;
}

}  // namespace

OpenglFboRenderer& OpenglFboRenderer::instance() {
  static OpenglFboRenderer* const renderer = new OpenglFboRenderer();
  return *renderer;
}

OpenglFboRenderer::OpenglFboRenderer() : outputQuad(std::make_unique<OpenglOutputQuad>()) {}

FboSet OpenglFboRenderer::framebuffersOf(Platform::BindingHandle context) const {
  const auto found = framebuffers.find(context);
  if (found == framebuffers.end()) return FboSet();
  const ContextFramebuffers& set = found->second;
  return {set.resolveFbo.Get(), set.outputFbo.Get(), set.layerFbo.Get()};
}

OpenglFboRenderer::ContextFramebuffers& OpenglFboRenderer::currentFramebuffers() {
  ContextFramebuffers& set = framebuffers[Platform::CurrentBindingHandle()];
  if (!set.outputFbo) set.outputFbo = GlFramebuffer::Generate();
  if (!set.resolveFbo) set.resolveFbo = GlFramebuffer::Generate();
  if (!set.layerFbo) set.layerFbo = GlFramebuffer::Generate();
  return set;
}

std::vector<GLuint> OpenglFboRenderer::layerNames() const {
  std::vector<GLuint> names;
  for (const GlRenderbuffer& colour : layerStack) names.push_back(colour.Get());
  return names;
}

GLuint OpenglFboRenderer::stencilOf(GLuint colour) const {
  const auto found = stencilOfLayer.find(colour);
  return found != stencilOfLayer.end() ? found->second.Get() : 0;
}

GLuint OpenglFboRenderer::createTexture() {
  GLuint texture = 0;
  glGenTextures(1, &texture);
  glBindTexture(GL_TEXTURE_2D, texture);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, static_cast<GLint>(GL_LINEAR));
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, static_cast<GLint>(GL_LINEAR));
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, static_cast<GLint>(GL_CLAMP_TO_EDGE));
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, static_cast<GLint>(GL_CLAMP_TO_EDGE));
  const std::vector<GLubyte> zeros(std::size_t(width) * std::size_t(height) * 4, 0);
  glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(InternalFormat(colourStorage)), static_cast<GLsizei>(width),
               static_cast<GLsizei>(height), 0, GL_RGBA, GL_UNSIGNED_BYTE, zeros.data());
  glBindTexture(GL_TEXTURE_2D, 0);
  return texture;
}

void OpenglFboRenderer::release() {
  framebuffers.erase(Platform::CurrentBindingHandle());
  outputRenderbuffer.Reset();
  layerStack.clear();
  // Stencils go with their layers: an entry left behind would outlive its renderbuffers.
  stencilOfLayer.clear();
  width = 0;
  height = 0;
}

void OpenglFboRenderer::resize(std::uint32_t w, std::uint32_t h, ColourStorage storage) {
  if (w == width && h == height && storage == colourStorage && outputRenderbuffer) return;
  release();
  height = h;
  width = w;
  colourStorage = storage;
  samples = SupportedSamples();
  currentFramebuffers();
  outputRenderbuffer = GlRenderbuffer::Generate();
  glBindRenderbuffer(GL_RENDERBUFFER, outputRenderbuffer.Get());
  glRenderbufferStorage(GL_RENDERBUFFER, OutputFormat(colourStorage), static_cast<GLsizei>(width),
                        static_cast<GLsizei>(height));
}

// Attaches the top layer's colour, and its stencil or none (so that a stencil left attached by a
// layer above never serves this one), to the layer framebuffer bound to GL_FRAMEBUFFER.
void OpenglFboRenderer::attachTop(GLuint layerFbo) {
  const GLuint colour = layerStack.back().Get();
  glBindRenderbuffer(GL_RENDERBUFFER, colour);
  glBindFramebuffer(GL_FRAMEBUFFER, layerFbo);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_STENCIL_ATTACHMENT, GL_RENDERBUFFER, stencilOf(colour));
}

// Deletes the top layer and its stencil.
void OpenglFboRenderer::dropTop() noexcept {
  stencilOfLayer.erase(layerStack.back().Get());
  layerStack.pop_back();
}

void OpenglFboRenderer::pushLayer(bool withStencil) {
  const GLuint layerFbo = currentFramebuffers().layerFbo.Get();
  const auto w = static_cast<GLsizei>(width);
  const auto h = static_cast<GLsizei>(height);
  GlRenderbuffer colour = GlRenderbuffer::Generate();
  glBindRenderbuffer(GL_RENDERBUFFER, colour.Get());
  glRenderbufferStorageMultisample(GL_RENDERBUFFER, samples, InternalFormat(colourStorage), w, h);
  bool stored = BoundRenderbufferStored();
  const GLuint colourName = colour.Get();
  layerStack.push_back(std::move(colour));
  if (withStencil && stored) {
    GlRenderbuffer stencil = GlRenderbuffer::Generate();
    glBindRenderbuffer(GL_RENDERBUFFER, stencil.Get());
    glRenderbufferStorageMultisample(GL_RENDERBUFFER, samples, GL_STENCIL_INDEX8, w, h);
    stored = BoundRenderbufferStored();
    stencilOfLayer.emplace(colourName, std::move(stencil));
  }
  const bool complete = stored && [&] {
    attachTop(layerFbo);
    return glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
  }();
  if (!complete) {
    dropTop();
    if (!layerStack.empty()) attachTop(layerFbo);
    if (!stored) {
      LayerStorageRefused refused;
      refused.bytes = std::uint64_t(width) * height * std::uint64_t(samples) * BytesPerPixel(InternalFormat(colourStorage));
      throw refused;
    }
    throw AESDK_OpenGL_Fault();
  }
  glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
  glClearStencil(0);
  glStencilMask(0xFFFFFFFFu);
  glClear(withStencil ? (GL_COLOR_BUFFER_BIT | GL_STENCIL_BUFFER_BIT) : GL_COLOR_BUFFER_BIT);
}

GLuint OpenglFboRenderer::popLayerToTexture() {
  if (layerStack.empty()) return 0;
  const GLuint texture = createTexture();
  const ContextFramebuffers& set = currentFramebuffers();
  const auto w = static_cast<GLint>(width);
  const auto h = static_cast<GLint>(height);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, set.layerFbo.Get());
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, set.resolveFbo.Get());
  glFramebufferTexture2D(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, 0);
  glBlitFramebuffer(0, 0, w, h, 0, 0, w, h, GL_COLOR_BUFFER_BIT, GL_NEAREST);
  // Detached, so that the texture's storage goes when its owner deletes it, not at the next pop.
  glFramebufferTexture2D(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, 0, 0);
  // The layer framebuffer is bound for reading: deleting the layer detaches it there.
  dropTop();
  if (!layerStack.empty()) {
    const GLuint colour = layerStack.back().Get();
    glBindRenderbuffer(GL_RENDERBUFFER, colour);
    glBindFramebuffer(GL_FRAMEBUFFER, set.layerFbo.Get());
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour);
  }
  return texture;
}

void OpenglFboRenderer::composite(float multiplier) {
  if (!outputQuad) outputQuad = std::make_unique<OpenglOutputQuad>();
  const GlTexture texture(popLayerToTexture());
  if (!texture) return;
  const ContextFramebuffers& set = currentFramebuffers();
  glBindFramebuffer(GL_FRAMEBUFFER, set.outputFbo.Get());
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, outputRenderbuffer.Get());
  if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) throw AESDK_OpenGL_Fault();
  glDisable(GL_BLEND);
  glDisable(GL_MULTISAMPLE);
  // The clear colour pushLayer set: transparent black.
  glClear(GL_COLOR_BUFFER_BIT);
  outputQuad->draw(texture.Get(), multiplier);
}

void OpenglFboRenderer::abandon() noexcept {
  forgetContextFramebuffers();
  outputRenderbuffer.Release();
  for (GlRenderbuffer& colour : layerStack) colour.Release();
  layerStack.clear();
  for (auto& entry : stencilOfLayer) entry.second.Release();
  stencilOfLayer.clear();
  width = 0;
  height = 0;
  if (outputQuad) outputQuad->abandon();
  outputQuad.reset();
}

void OpenglFboRenderer::forgetContextFramebuffers() noexcept {
  for (auto& [context, set] : framebuffers) {
    set.resolveFbo.Release();
    set.outputFbo.Release();
    set.layerFbo.Release();
  }
  framebuffers.clear();
}

}  // namespace Orvane::Mosaira
