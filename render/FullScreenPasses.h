// The two full-screen passes that finish every render: the flip pass (draws a resolved layer
// upside down into the layer below) and the output pass (un-premultiplies, moves alpha first
// and scales to the host's range). Both draw a textured quad of two triangles into whatever
// framebuffer, viewport and blend state the caller has set.
#pragma once

#include <glbinding/gl33core/types.h>

#include <map>

#include "platform/GlContext.h"
#include "render/GlName.h"
#include "render/OpenglShader.h"

namespace Orvane::Mosaira {

// Six vertices of (x, y, z, u, v) covering clip space, texture row 0 at the bottom.
inline constexpr int kQuadVertexCount = 6;
inline constexpr int kQuadFloatsPerVertex = 5;
extern const float fullScreenQuadVertices[kQuadVertexCount * kQuadFloatsPerVertex];

// The vertex stage both passes share, and the fragment stages of each.
extern const char* const kPassVertexSource;
extern const char* const kOutputPassFragmentSource;
extern const char* const kFlipPassFragmentSource;

// A textured full-screen quad drawn with one program. The program and the vertex buffer are
// made on the first draw in the share group of the current context; the vertex array, which
// contexts do not share, is made once in every context the pass draws in.
class FullScreenPass {
 public:
  // Makes no GL object and needs no context.
  explicit FullScreenPass(const char* fragmentSource);

  // release(); without a current context the objects went away with their contexts. Never throws.
  virtual ~FullScreenPass();
  FullScreenPass(const FullScreenPass&) = delete;
  FullScreenPass& operator=(const FullScreenPass&) = delete;

  // Draws `texture` (a 2D texture name) over the whole viewport, dividing the result by
  // `multiplier`. Leaves the program in use and texture unit 0 active with `texture` bound;
  // unbinds the vertex array and the array buffer. A program that does not build is reported
  // once per attempt (see OpenglShader::compile) and the quad is still drawn without one.
  void draw(gl::GLuint texture, float multiplier);

  // Deletes the vertex array of the current context, the vertex buffer and the program, and
  // forgets the vertex arrays of other contexts (they die with those contexts). Needs the
  // current context to belong to the pass's share group. The pass can draw again afterwards.
  void release();

  // Drops every name without a GL call, for when the contexts that held them are gone.
  void abandon() noexcept;

  // The vertex array made for the context with this glbinding handle, or 0.
  gl::GLuint vertexArrayOf(Platform::BindingHandle context) const;

  GlBuffer vertexBuffer;
  OpenglShader shader;

 private:
  std::map<Platform::BindingHandle, GlVertexArray> vertexArrays;
};

// Output pass: straight colour, alpha first, each component divided by the multiplier (1.0 for
// 8-bit and float output, 65535/32768 for 16-bit, whose values are first held to [0, 1]).
class OpenglOutputQuad : public FullScreenPass {
 public:
  OpenglOutputQuad() : FullScreenPass(kOutputPassFragmentSource) {}
};

// Flip pass: samples at (u, 1 - v), so texture row 0 lands at the top of the target; divides
// by the multiplier. Layers hold values in [0, 1] whatever their depth (see PixelTransfer.h),
// so renders pass 1.0 here.
class OpenglFlipQuad : public FullScreenPass {
 public:
  OpenglFlipQuad() : FullScreenPass(kFlipPassFragmentSource) {}
};

// The multiplier of the 16-bit road: exactly 65535/32768 in single precision.
inline constexpr float kMultiplier16Bit = 1.999969482421875f;

}  // namespace Orvane::Mosaira
