// Layer textures kept from one render to the next. A render takes one texture per layer it draws
// (matched by size and internal format, made when none is free) and ends by giving them all back;
// what that render did not take is deleted then, so between renders at most the textures of the
// last render stay alive (one per frame it drew).
//
// Textures live in the root's share group; every call needs a context of that group current, and
// one render at a time may use the pool (the render lock).
#pragma once

#include <glbinding/gl33core/types.h>

#include <cstddef>
#include <vector>

#include "render/GlName.h"

namespace Orvane::Mosaira {

// A new 2D texture of w x h texels in `internalFormat`, linear filtering, clamped to the edge,
// contents undefined. The caller owns it.
gl::GLuint NewLayerTexture(gl::GLsizei w, gl::GLsizei h, gl::GLenum internalFormat);

class LayerTexturePool {
 public:
  LayerTexturePool() = default;
  LayerTexturePool(const LayerTexturePool&) = delete;
  LayerTexturePool& operator=(const LayerTexturePool&) = delete;

  // A 2D texture of w x h texels (both at least 1) in `internalFormat`, linear filtering, clamped
  // to the edge, contents undefined: a kept one that this render has not taken yet, or a new one.
  // The pool keeps ownership; the texture stays this render's until EndRender.
  gl::GLuint Take(gl::GLsizei w, gl::GLsizei h, gl::GLenum internalFormat);

  // Every texture taken since the last EndRender becomes free for the next render; every texture
  // not taken is deleted.
  void EndRender();

  // Deletes every texture (set-down, or a change of render size).
  void Release();

  // Forgets every texture without a GL call, for when the contexts are gone.
  void Abandon() noexcept;

  // Textures alive now, and their bytes as stored (4 channels at the format's depth).
  std::size_t Count() const { return kept_.size(); }
  std::size_t Bytes() const;

 private:
  struct Kept {
    GlTexture name;
    gl::GLsizei width = 0;
    gl::GLsizei height = 0;
    gl::GLenum format{};
    bool taken = false;
  };
  std::vector<Kept> kept_;
};

}  // namespace Orvane::Mosaira
