// Insides of the OpenGL 3 back end behind NanoVG (see NanoVgGl3.h): the state behind the NanoVG
// context's user pointer, the records it keeps and the operations the two source files share.
// Included only by the back end and by its tests.
#pragma once

#include <glbinding/gl33core/gl.h>

#include "nanovg.h"

namespace Orvane::Mosaira::detail {

using gl33core::GLenum;
using gl33core::GLint;
using gl33core::GLuint;

// Kinds of queued draw calls; 0 draws nothing.
constexpr int GLNVG_NONE = 0;
constexpr int GLNVG_FILL = 1;        // stencil-then-cover fill
constexpr int GLNVG_CONVEXFILL = 2;  // one convex path, no stencil
constexpr int GLNVG_STROKE = 3;
constexpr int GLNVG_TRIANGLES = 4;

// The fill shader's `type` member.
constexpr int NSVG_SHADER_FILLGRAD = 0;  // gradient
constexpr int NSVG_SHADER_FILLIMG = 1;   // image pattern
constexpr int NSVG_SHADER_SIMPLE = 2;    // stencil only, plain white
constexpr int NSVG_SHADER_IMG = 3;       // textured triangles

// Indices into GLNVGshader::loc.
constexpr int GLNVG_LOC_VIEWSIZE = 0;
constexpr int GLNVG_LOC_TEX = 1;
constexpr int GLNVG_LOC_FRAG = 2;
constexpr int GLNVG_MAX_LOCS = 3;

// Bytes of one fragment-uniform block before padding to the buffer offset alignment.
constexpr int kFragUniformBytes = 176;

struct GLNVGshader {
  GLuint prog;
  GLuint frag;
  GLuint vert;
  GLint loc[GLNVG_MAX_LOCS];  // "viewSize", "tex" locations; "frag" block index
};

// One image; id 0 marks a free slot.
struct GLNVGtexture {
  int id;
  GLuint tex;
  int width, height;  // pixels
  int type;           // NVG_TEXTURE_RGBA: four channels; any other: one channel
  int flags;          // NanoVG image flags, NVG_IMAGE_NODELETE included
};

struct GLNVGblend {
  GLenum srcRGB;
  GLenum dstRGB;
  GLenum srcAlpha;
  GLenum dstAlpha;
};

struct GLNVGcall {
  int type;  // GLNVG_*
  int image;
  int pathOffset;
  int pathCount;
  int triangleOffset;
  int triangleCount;
  int uniformOffset;  // bytes into the uniform buffer; a stencil fill's second block follows it
  GLNVGblend blendFunc;
};

// A path's runs in the vertex array: its fan (fill) and its strip (fringe or stroke).
struct GLNVGpath {
  int fillOffset;
  int fillCount;
  int strokeOffset;
  int strokeCount;
};

// std140 layout of the fill shader's uniform block "frag".
struct GLNVGfragUniforms {
  float scissorMat[12];  // three columns of four floats
  float paintMat[12];
  NVGcolor innerCol;  // premultiplied
  NVGcolor outerCol;  // premultiplied
  float scissorExt[2];
  float scissorScale[2];
  float extent[2];
  float radius;
  float feather;
  float strokeMult;
  float strokeThr;
  int texType;  // 0 premultiplied RGBA, 1 straight RGBA, 2 one channel
  int type;     // NSVG_SHADER_*
};
static_assert(sizeof(GLNVGfragUniforms) == kFragUniformBytes, "std140 block size");

// Back-end state, allocated zero-filled by nvgCreateGL3 and freed by glnvg__renderDelete.
// Plain data on purpose: NanoVG holds it as a void pointer, and the arrays grow with realloc so
// that a failed growth leaves them exactly as they were.
// The four per-frame arrays (calls, paths, verts, uniforms) hold pointer, capacity, count;
// uniforms is a byte buffer counted in blocks of fragSize bytes.
struct GLNVGcontext {
  GLNVGshader shader;
  GLNVGtexture* textures;
  float view[2];  // view size in pixels
  int ntextures;  // records in use, free slots included
  int ctextures;
  int textureId;  // last image id handed out
  GLuint vertBuf;
  GLuint vertArr;  // only during a flush, made in the context current then
  GLuint fragBuf;
  int fragSize;
  int flags;

  GLNVGcall* calls;
  int ccalls;
  int ncalls;
  GLNVGpath* paths;
  int cpaths;
  int npaths;
  NVGvertex* verts;
  int cverts;
  int nverts;
  unsigned char* uniforms;
  int cuniforms;
  int nuniforms;

  // GL state cache, reset at the start of every flush.
  GLuint boundTexture;
  GLuint stencilMask;
  GLenum stencilFunc;
  GLint stencilFuncRef;
  GLuint stencilFuncMask;
  GLNVGblend blendFunc;
};

// --- Operations shared by the back end's files (and its tests) ---

// Distance between two uniform blocks for a buffer offset alignment: 176 rounded up past the
// next multiple (a whole extra alignment when 176 already is one). A non-positive alignment
// counts as 4.
int glnvg__fragSizeForAlignment(int align);

// Image table. Ids start at 1 and are never reused; freed slots are. allocTexture returns a
// zeroed record with a fresh id, or null (table unchanged) when it cannot grow.
GLNVGtexture* glnvg__allocTexture(GLNVGcontext* gl);
GLNVGtexture* glnvg__findTexture(GLNVGcontext* gl, int id);
int glnvg__deleteTexture(GLNVGcontext* gl, int id);

// Binds the texture to GL_TEXTURE_2D unless the cache says it already is.
void glnvg__bindTexture(GLNVGcontext* gl, GLuint tex);

// Fills one fragment-uniform block (kFragUniformBytes) for the paint. Returns 0 (block partly
// filled) when the paint names an image id without a record, else 1.
int glnvg__convertPaint(GLNVGcontext* gl, GLNVGfragUniforms* frag, const NVGpaint* paint,
                        const NVGscissor* scissor, float width, float fringe, float strokeThr);

// Maps a NanoVG blend factor; anything outside NanoVG's factors gives GL_INVALID_ENUM.
GLenum glnvg_convertBlendFuncFactor(int factor);
GLNVGblend glnvg__blendCompositeOperation(NVGcompositeOperationState op);

// Per-frame reservations; see the growth rule in NanoVgGl3Calls.cpp.
GLNVGcall* glnvg__allocCall(GLNVGcontext* gl);
int glnvg__allocPaths(GLNVGcontext* gl, int n);
int glnvg__allocVerts(GLNVGcontext* gl, int n);
int glnvg__allocFragUniforms(GLNVGcontext* gl, int n);
GLNVGfragUniforms* glnvg__fragUniformPtr(GLNVGcontext* gl, int offset);

// The twelve callbacks of NVGparams, in the order NanoVG holds them.
int glnvg__renderCreate(void* uptr, void* otherUptr);
int glnvg__renderCreateTexture(void* uptr, int type, int w, int h, int imageFlags,
                               const unsigned char* data);
int glnvg__renderDeleteTexture(void* uptr, int image);
int glnvg__renderUpdateTexture(void* uptr, int image, int x, int y, int w, int h,
                               const unsigned char* data);
int glnvg__renderGetTextureSize(void* uptr, int image, int* w, int* h);
void glnvg__renderViewport(void* uptr, float width, float height, float devicePixelRatio);
void glnvg__renderCancel(void* uptr);
void glnvg__renderFlush(void* uptr);
void glnvg__renderFill(void* uptr, NVGpaint* paint, NVGcompositeOperationState compositeOperation,
                       NVGscissor* scissor, float fringe, const float* bounds,
                       const NVGpath* paths, int npaths);
void glnvg__renderStroke(void* uptr, NVGpaint* paint,
                         NVGcompositeOperationState compositeOperation, NVGscissor* scissor,
                         float fringe, float strokeWidth, const NVGpath* paths, int npaths);
void glnvg__renderTriangles(void* uptr, NVGpaint* paint,
                            NVGcompositeOperationState compositeOperation, NVGscissor* scissor,
                            const NVGvertex* verts, int nverts, float fringe);
void glnvg__renderDelete(void* uptr);

// Builds the program from three source strings per stage (header, option text, stage text).
// Returns 1 with prog, vert and frag recorded, or 0 after printing the compiler or linker log
// to stdout and deleting what it made (the record stays zero).
int glnvg__createShader(GLNVGshader* shader, const char* name, const char* header,
                        const char* opts, const char* vshader, const char* fshader);

// Prints "Error %08x after <label>" when NVG_DEBUG is set and GL reports an error.
void glnvg__checkError(GLNVGcontext* gl, const char* label);

}  // namespace Orvane::Mosaira::detail
