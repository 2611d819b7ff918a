// Pixel transfer between the host's worlds and OpenGL: a layer world goes up into a new float
// texture, the finished image comes back from the framebuffer bound for reading into the output
// world. Channels travel in memory order (alpha, red, green, blue land in r, g, b, a); rows are
// not flipped and values are not scaled. Both run on a render thread with its context current.
//
// 8-bit and 16-bit pixels are read and written at the addresses the host's utility callbacks give
// (get_pixel_data8, get_pixel_data16); float pixels only through the host's "PF iterateFloat
// Suite", which hands each pixel to CopyFloatPixelToBuffer or CopyFloatPixelFromBuffer.
//
// Range: every depth goes up as it stands in the host's units, into GL_RGBA32F: 8-bit layers as
// value/255, float layers as they are, 16-bit layers as value/65535, so a 16-bit white (32768)
// samples as 32768/65535: whoever draws a 16-bit layer scales it by kMultiplier16Bit to bring
// white to 1.0. On the way back the output pass divides the 16-bit road by kMultiplier16Bit, and
// the read-back's conversion to unsigned 16 bits then yields the host's 0..32768 again.
//
// Failures throw an integer: A_Err_MISSING_SUITE (13) when a suite cannot be acquired,
// PF_Err_OUT_OF_MEMORY when a handle or the float buffer cannot be had, the error of the host's
// iteration as it came, PF_Err_BAD_CALLBACK_PARAM for an unknown layout code or a world that
// cannot be read (no pixels, rows shorter than a row of pixels). Everything held is released
// first; the upload deletes the texture it made.
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

// What the host's float iteration hands the two copy callbacks: a packed buffer of float pixels
// (four floats each, in the world's channel order) and the world whose width is the buffer's row
// length and whose height its row count. Pixel (x, y) is pixels[y * width + x].
struct FloatCopyRefcon {
  PF_PixelFloat* pixels = nullptr;
  PF_EffectWorld* world = nullptr;
};

// The host's PF_IteratePixelFloatFunc: copies `in` unchanged into the buffer at (x, y). Touches
// nothing else (not `out`); a pixel outside `world`, or a null pixel, is left alone. Returns 0.
PF_Err CopyFloatPixelToBuffer(void* refcon, A_long x, A_long y, PF_PixelFloat* in, PF_PixelFloat* out);

// The host's PF_IteratePixelFloatFunc: copies the buffer's pixel (x, y) unchanged into `out`.
// Touches nothing else; a pixel outside `world`, or a null pixel, is left alone. Returns 0.
PF_Err CopyFloatPixelFromBuffer(void* refcon, A_long x, A_long y, PF_PixelFloat* in, PF_PixelFloat* out);

// Uploads `layer` (layout `code`) into a new GL_RGBA32F texture of its size, world row 0 as
// texture row 0, and waits for the upload to finish (glFinish) so the texture is complete before
// any drawing uses it. A float layer walks the host's iteration with `destination` as its
// destination world (the render's output world; its pixels are left alone), or with the layer
// itself when `destination` is smaller than the layer, so that the whole layer is walked. A
// layer larger than the driver's largest texture goes up reduced by a whole factor (each texel
// the mean of its block, on the same scale as the full-size texture), so that it is never lost.
// Leaves GL_UNPACK_ROW_LENGTH 0 and no texture bound to GL_TEXTURE_2D. The caller owns the
// returned texture.
gl::GLuint UploadLayerTexture(PF_PixelFormat code, PF_EffectWorld* layer, PF_EffectWorld* destination,
                              PF_InData* in_data);

// Reads `width` x `height` pixels from colour attachment 0 of the framebuffer bound for reading
// into a host handle ("PF Handle Suite"), then into `output` (layout `code`), buffer row y to
// world row y. Only the rows and pixels that both the read and `output` have are written; the
// padding after each output row is left alone. A float read goes into `output` through the
// host's iteration over `input`, which must be of the read size. `bytesPerPixel` and
// `transferType` must be the layout's (PF_Err_BAD_CALLBACK_PARAM otherwise).
void DownloadOutputWorld(A_long width, A_long height, PF_EffectWorld* input, PF_EffectWorld* output,
                         PF_InData* in_data, PF_PixelFormat code, int bytesPerPixel, gl::GLenum transferType);

}  // namespace Orvane::Mosaira
