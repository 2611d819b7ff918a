// Move-only owners of OpenGL object names. An owner deletes its name when it goes or is reset,
// through the calling thread's current context; a thread with no current context deletes nothing,
// as the object went away with its context. Release gives a name up without a GL call, for names
// handed on or whose contexts are gone. Textures, renderbuffers, buffers and programs belong to a
// share group; framebuffers and vertex arrays to the one context that made them, which must be
// current when they are deleted.
#pragma once

#include <glbinding/gl33core/types.h>

#include <utility>

namespace Orvane::Mosaira {

enum class GlObject { kTexture, kRenderbuffer, kFramebuffer, kBuffer, kVertexArray, kProgram };

namespace detail {

// glGen* of one name of `kind` (glCreateProgram for programs); needs a current context.
gl::GLuint GenerateGlName(GlObject kind);

// glDelete* of `name` when a context is current on this thread; nothing otherwise.
void DeleteGlName(GlObject kind, gl::GLuint name) noexcept;

}  // namespace detail

template <GlObject Kind>
class GlName {
 public:
  GlName() noexcept = default;

  // Takes `name` over (0 = none).
  explicit GlName(gl::GLuint name) noexcept : name_(name) {}

  ~GlName() { Reset(); }
  GlName(GlName&& other) noexcept : name_(other.Release()) {}
  GlName& operator=(GlName&& other) noexcept {
    if (this != &other) {
      Reset();
      name_ = other.Release();
    }
    return *this;
  }
  GlName(const GlName&) = delete;
  GlName& operator=(const GlName&) = delete;

  // A new name of this kind, made in the current context.
  static GlName Generate() { return GlName(detail::GenerateGlName(Kind)); }

  gl::GLuint Get() const noexcept { return name_; }
  explicit operator bool() const noexcept { return name_ != 0; }

  // Deletes the name (see the header comment) and holds none.
  void Reset() noexcept {
    if (name_ != 0) detail::DeleteGlName(Kind, name_);
    name_ = 0;
  }

  // Gives the name up without a GL call; the owner holds none afterwards.
  gl::GLuint Release() noexcept { return std::exchange(name_, 0u); }

 private:
  gl::GLuint name_ = 0;
};

using GlTexture = GlName<GlObject::kTexture>;
using GlRenderbuffer = GlName<GlObject::kRenderbuffer>;
using GlFramebuffer = GlName<GlObject::kFramebuffer>;
using GlBuffer = GlName<GlObject::kBuffer>;
using GlVertexArray = GlName<GlObject::kVertexArray>;
using GlProgram = GlName<GlObject::kProgram>;

}  // namespace Orvane::Mosaira
