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

// The passes read a resolve texture at its texel centres. At 8 bits the driver's linear filter
// weighs the neighbours of a centre, off by a rounding of the interpolated coordinate, at less
// than one 8-bit step, so nearest sampling gives the same bytes with a quarter of the reads.
// Float storage keeps the weights whole, so the 16-bit and float roads keep linear filtering,
// which their recorded output was made with.
GLint PassFilter(ColourStorage storage) {
  return static_cast<GLint>(storage == ColourStorage::kUnorm8 ? GL_NEAREST : GL_LINEAR);
}

GLsizei SupportedSamples() {
  GLint most = 0;
  glGetIntegerv(GL_MAX_SAMPLES, &most);
  return std::clamp<GLint>(most, 1, kWantedLayerSamples);
}

}  // namespace

OpenglFboRenderer::~OpenglFboRenderer() {
  // Only the current context may delete its framebuffers; the others go with their contexts.
  framebuffers.erase(Platform::CurrentBindingHandle());
  forgetContextFramebuffers();
}

void OpenglFboRenderer::abandonLayers(std::vector<Layer>& layers) noexcept {
  for (Layer& layer : layers) {
    layer.colour.Release();
    layer.stencil.Release();
  }
  layers.clear();
}

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
  for (const Layer& layer : layerStack) names.push_back(layer.colour.Get());
  return names;
}

GLuint OpenglFboRenderer::stencilOf(GLuint colour) const {
  for (const Layer& layer : layerStack) {
    if (layer.colour.Get() == colour) return layer.stencil.Get();
  }
  return 0;
}

GLuint OpenglFboRenderer::createTexture() {
  GLuint texture = 0;
  glGenTextures(1, &texture);
  glBindTexture(GL_TEXTURE_2D, texture);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, PassFilter(colourStorage));
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, PassFilter(colourStorage));
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, static_cast<GLint>(GL_CLAMP_TO_EDGE));
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, static_cast<GLint>(GL_CLAMP_TO_EDGE));
  // No client data: the resolve blit overwrites every texel.
  glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(InternalFormat(colourStorage)), static_cast<GLsizei>(width),
               static_cast<GLsizei>(height), 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
  glBindTexture(GL_TEXTURE_2D, 0);
  return texture;
}

void OpenglFboRenderer::release() {
  framebuffers.erase(Platform::CurrentBindingHandle());
  output.Reset();
  layerStack.clear();
  spareLayers.clear();
  resolveTextures.clear();
  width = 0;
  height = 0;
}

void OpenglFboRenderer::resize(std::uint32_t w, std::uint32_t h, ColourStorage storage) {
  if (w == width && h == height && storage == colourStorage && output) return;
  release();
  width = w;
  height = h;
  colourStorage = storage;
  samples = SupportedSamples();
  currentFramebuffers();
  output = GlRenderbuffer::Generate();
  glBindRenderbuffer(GL_RENDERBUFFER, output.Get());
  glRenderbufferStorage(GL_RENDERBUFFER, OutputFormat(colourStorage), static_cast<GLsizei>(width),
                        static_cast<GLsizei>(height));
}

// Attaches the top layer's colour and its stencil (or none, so that a stencil of a layer
// below never serves the layer above) to the bound layer framebuffer.
void OpenglFboRenderer::attachTopLayer(GLuint layerFbo) {
  const Layer& top = layerStack.back();
  glBindFramebuffer(GL_FRAMEBUFFER, layerFbo);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, top.colour.Get());
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_STENCIL_ATTACHMENT, GL_RENDERBUFFER, top.stencil.Get());
}

// A new layer of the renderer's size on top of the stack; false when the driver gave its colour
// or stencil no storage (a driver that cannot hold that many bytes in one buffer leaves it
// empty and reports no error).
bool OpenglFboRenderer::makeLayer(bool withStencil) {
  const auto w = static_cast<GLsizei>(width);
  const auto h = static_cast<GLsizei>(height);
  const auto stored = [] {
    GLint side = 0;
    glGetRenderbufferParameteriv(GL_RENDERBUFFER, GL_RENDERBUFFER_WIDTH, &side);
    return side > 0;
  };
  Layer layer;
  layer.colour = GlRenderbuffer::Generate();
  glBindRenderbuffer(GL_RENDERBUFFER, layer.colour.Get());
  glRenderbufferStorageMultisample(GL_RENDERBUFFER, samples, InternalFormat(colourStorage), w, h);
  bool made = stored();
  if (withStencil && made) {
    layer.stencil = GlRenderbuffer::Generate();
    glBindRenderbuffer(GL_RENDERBUFFER, layer.stencil.Get());
    glRenderbufferStorageMultisample(GL_RENDERBUFFER, samples, GL_STENCIL_INDEX8, w, h);
    made = stored();
  }
  layerStack.push_back(std::move(layer));
  return made;
}

void OpenglFboRenderer::pushLayer(bool withStencil, LayerStart start) {
  const GLuint layerFbo = currentFramebuffers().layerFbo.Get();
  const auto spare = std::find_if(spareLayers.begin(), spareLayers.end(),
                                  [&](const Layer& s) { return bool(s.stencil) == withStencil; });
  if (spare != spareLayers.end()) {
    layerStack.push_back(std::move(*spare));
    spareLayers.erase(spare);
  } else if (!makeLayer(withStencil)) {
    layerStack.pop_back();
    if (!layerStack.empty()) attachTopLayer(layerFbo);
    LayerStorageRefused refused;
    refused.bytes = std::uint64_t(width) * height * std::uint64_t(samples) * BytesPerPixel(InternalFormat(colourStorage));
    throw refused;
  }
  attachTopLayer(layerFbo);
  if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
    layerStack.pop_back();
    if (!layerStack.empty()) attachTopLayer(layerFbo);
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
  Layer top = std::move(layerStack.back());
  layerStack.pop_back();
  if (spareLayers.size() < kSpareLayers) spareLayers.push_back(std::move(top));
}

// Resolves the top layer into `texture`, spares it and binds the layer below for drawing.
void OpenglFboRenderer::resolveTopInto(GLuint texture) {
  const ContextFramebuffers& set = currentFramebuffers();
  const auto w = static_cast<GLint>(width);
  const auto h = static_cast<GLint>(height);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, set.layerFbo.Get());
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, set.resolveFbo.Get());
  glFramebufferTexture2D(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, 0);
  glBlitFramebuffer(0, 0, w, h, 0, 0, w, h, GL_COLOR_BUFFER_BIT, GL_NEAREST);
  spareTopLayer();
  if (!layerStack.empty()) {
    glBindRenderbuffer(GL_RENDERBUFFER, layerStack.back().colour.Get());
    attachTopLayer(set.layerFbo.Get());
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
  if (resolveTextures.size() <= depth) resolveTextures.resize(depth + 1);
  if (!resolveTextures[depth]) resolveTextures[depth] = GlTexture(createTexture());
  const GLuint texture = resolveTextures[depth].Get();
  resolveTopInto(texture);
  return texture;
}

std::size_t OpenglFboRenderer::keptBytes() const {
  const std::size_t pixels = std::size_t(width) * std::size_t(height);
  const std::size_t perPixel = BytesPerPixel(InternalFormat(colourStorage));
  std::size_t bytes = output ? pixels * BytesPerPixel(OutputFormat(colourStorage)) : 0;
  for (const GlTexture& texture : resolveTextures) bytes += texture ? pixels * perPixel : 0;
  for (const Layer& spare : spareLayers) {
    bytes += pixels * std::size_t(samples) * (perPixel + (spare.stencil ? 1 : 0));
  }
  return bytes;
}

void OpenglFboRenderer::composite(float multiplier) {
  const GLuint texture = popLayerToKeptTexture();
  if (texture == 0) return;
  const ContextFramebuffers& set = currentFramebuffers();
  glBindFramebuffer(GL_FRAMEBUFFER, set.outputFbo.Get());
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, output.Get());
  if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) throw AESDK_OpenGL_Fault();
  // Blending off: the quad overwrites every pixel, so the renderbuffer needs no clear.
  glDisable(GL_BLEND);
  glDisable(GL_MULTISAMPLE);
  outputQuad.draw(texture, multiplier);
}

void OpenglFboRenderer::abandon() noexcept {
  forgetContextFramebuffers();
  output.Release();
  abandonLayers(layerStack);
  abandonLayers(spareLayers);
  for (GlTexture& texture : resolveTextures) texture.Release();
  resolveTextures.clear();
  width = 0;
  height = 0;
  outputQuad.abandon();
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
