#include "render/LayerTexturePool.h"

#include <glbinding/gl33core/gl.h>

#include <algorithm>

using namespace gl33core;

namespace Orvane::Mosaira {
namespace {

std::size_t BytesPerTexel(GLenum format) {
  if (format == GL_RGBA32F) return 16;
  if (format == GL_RGBA16) return 8;
  return 4;
}

}  // namespace

GLuint NewLayerTexture(GLsizei w, GLsizei h, GLenum internalFormat) {
  GLuint texture = 0;
  glGenTextures(1, &texture);
  glBindTexture(GL_TEXTURE_2D, texture);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, static_cast<GLint>(GL_LINEAR));
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, static_cast<GLint>(GL_LINEAR));
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, static_cast<GLint>(GL_CLAMP_TO_EDGE));
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, static_cast<GLint>(GL_CLAMP_TO_EDGE));
  glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(internalFormat), w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
  glBindTexture(GL_TEXTURE_2D, 0);
  return texture;
}

GLuint LayerTexturePool::Take(GLsizei w, GLsizei h, GLenum internalFormat) {
  for (Kept& kept : kept_) {
    if (kept.taken || kept.width != w || kept.height != h || kept.format != internalFormat) continue;
    kept.taken = true;
    return kept.name.Get();
  }
  kept_.push_back({GlTexture(NewLayerTexture(w, h, internalFormat)), w, h, internalFormat, true});
  return kept_.back().name.Get();
}

void LayerTexturePool::EndRender() {
  kept_.erase(std::remove_if(kept_.begin(), kept_.end(), [](const Kept& k) { return !k.taken; }), kept_.end());
  for (Kept& kept : kept_) kept.taken = false;
}

void LayerTexturePool::Release() { kept_.clear(); }

void LayerTexturePool::Abandon() noexcept {
  for (Kept& kept : kept_) kept.name.Release();
  kept_.clear();
}

std::size_t LayerTexturePool::Bytes() const {
  std::size_t bytes = 0;
  for (const Kept& kept : kept_) bytes += std::size_t(kept.width) * std::size_t(kept.height) * BytesPerTexel(kept.format);
  return bytes;
}

}  // namespace Orvane::Mosaira
