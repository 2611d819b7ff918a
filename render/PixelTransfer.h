// Pixel transfer between the host's worlds and OpenGL: a layer world goes up into a new float
// texture, the finished image comes back from the framebuffer bound for reading into the
// output world. Channels travel in memory order (alpha, red, green, blue land in r, g, b, a);
// rows are not flipped. Both run on a render thread with its context current.
//
// Range: textures hold every depth in [0, 1]. 8-bit and float values go up as they stand
// (8-bit as value/255); 16-bit values (0..32768) are scaled on the way up to value/32768, so a
// 16-bit white is 1.0 like an 8-bit one. On the way back the output pass divides the 16-bit
// road by kMultiplier16Bit, and the read-back's conversion to unsigned 16 bits then yields the
// host's 0..32768 again.
//
// Failures throw an integer: 13 when a suite cannot be acquired, 4 when a handle cannot be
// made or locked, the host's own error from iterate, 516 (PF_Err_BAD_CALLBACK_PARAM) for an
// unknown layout code or a world that cannot be read (no pixels, rows shorter than a row of
// pixels). Everything held is released first; the upload deletes its texture.
#pragma once

#include <glbinding/gl33core/types.h>

#include "render/OpenglFboRenderer.h"
#include "sdk/pf_effect.h"
#include "sdk/pf_suites.h"

namespace Orvane::Mosaira {

// What the renderer needs to know of one host pixel layout.
struct PixelLayout {
  PF_PixelFormat code = PF_PixelFormat_INVALID;
  int bytesPerPixel = 0;
  gl::GLenum transferType{};    // GL type of one channel in host memory
  float multiplier = 1.0f;      // what the output pass divides by
  ColourStorage storage = ColourStorage::kUnorm8;  // renderer storage for this output depth
};

// The layout of `code`; false (and `layout` untouched) for any code but the three.
bool PixelLayoutOf(PF_PixelFormat code, PixelLayout* layout);

// Refcon of the host's float iteration: a packed buffer of float pixels and a world whose
// width and height are the buffer's, in pixels. The pixel at (x, y) is pixels[y * width + x].
struct FloatCopyRefcon {
  PF_PixelFloat* pixels;
  const PF_EffectWorld* world;
};

// Host iteration callbacks: copy one float pixel into / out of the buffer, unchanged. A
// position outside the buffer's world, or a null pixel, is left alone. Both return PF_Err_NONE.
extern "C" PF_Err CopyFloatPixelToBuffer(void* refcon, A_long x, A_long y, PF_PixelFloat* in, PF_PixelFloat* out);
extern "C" PF_Err CopyFloatPixelFromBuffer(void* refcon, A_long x, A_long y, PF_PixelFloat* in, PF_PixelFloat* out);

// Uploads `layer` (layout `code`) into a new texture of its size (GL_RGBA8 for 8-bit layers,
// GL_RGBA32F otherwise; both sample as 0..1, 16-bit white as 1.0), world row 0 as texture row 0.
// A layer larger than the driver's largest texture goes up reduced by a whole factor (each texel
// the mean of its block, GL_RGBA32F), so that it is never lost. `destination` is the float
// iteration's destination world (left unchanged); hosts iterate no further than it reaches, so it
// must be at least as large as `layer` (the layer itself will do). Leaves GL_UNPACK_ROW_LENGTH 0
// and no texture bound to GL_TEXTURE_2D; waits for the upload to finish. The caller owns the
// returned texture.
gl::GLuint UploadLayerTexture(PF_PixelFormat code, PF_EffectWorld* layer, PF_EffectWorld* destination,
                              PF_InData* in_data);

// Reads `width` x `height` pixels from colour attachment 0 of the framebuffer bound for reading
// into `output` (layout `code`), buffer row y to world row y. Only the rows and pixels that
// both the read and `output` have are written; row padding is left alone. `input` is the
// iteration's source world of the float road. `bytesPerPixel` and `transferType` must be the
// layout's (516 otherwise).
void DownloadOutputWorld(A_long width, A_long height, PF_EffectWorld* input, PF_EffectWorld* output,
                         PF_InData* in_data, PF_PixelFormat code, int bytesPerPixel, gl::GLenum transferType);

}  // namespace Orvane::Mosaira
