// Off-screen storage of a render: a stack of multisampled layers drawn through one framebuffer,
// the resolve of a layer into a texture, and a single-sample output renderbuffer that the last
// pass draws into and the read-back reads.
//
// Storage is kept from one render to the next while the size and colour storage stay the same:
// a popped layer (with its stencil) waits for the next push, at most kSpareLayers of them; the
// resolve textures, one per stack depth, stay too. A change of size or storage, and release(),
// delete all of it.
//
// Renderbuffers and textures live in the root's share group and serve every render thread;
// framebuffers are not shared between contexts, so every context that renders gets its own
// three (made on first use in that context). One render at a time may use the renderer.
#pragma once

#include <glbinding/gl33core/types.h>

#include <cstdint>
#include <map>
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

// What a pushed layer starts with: cleared to transparent black, or left as it is because the
// first pass into it overwrites every pixel (blending off).
enum class LayerStart { kCleared, kOverwritten };

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
  // No GL objects yet; needs no context. The renderer of every render is owned by the renderer's
  // process-wide state (RenderGlobals.h).
  OpenglFboRenderer() = default;

  // Deletes what the current context may delete (see GlName.h); framebuffers of other contexts
  // are left to those contexts. Never throws.
  ~OpenglFboRenderer();
  OpenglFboRenderer(const OpenglFboRenderer&) = delete;
  OpenglFboRenderer& operator=(const OpenglFboRenderer&) = delete;

  // A new 2D texture of the renderer's size and storage, clamped to the edge, contents undefined
  // (every use overwrites it whole); nearest filtering at 8 bits, linear otherwise (the passes
  // read it at texel centres). The caller owns it.
  gl::GLuint createTexture();

  // Deletes the current context's framebuffers, the output renderbuffer, every stacked and
  // spare layer (with its stencil) and the resolve textures, and
  // forgets the size. Needs a context of the share group current.
  void release();

  // Makes storage of w x h pixels (both at least 1) in `storage`; does nothing when size and
  // storage are unchanged (everything kept stays). Otherwise releases first and leaves the
  // output renderbuffer bound.
  void resize(std::uint32_t w, std::uint32_t h, ColourStorage storage = ColourStorage::kUnorm8);

  // Pushes a layer (colour, plus stencil when asked; a spare one when there is one), clears it
  // to transparent black (and its stencil to 0) unless `start` says the caller overwrites it,
  // and leaves the layer framebuffer bound to GL_FRAMEBUFFER. Throws LayerStorageRefused when the
  // driver gives the layer no storage, AESDK_OpenGL_Fault when the framebuffer cannot be
  // completed otherwise; either after deleting the layer.
  void pushLayer(bool withStencil, LayerStart start = LayerStart::kCleared);

  // Resolves the top layer into a new texture, keeps the layer as a spare and makes the layer
  // below (with its stencil, if it has one) the draw target again. Returns the texture (the
  // caller owns it), or 0 when the stack is empty.
  gl::GLuint popLayerToTexture();

  // As popLayerToTexture, into the renderer's own resolve texture of that stack depth: the
  // renderer owns it, and it holds the layer until the next pop to the same depth.
  gl::GLuint popLayerToKeptTexture();

  // Pops the top layer and draws it through the output pass, divided by `multiplier`, into the
  // output renderbuffer (every pixel overwritten); the output framebuffer stays bound for
  // drawing and reading. Does nothing on an empty stack. Throws AESDK_OpenGL_Fault when the
  // output framebuffer is not complete.
  void composite(float multiplier);

  // Drops every name and the size without a GL call, for when the contexts are gone.
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
  gl::GLuint outputRenderbuffer() const { return output.Get(); }

  // The colour renderbuffers of the stacked layers, bottom first, and the stencil renderbuffer
  // of the stacked layer with colour `colour` (0 when it has none or is not stacked).
  std::vector<gl::GLuint> layerNames() const;
  gl::GLuint stencilOf(gl::GLuint colour) const;
  std::size_t layerCount() const { return layerStack.size(); }

  std::uint32_t width = 0;
  std::uint32_t height = 0;
  OpenglOutputQuad outputQuad;    // the output pass; its GL objects are made on its first draw

  // Storage alive between renders: spare layers, resolve textures and
  // the output renderbuffer, in bytes as stored (a multisampled pixel counted once per sample).
  std::size_t keptBytes() const;
  std::size_t spareLayerCount() const { return spareLayers.size(); }

 private:
  struct Layer {
    GlRenderbuffer colour;
    GlRenderbuffer stencil;  // none: a layer without stencil
  };
  struct ContextFramebuffers {
    GlFramebuffer resolveFbo;
    GlFramebuffer outputFbo;
    GlFramebuffer layerFbo;
  };
  static void abandonLayers(std::vector<Layer>& layers) noexcept;
  ContextFramebuffers& currentFramebuffers();
  void attachTopLayer(gl::GLuint layerFbo);
  bool makeLayer(bool withStencil);
  void spareTopLayer();
  void resolveTopInto(gl::GLuint texture);

  GlRenderbuffer output;
  std::vector<Layer> layerStack;  // bottom first
  std::vector<Layer> spareLayers;
  std::vector<GlTexture> resolveTextures;  // by stack depth after the pop; none = not made yet
  std::map<Platform::BindingHandle, ContextFramebuffers> framebuffers;
  ColourStorage colourStorage = ColourStorage::kUnorm8;
  gl::GLsizei samples = 0;
};

// Samples asked for every layer before the driver's limit is applied.
inline constexpr int kWantedLayerSamples = 8;

// Popped layers kept for the next push: a render stacks two.
inline constexpr std::size_t kSpareLayers = 2;

}  // namespace Orvane::Mosaira
