// OpenGL 3.3 core back end behind NanoVG's render interface.
//
// One back end serves one NanoVG context. It draws with a single shader program, one uniform
// buffer holding a block of fragment uniforms per draw step and one vertex buffer refilled every
// frame. Image-pattern fills read textures whose R, G, B, A channels hold the host's alpha-first
// pixels (A, R, G, B) and draw them as (R, G, B, A); outside the image's own rectangle they are
// transparent.
//
// Threading: no lock. Every call must run on a thread whose current OpenGL context is the one
// current at creation or shares objects with it, with glbinding switched to that context, and no
// two calls may overlap.
#pragma once

#include <glbinding/gl33core/types.h>

#include "nanovg.h"

namespace Orvane::Mosaira {

// Creation flags of nvgCreateGL3 (bits).
constexpr int NVG_ANTIALIAS = 1 << 0;        // edge anti-aliasing: fringes drawn, shader edge mask
constexpr int NVG_STENCIL_STROKES = 1 << 1;  // strokes drawn through the stencil buffer
constexpr int NVG_DEBUG = 1 << 2;            // glGetError after each step, printed to stdout

// Image flag beyond NanoVG's own: the back end never deletes the image's GL texture.
constexpr int NVG_IMAGE_NODELETE = 1 << 16;

// Makes a NanoVG context drawing through this back end. The calling thread must have a current
// OpenGL 3.3 (or later) context: the shader program, the buffers and NanoVG's 512 x 512 glyph
// atlas texture are made in its share group. Returns null when the state cannot be allocated,
// a shader does not compile, the program does not link or the glyph atlas cannot be made
// (compiler and linker logs go to stdout); nothing is left behind then.
// The caller owns the result and frees it with nvgDeleteInternal, with a context of the same
// share group current.
NVGcontext* nvgCreateGL3(int flags);

// Wraps an existing 2D texture (four channels) as a NanoVG image without any GL call. With image
// flags lacking NVG_IMAGE_NODELETE the back end takes the texture over and deletes it with the
// image (or with the back end). The size (0 allowed) serves only updates and size queries; the
// image pattern says where the texture goes. Returns the new image id (never reused), or 0 when no
// slot could be had or the arguments are unusable (null context, texture 0, a negative size); on
// 0 the texture stays the caller's.
int nvglCreateImageFromHandleGL3(NVGcontext* ctx, gl33core::GLuint texture, int width, int height,
                                 int imageFlags);

// Drops every OpenGL name the back end holds (program, buffers, vertex array, image textures)
// without a GL call, for when the contexts that held them are gone: nvgDeleteInternal then frees
// the memory alone and needs no current context. Does nothing for a null context.
void nvglForgetObjectsGL3(NVGcontext* ctx) noexcept;

}  // namespace Orvane::Mosaira
