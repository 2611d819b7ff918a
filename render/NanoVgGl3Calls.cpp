// OpenGL 3 back end behind NanoVG: the per-frame arrays, the blend map and the recording of
// fills, strokes and triangle lists. The flush lives in NanoVgGl3Flush.cpp.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "render/NanoVgGl3.h"
#include "render/NanoVgGl3Internal.h"

namespace Orvane::Mosaira::detail {

using namespace gl33core;

namespace {

constexpr int kMinCalls = 128;
constexpr int kMinPaths = 128;
constexpr int kMinVerts = 4096;
constexpr int kMinFragUniforms = 128;
// Stencil strokes discard fragments below 1 - 0.5/255 on their first pass.
constexpr float kStencilStrokeThreshold = 1.0f - 0.5f / 255.0f;

GLNVGcontext* State(void* uptr) { return static_cast<GLNVGcontext*>(uptr); }

// Makes room for n more elements of elemBytes each: the capacity becomes
// max(count + n, minimum) + capacity / 2. Returns false, leaving everything as it was, when
// the request is negative, overflows or cannot be allocated.
bool Reserve(void** array, int* capacity, int count, int n, int minimum, size_t elemBytes) {
  if (n < 0) return false;
  const int64_t needed = static_cast<int64_t>(count) + n;
  if (needed <= *capacity) return true;
  const int64_t wanted = (needed > minimum ? needed : minimum) + *capacity / 2;
  if (wanted > INT32_MAX) return false;
  if (static_cast<uint64_t>(wanted) > SIZE_MAX / elemBytes) return false;
  void* grown = std::realloc(*array, static_cast<size_t>(wanted) * elemBytes);
  if (grown == nullptr) return false;
  *array = grown;
  *capacity = static_cast<int>(wanted);
  return true;
}

// Sum of fill and stroke vertex counts; -1 for a negative count or a sum beyond int.
int MaxVertCount(const NVGpath* paths, int npaths) {
  int64_t count = 0;
  for (int i = 0; i < npaths; i++) {
    if (paths[i].nfill < 0 || paths[i].nstroke < 0) return -1;
    count += static_cast<int64_t>(paths[i].nfill) + paths[i].nstroke;
  }
  return count > INT32_MAX ? -1 : static_cast<int>(count);
}

// A paint naming an image the table does not hold would draw its uniform block half filled,
// which the shader reads as an opaque white gradient: such a call is not queued at all.
bool PaintUsable(GLNVGcontext* gl, const NVGpaint* paint) {
  return paint->image == 0 || glnvg__findTexture(gl, paint->image) != nullptr;
}

// Drops the call just reserved; what was reserved after it stays until the flush or cancel.
void RollBack(GLNVGcontext* gl) {
  if (gl->ncalls > 0) gl->ncalls--;
}

int CopyVerts(GLNVGcontext* gl, int offset, const NVGvertex* src, int n) {
  std::memcpy(&gl->verts[offset], src, sizeof(NVGvertex) * static_cast<size_t>(n));
  return offset + n;
}

// A convex fill's fringe strip runs from the fan's edge (first coordinate 0.5, full coverage) to
// half a pixel outside the shape (1, none). Under multisampling a fringe sample is shaded at its
// pixel's centre, which may lie inside the fan; there the stroke-shaped mask, symmetric about 0.5,
// falls again and took coverage from a pixel the shape covers (a frame on the layer's edge lost
// its outermost pixels' opacity at preview sizes). The ramp goes into the second coordinate
// instead, which the mask holds at 1 inwards; each vertex keeps the coverage it had. A stencilled
// fill's strip is left alone: it reaches a further pixel inwards, and where it folds over the
// outside at a concave corner its inward fade is what keeps that corner's pixels partial.
void FadeFringeOutwards(NVGvertex* verts, int n) {
  for (int i = 0; i < n; i++) {
    verts[i].v *= 2.0f * (1.0f - verts[i].u);
    verts[i].u = 0.5f;
  }
}

// Copies each path's fan and then its fringe strip into the reserved vertices from `offset`,
// recording their runs; returns the next free vertex.
int CopyFillPaths(GLNVGcontext* gl, const GLNVGcall& call, const NVGpath* paths, int offset) {
  for (int i = 0; i < call.pathCount; i++) {
    GLNVGpath* copy = &gl->paths[call.pathOffset + i];
    const NVGpath& path = paths[i];
    std::memset(copy, 0, sizeof(*copy));
    if (path.nfill > 0) {
      copy->fillOffset = offset;
      copy->fillCount = path.nfill;
      offset = CopyVerts(gl, offset, path.fill, path.nfill);
    }
    if (path.nstroke > 0) {
      copy->strokeOffset = offset;
      copy->strokeCount = path.nstroke;
      offset = CopyVerts(gl, offset, path.stroke, path.nstroke);
      if (call.type == GLNVG_CONVEXFILL) FadeFringeOutwards(&gl->verts[copy->strokeOffset], path.nstroke);
    }
  }
  return offset;
}

void WriteCoverQuad(NVGvertex* quad, const float* bounds) {
  quad[0] = NVGvertex{bounds[2], bounds[3], 0.5f, 1.0f};
  quad[1] = NVGvertex{bounds[2], bounds[1], 0.5f, 1.0f};
  quad[2] = NVGvertex{bounds[0], bounds[3], 0.5f, 1.0f};
  quad[3] = NVGvertex{bounds[0], bounds[1], 0.5f, 1.0f};
}

}  // namespace

// --- Reservations ---

GLNVGcall* glnvg__allocCall(GLNVGcontext* gl) {
  void* array = gl->calls;
  if (!Reserve(&array, &gl->ccalls, gl->ncalls, 1, kMinCalls, sizeof(GLNVGcall))) return nullptr;
  gl->calls = static_cast<GLNVGcall*>(array);
  GLNVGcall* call = &gl->calls[gl->ncalls++];
  std::memset(call, 0, sizeof(*call));
  return call;
}

int glnvg__allocPaths(GLNVGcontext* gl, int n) {
  void* array = gl->paths;
  if (!Reserve(&array, &gl->cpaths, gl->npaths, n, kMinPaths, sizeof(GLNVGpath))) return -1;
  gl->paths = static_cast<GLNVGpath*>(array);
  const int first = gl->npaths;
  gl->npaths += n;
  return first;
}

int glnvg__allocVerts(GLNVGcontext* gl, int n) {
  void* array = gl->verts;
  if (!Reserve(&array, &gl->cverts, gl->nverts, n, kMinVerts, sizeof(NVGvertex))) return -1;
  gl->verts = static_cast<NVGvertex*>(array);
  const int first = gl->nverts;
  gl->nverts += n;
  return first;
}

int glnvg__allocFragUniforms(GLNVGcontext* gl, int n) {
  if (gl->fragSize <= 0 || n < 0) return -1;  // no program yet: no block size to count in
  // Calls address their blocks by int byte offsets.
  if ((static_cast<int64_t>(gl->nuniforms) + n) * gl->fragSize > INT32_MAX) return -1;
  void* array = gl->uniforms;
  if (!Reserve(&array, &gl->cuniforms, gl->nuniforms, n, kMinFragUniforms,
               static_cast<size_t>(gl->fragSize))) {
    return -1;
  }
  gl->uniforms = static_cast<unsigned char*>(array);
  const int offset = gl->nuniforms * gl->fragSize;
  gl->nuniforms += n;
  return offset;
}

GLNVGfragUniforms* glnvg__fragUniformPtr(GLNVGcontext* gl, int offset) {
  return reinterpret_cast<GLNVGfragUniforms*>(&gl->uniforms[offset]);
}

// --- Blend map ---

GLenum glnvg_convertBlendFuncFactor(int factor) {
  switch (factor) {
    case NVG_ZERO: return GL_ZERO;
    case NVG_ONE: return GL_ONE;
    case NVG_SRC_COLOR: return GL_SRC_COLOR;
    case NVG_ONE_MINUS_SRC_COLOR: return GL_ONE_MINUS_SRC_COLOR;
    case NVG_DST_COLOR: return GL_DST_COLOR;
    case NVG_ONE_MINUS_DST_COLOR: return GL_ONE_MINUS_DST_COLOR;
    case NVG_SRC_ALPHA: return GL_SRC_ALPHA;
    case NVG_ONE_MINUS_SRC_ALPHA: return GL_ONE_MINUS_SRC_ALPHA;
    case NVG_DST_ALPHA: return GL_DST_ALPHA;
    case NVG_ONE_MINUS_DST_ALPHA: return GL_ONE_MINUS_DST_ALPHA;
    case NVG_SRC_ALPHA_SATURATE: return GL_SRC_ALPHA_SATURATE;
    default: return GL_INVALID_ENUM;
  }
}

GLNVGblend glnvg__blendCompositeOperation(NVGcompositeOperationState op) {
  const GLNVGblend blend{
      glnvg_convertBlendFuncFactor(op.srcRGB), glnvg_convertBlendFuncFactor(op.dstRGB),
      glnvg_convertBlendFuncFactor(op.srcAlpha), glnvg_convertBlendFuncFactor(op.dstAlpha)};
  if (blend.srcRGB == GL_INVALID_ENUM || blend.dstRGB == GL_INVALID_ENUM ||
      blend.srcAlpha == GL_INVALID_ENUM || blend.dstAlpha == GL_INVALID_ENUM) {
    return GLNVGblend{GL_ONE, GL_ONE_MINUS_SRC_ALPHA, GL_ONE, GL_ONE_MINUS_SRC_ALPHA};
  }
  return blend;
}

// --- Recording ---

void glnvg__renderFill(void* uptr, NVGpaint* paint, NVGcompositeOperationState compositeOperation,
                       NVGscissor* scissor, float fringe, const float* bounds,
                       const NVGpath* paths, int npaths) {
  GLNVGcontext* gl = State(uptr);
  if (npaths < 0 || (npaths > 0 && paths == nullptr) || bounds == nullptr) return;
  if (!PaintUsable(gl, paint)) return;
  GLNVGcall* call = glnvg__allocCall(gl);
  if (call == nullptr) return;
  call->type = GLNVG_FILL;
  call->triangleCount = 4;
  call->pathOffset = glnvg__allocPaths(gl, npaths);
  if (call->pathOffset == -1) return RollBack(gl);
  call->pathCount = npaths;
  call->image = paint->image;
  call->blendFunc = glnvg__blendCompositeOperation(compositeOperation);
  if (npaths == 1 && paths[0].convex != 0) {
    call->type = GLNVG_CONVEXFILL;
    call->triangleCount = 0;
  }

  const int maxVerts = MaxVertCount(paths, npaths);
  const bool countable = maxVerts >= 0 && maxVerts <= INT32_MAX - call->triangleCount;
  int offset = countable ? glnvg__allocVerts(gl, maxVerts + call->triangleCount) : -1;
  if (offset == -1) return RollBack(gl);
  offset = CopyFillPaths(gl, *call, paths, offset);

  if (call->type == GLNVG_FILL) {
    call->triangleOffset = offset;
    WriteCoverQuad(&gl->verts[offset], bounds);
    call->uniformOffset = glnvg__allocFragUniforms(gl, 2);
    if (call->uniformOffset == -1) return RollBack(gl);
    GLNVGfragUniforms* stencil = glnvg__fragUniformPtr(gl, call->uniformOffset);
    std::memset(stencil, 0, sizeof(*stencil));
    stencil->strokeThr = -1.0f;
    stencil->type = NSVG_SHADER_SIMPLE;
    glnvg__convertPaint(gl, glnvg__fragUniformPtr(gl, call->uniformOffset + gl->fragSize), paint,
                        scissor, fringe, fringe, -1.0f);
  } else {
    call->uniformOffset = glnvg__allocFragUniforms(gl, 1);
    if (call->uniformOffset == -1) return RollBack(gl);
    glnvg__convertPaint(gl, glnvg__fragUniformPtr(gl, call->uniformOffset), paint, scissor, fringe,
                        fringe, -1.0f);
  }
}

void glnvg__renderStroke(void* uptr, NVGpaint* paint,
                         NVGcompositeOperationState compositeOperation, NVGscissor* scissor,
                         float fringe, float strokeWidth, const NVGpath* paths, int npaths) {
  GLNVGcontext* gl = State(uptr);
  if (npaths < 0 || (npaths > 0 && paths == nullptr) || !PaintUsable(gl, paint)) return;
  GLNVGcall* call = glnvg__allocCall(gl);
  if (call == nullptr) return;
  call->type = GLNVG_STROKE;
  call->pathOffset = glnvg__allocPaths(gl, npaths);
  if (call->pathOffset == -1) return RollBack(gl);
  call->pathCount = npaths;
  call->image = paint->image;
  call->blendFunc = glnvg__blendCompositeOperation(compositeOperation);

  const int maxVerts = MaxVertCount(paths, npaths);
  int offset = maxVerts < 0 ? -1 : glnvg__allocVerts(gl, maxVerts);
  if (offset == -1) return RollBack(gl);
  for (int i = 0; i < npaths; i++) {
    GLNVGpath* copy = &gl->paths[call->pathOffset + i];
    const NVGpath& path = paths[i];
    std::memset(copy, 0, sizeof(*copy));
    if (path.nstroke != 0) {
      copy->strokeOffset = offset;
      copy->strokeCount = path.nstroke;
      offset = CopyVerts(gl, offset, path.stroke, path.nstroke);
    }
  }

  const bool stencilStrokes = (gl->flags & NVG_STENCIL_STROKES) != 0;
  call->uniformOffset = glnvg__allocFragUniforms(gl, stencilStrokes ? 2 : 1);
  if (call->uniformOffset == -1) return RollBack(gl);
  glnvg__convertPaint(gl, glnvg__fragUniformPtr(gl, call->uniformOffset), paint, scissor,
                      strokeWidth, fringe, -1.0f);
  if (stencilStrokes) {
    glnvg__convertPaint(gl, glnvg__fragUniformPtr(gl, call->uniformOffset + gl->fragSize), paint,
                        scissor, strokeWidth, fringe, kStencilStrokeThreshold);
  }
}

void glnvg__renderTriangles(void* uptr, NVGpaint* paint,
                            NVGcompositeOperationState compositeOperation, NVGscissor* scissor,
                            const NVGvertex* verts, int nverts, float /*fringe*/) {
  GLNVGcontext* gl = State(uptr);
  if (nverts < 0 || (nverts > 0 && verts == nullptr) || !PaintUsable(gl, paint)) return;
  GLNVGcall* call = glnvg__allocCall(gl);
  if (call == nullptr) return;
  call->type = GLNVG_TRIANGLES;
  call->image = paint->image;
  call->blendFunc = glnvg__blendCompositeOperation(compositeOperation);
  call->triangleOffset = glnvg__allocVerts(gl, nverts);
  if (call->triangleOffset == -1) return RollBack(gl);
  call->triangleCount = nverts;
  if (nverts > 0) CopyVerts(gl, call->triangleOffset, verts, nverts);

  call->uniformOffset = glnvg__allocFragUniforms(gl, 1);
  if (call->uniformOffset == -1) return RollBack(gl);
  GLNVGfragUniforms* frag = glnvg__fragUniformPtr(gl, call->uniformOffset);
  glnvg__convertPaint(gl, frag, paint, scissor, 1.0f, 1.0f, -1.0f);
  frag->type = NSVG_SHADER_IMG;
}

}  // namespace Orvane::Mosaira::detail
