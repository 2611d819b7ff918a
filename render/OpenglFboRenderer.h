// Off-screen storage of a render: a stack of multisampled layers drawn through one framebuffer,
// the resolve of a layer into a texture, and a single-sample output renderbuffer that the last
// pass draws into and the read-back reads.
//
// Renderbuffers and textures live in the root's share group and serve every render thread;
// framebuffers are not shared between contexts, so every context that renders gets its own
// three (made on first use in that context). One render at a time may use the renderer.
#pragma once

#include <glbinding/gl33core/types.h>

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "platform/GlContext.h"
#include "render/FullScreenPasses.h"

namespace Orvane::Mosaira {

// Colour storage of layers, resolve textures and the output renderbuffer, matched to the
// output depth: 8-bit output keeps 8 bits per channel; 16-bit and float output keep single
// floats, so 16-bit values survive exactly and float values above 1.0 are not clipped.
enum class ColourStorage { kUnorm8, kFloat32 };

// Framebuffers of one context; 0 = none.
struct FboSet {
  gl::GLuint resolveFbo = 0;  // receives each resolve blit (texture as colour attachment 0)
  gl::GLuint outputFbo = 0;   // outputRenderbuffer as colour attachment 0
  gl::GLuint layerFbo = 0;    // top layer's colour (and stencil) renderbuffers
};

class OpenglFboRenderer {
 public:
  // The process-wide renderer, made on first call (no GL objects yet) and never destroyed.
  static OpenglFboRenderer& instance();

  OpenglFboRenderer(const OpenglFboRenderer&) = delete;
  OpenglFboRenderer& operator=(const OpenglFboRenderer&) = delete;

  // A new 2D texture of the renderer's size and storage, linear filtering, clamped to the
  // edge, contents undefined (every use overwrites it whole). The caller owns it.
  gl::GLuint createTexture();

  // Deletes the current context's framebuffers, the output renderbuffer and every stacked
  // layer (with its stencil), and forgets the size. Needs a context of the share group current.
  void release();

  // Makes storage of w x h pixels (both at least 1) in `storage`; does nothing when size and
  // storage are unchanged. Otherwise releases first. Leaves the output renderbuffer bound.
  void resize(std::uint32_t w, std::uint32_t h, ColourStorage storage = ColourStorage::kUnorm8);

  // Pushes a new layer (colour, plus stencil when asked), clears it to transparent black (and
  // its stencil to 0) and leaves the layer framebuffer bound to GL_FRAMEBUFFER. Throws
  // AESDK_OpenGL_Fault when the framebuffer cannot be completed, after deleting the new layer.
  void pushLayer(bool withStencil);

  // Resolves the top layer into a new texture, deletes the layer and makes the layer below
  // (with its stencil, if it has one) the draw target again. Returns the texture (the caller
  // owns it), or 0 when the stack is empty.
  gl::GLuint popLayerToTexture();

  // Pops the top layer and draws it through the output pass, divided by `multiplier`, into the
  // output renderbuffer; the output framebuffer stays bound for drawing and reading. Does
  // nothing on an empty stack. Throws AESDK_OpenGL_Fault when the output framebuffer is not
  // complete.
  void composite(float multiplier);

  // Drops every name and the size without a GL call, for when the contexts are gone.
  void abandon() noexcept;

  // Forgets the framebuffers of every context (set-down: those contexts are going away).
  void forgetContextFramebuffers();

  // The framebuffers of the context with this glbinding handle (all 0 when it has none).
  FboSet framebuffersOf(Platform::BindingHandle context) const;

  // Samples per layer pixel: 8, held to what the driver supports.
  gl::GLsizei sampleCount() const { return samples; }
  ColourStorage storage() const { return colourStorage; }

  gl::GLuint outputRenderbuffer = 0;
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::vector<gl::GLuint> layerStack;          // colour renderbuffers, bottom first
  std::map<gl::GLuint, gl::GLuint> stencilOfLayer;  // colour -> stencil renderbuffer
  std::unique_ptr<OpenglOutputQuad> outputQuad;     // null after set-down until composite

 private:
  OpenglFboRenderer();
  FboSet& currentFramebuffers();
  void attachTopLayer(gl::GLuint layerFbo);
  void deleteLayer(gl::GLuint colour);

  std::map<Platform::BindingHandle, FboSet> framebuffers;
  ColourStorage colourStorage = ColourStorage::kUnorm8;
  gl::GLsizei samples = 0;
};

// Samples asked for every layer before the driver's limit is applied.
inline constexpr int kWantedLayerSamples = 8;

}  // namespace Orvane::Mosaira
