// Off-screen storage of a render: a stack of multisampled layers drawn through one framebuffer,
// the resolve of a layer into a texture, and a single-sample output renderbuffer that the last
// pass draws into and the read-back reads.
//
// One renderer serves the process (instance()). Between renders it keeps only its framebuffers,
// its output renderbuffer and the output pass: every layer is made when it is pushed and deleted
// when it is popped, and every resolve goes into a new texture that its caller deletes after use.
// The storage is remade when the size or the colour storage changes; release() deletes it, and
// global set-down releases it and deletes the output pass too.
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
#include "render/GlName.h"
#include "render/OpenGLContext.h"

namespace Orvane::Mosaira {

// Colour storage of layers, resolve textures and the output renderbuffer, matched to the
// output depth. 8-bit output keeps 8 bits per channel throughout. Float output keeps single
// floats throughout, so values above 1.0 are not clipped. 16-bit output keeps single floats in
// the layers (they hold premultiplied colour, which un-premultiplying in the output pass would
// magnify beyond one 16-bit step from 16-bit storage) and 16-bit normalised channels in the
// output renderbuffer, which the read-back copies as they stand.
enum class ColourStorage { kUnorm8, kUnorm16, kFloat32 };

// Thrown by pushLayer when the driver gives a layer no storage: a layer of this size and storage
// is more than it can hold. `bytes` is what the layer's colour asked for (every sample counted).
struct LayerStorageRefused : AESDK_OpenGL_Fault {
  std::uint64_t bytes = 0;
};

// The framebuffer names of one context; 0 = none.
struct FboSet {
  gl::GLuint resolveFbo = 0;  // receives each resolve blit (texture as colour attachment 0)
  gl::GLuint outputFbo = 0;   // the output renderbuffer as colour attachment 0
  gl::GLuint layerFbo = 0;    // top layer's colour (and stencil) renderbuffers
};

class OpenglFboRenderer {
 public:
  // The process's renderer, made on the first call under thread-safe static initialisation (no
  // GL objects yet, no size, an output pass whose GL objects its first draw makes) and never
  // destroyed: at process exit there is no driver left to delete anything with.
  static OpenglFboRenderer& instance();

  OpenglFboRenderer(const OpenglFboRenderer&) = delete;
  OpenglFboRenderer& operator=(const OpenglFboRenderer&) = delete;

  // A new zero-filled 2D texture of the renderer's size and storage, filtered linearly and
  // clamped to the edge. The caller owns it.
  gl::GLuint createTexture();

  // Deletes the current context's framebuffers, the output renderbuffer and every stacked layer
  // (with its stencil), and forgets the size. Leaves the output pass alone. Needs a context of the share group current.
  void release();

  // Makes storage of w x h pixels (both at least 1) in `storage`; does nothing when size and
  // storage are unchanged. Otherwise releases first and leaves the output renderbuffer bound.
  void resize(std::uint32_t w, std::uint32_t h, ColourStorage storage = ColourStorage::kUnorm8);

  // Pushes a new layer (colour, plus a stencil when asked, recorded in stencilOfLayer), clears
  // it to transparent black (and its stencil to 0) and leaves the layer framebuffer bound to
  // GL_FRAMEBUFFER. Throws LayerStorageRefused when the driver gives the layer no storage,
  // AESDK_OpenGL_Fault when the framebuffer cannot be completed otherwise; either after deleting
  // the new layer and attaching the layer below again.
  void pushLayer(bool withStencil);

  // Resolves the top layer into a new texture, deletes the layer (and its stencil) and makes the
  // layer below the draw target again (its colour only). Returns the texture (the caller owns it
  // and deletes it after use), or 0 when the stack is empty.
  gl::GLuint popLayerToTexture();

  // Deletes the top layer (and its stencil) unresolved, for a render that stops on the way.
  // Needs a context of the share group current and a layer on the stack.
  void dropTop() noexcept;

  // Pops the top layer to a texture and draws it through the output pass, divided by
  // `multiplier`, into the cleared output renderbuffer, then deletes the texture; the output
  // framebuffer stays bound for drawing and reading. Makes a new output pass first when set-down
  // deleted it. Does nothing more on an empty stack. Throws AESDK_OpenGL_Fault when the output
  // framebuffer is not complete.
  void composite(float multiplier);

  // Drops every name and the size without a GL call, for when the contexts are gone; the output
  // pass goes too.
  void abandon() noexcept;

  // Forgets the framebuffers of every context without a GL call (set-down: those contexts are
  // going away).
  void forgetContextFramebuffers() noexcept;

  // The framebuffers of the context with this glbinding handle (all 0 when it has none).
  FboSet framebuffersOf(Platform::BindingHandle context) const;

  // Samples per layer pixel: 8, held to what the driver supports.
  gl::GLsizei sampleCount() const { return samples; }
  ColourStorage storage() const { return colourStorage; }

  // The output renderbuffer (0 before resize and after release).
  gl::GLuint outputName() const { return outputRenderbuffer.Get(); }

  // The colour renderbuffers of the stacked layers, bottom first, and the stencil renderbuffer
  // of the stacked layer with colour `colour` (0 when it has none or is not stacked).
  std::vector<gl::GLuint> layerNames() const;
  gl::GLuint stencilOf(gl::GLuint colour) const;
  std::size_t layerCount() const { return layerStack.size(); }

  std::uint32_t width = 0;
  std::uint32_t height = 0;
  // The output pass; null after global set-down until the next composite makes a new one.
  std::unique_ptr<OpenglOutputQuad> outputQuad;

 private:
  struct ContextFramebuffers {
    GlFramebuffer resolveFbo;
    GlFramebuffer outputFbo;
    GlFramebuffer layerFbo;
  };
  OpenglFboRenderer();
  ~OpenglFboRenderer() = default;  // never called: the renderer lives as long as the process
  ContextFramebuffers& currentFramebuffers();
  void attachTop(gl::GLuint layerFbo);

  GlRenderbuffer outputRenderbuffer;
  std::vector<GlRenderbuffer> layerStack;  // colour renderbuffers, bottom first
  // Colour renderbuffer name of each stacked layer pushed with a stencil -> its stencil.
  std::map<gl::GLuint, GlRenderbuffer> stencilOfLayer;
  std::map<Platform::BindingHandle, ContextFramebuffers> framebuffers;
  ColourStorage colourStorage = ColourStorage::kUnorm8;
  gl::GLsizei samples = 0;
};

// Samples asked for every layer before the driver's limit is applied.
inline constexpr int kWantedLayerSamples = 8;

}  // namespace Orvane::Mosaira
