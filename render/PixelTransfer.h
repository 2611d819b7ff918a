// Pixel transfer between the host's worlds and OpenGL: a layer world goes up into a texture,
// the finished image comes back from the framebuffer bound for reading into the output world.
// Channels travel in memory order (alpha, red, green, blue land in r, g, b, a); rows are not
// flipped, and are read and written in place through the world's row length whenever it is a
// whole number of pixels. Both run on a render thread with its context current.
//
// Range: every depth goes up as it stands in the host's units. 8-bit layers sample as value/255
// (GL_RGBA8), float layers as they are (GL_RGBA32F), 16-bit layers as value/65535 (GL_RGBA16),
// so a 16-bit white (32768) samples as 32768/65535: whoever draws a 16-bit layer scales it by
// kMultiplier16Bit to bring white to 1.0. On the way back the output pass divides the 16-bit
// road by kMultiplier16Bit, and the read-back's conversion to unsigned 16 bits then yields the
// host's 0..32768 again.
//
// Failures throw an integer: A_Err_MISSING_SUITE when a suite cannot be acquired,
// PF_Err_OUT_OF_MEMORY when a handle cannot be made or locked, PF_Err_BAD_CALLBACK_PARAM for an
// unknown layout code or a world that cannot be read (no pixels, rows shorter than a row of
// pixels). Everything held is released first; the upload deletes a texture it made.
#pragma once

#include <glbinding/gl33core/types.h>

#include "render/LayerTexturePool.h"
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

// The internal format of a layer texture of `code`: GL_RGBA8, GL_RGBA16 or GL_RGBA32F.
gl::GLenum LayerTextureFormat(PF_PixelFormat code);

// Uploads `layer` (layout `code`) into a new texture of its size in LayerTextureFormat(code),
// world row 0 as texture row 0. A layer larger than the driver's largest texture goes up
// reduced by a whole factor (each texel the mean of its block, GL_RGBA32F, on the same scale as
// the full-size texture), so that it is never lost. Leaves GL_UNPACK_ROW_LENGTH 0 and no
// texture bound to GL_TEXTURE_2D; does not wait for the upload (the GL orders later use).
// The caller owns the returned texture.
gl::GLuint UploadLayerTexture(PF_PixelFormat code, PF_EffectWorld* layer, PF_InData* in_data);

// As UploadLayerTexture, into a texture taken from `pool`, which keeps it.
gl::GLuint UploadLayerToPool(PF_PixelFormat code, PF_EffectWorld* layer, PF_InData* in_data,
                             LayerTexturePool* pool);

// Reads `width` x `height` pixels from colour attachment 0 of the framebuffer bound for reading
// into `output` (layout `code`), buffer row y to world row y. Only the rows and pixels that
// both the read and `output` have are written; row padding is left alone. A row length that is
// not a whole number of pixels reads through a host handle. `bytesPerPixel` and `transferType`
// must be the layout's (PF_Err_BAD_CALLBACK_PARAM otherwise).
void DownloadOutputWorld(A_long width, A_long height, PF_EffectWorld* output,
                         PF_InData* in_data, PF_PixelFormat code, int bytesPerPixel, gl::GLenum transferType);

}  // namespace Orvane::Mosaira
