// OpenGL 3 back end behind NanoVG: recording of fills, strokes and triangle lists, the blend
// map, and the flush that uploads a frame's vertices and uniform blocks once and draws every
// call with a small cache of GL state.
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

void WriteCoverQuad(NVGvertex* quad, const float* bounds) {
  quad[0] = NVGvertex{bounds[2], bounds[3], 0.5f, 1.0f};
  quad[1] = NVGvertex{bounds[2], bounds[1], 0.5f, 1.0f};
  quad[2] = NVGvertex{bounds[0], bounds[3], 0.5f, 1.0f};
  quad[3] = NVGvertex{bounds[0], bounds[1], 0.5f, 1.0f};
}

// --- Filtered GL state ---

void SetStencilMask(GLNVGcontext* gl, GLuint mask) {
  if (gl->stencilMask == mask) return;
  gl->stencilMask = mask;
  glStencilMask(mask);
}

void SetStencilFunc(GLNVGcontext* gl, GLenum func, GLint ref, GLuint mask) {
  if (gl->stencilFunc == func && gl->stencilFuncRef == ref && gl->stencilFuncMask == mask) return;
  gl->stencilFunc = func;
  gl->stencilFuncRef = ref;
  gl->stencilFuncMask = mask;
  glStencilFunc(func, ref, mask);
}

void SetBlend(GLNVGcontext* gl, const GLNVGblend& blend) {
  const GLNVGblend& c = gl->blendFunc;
  if (c.srcRGB == blend.srcRGB && c.dstRGB == blend.dstRGB && c.srcAlpha == blend.srcAlpha &&
      c.dstAlpha == blend.dstAlpha) {
    return;
  }
  gl->blendFunc = blend;
  glBlendFuncSeparate(blend.srcRGB, blend.dstRGB, blend.srcAlpha, blend.dstAlpha);
}

void SetUniforms(GLNVGcontext* gl, int uniformOffset, int image) {
  glBindBufferRange(GL_UNIFORM_BUFFER, 0, gl->fragBuf, uniformOffset, kFragUniformBytes);
  if (image == 0) {
    glnvg__bindTexture(gl, 0);
    return;
  }
  const GLNVGtexture* tex = glnvg__findTexture(gl, image);
  glnvg__bindTexture(gl, tex != nullptr ? tex->tex : 0);
  glnvg__checkError(gl, "tex paint tex");
}

GLNVGpath* CallPaths(GLNVGcontext* gl, const GLNVGcall& call) { return &gl->paths[call.pathOffset]; }

void DrawStrips(GLNVGcontext* gl, const GLNVGcall& call) {
  const GLNVGpath* paths = CallPaths(gl, call);
  for (int i = 0; i < call.pathCount; i++) {
    glDrawArrays(GL_TRIANGLE_STRIP, paths[i].strokeOffset, paths[i].strokeCount);
  }
}

// --- Drawing one call ---

void DrawFill(GLNVGcontext* gl, const GLNVGcall& call) {
  const GLNVGpath* paths = CallPaths(gl, call);
  // Winding counts into the stencil, colour writes off.
  glEnable(GL_STENCIL_TEST);
  SetStencilMask(gl, 0xff);
  SetStencilFunc(gl, GL_ALWAYS, 0, 0xff);
  glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
  SetUniforms(gl, call.uniformOffset, 0);
  glnvg__checkError(gl, "fill simple");
  glStencilOpSeparate(GL_FRONT, GL_KEEP, GL_KEEP, GL_INCR_WRAP);
  glStencilOpSeparate(GL_BACK, GL_KEEP, GL_KEEP, GL_DECR_WRAP);
  glDisable(GL_CULL_FACE);
  for (int i = 0; i < call.pathCount; i++) {
    glDrawArrays(GL_TRIANGLE_FAN, paths[i].fillOffset, paths[i].fillCount);
  }
  glEnable(GL_CULL_FACE);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);

  SetUniforms(gl, call.uniformOffset + gl->fragSize, call.image);
  glnvg__checkError(gl, "fill fill");
  if ((gl->flags & NVG_ANTIALIAS) != 0) {
    // Fringes only outside the shape, where the winding count is 0.
    SetStencilFunc(gl, GL_EQUAL, 0, 0xff);
    glStencilOp(GL_KEEP, GL_KEEP, GL_KEEP);
    DrawStrips(gl, call);
  }
  // The cover quad paints every non-zero pixel and clears the stencil behind it.
  SetStencilFunc(gl, GL_NOTEQUAL, 0, 0xff);
  glStencilOp(GL_ZERO, GL_ZERO, GL_ZERO);
  glDrawArrays(GL_TRIANGLE_STRIP, call.triangleOffset, call.triangleCount);
  glDisable(GL_STENCIL_TEST);
}

void DrawConvexFill(GLNVGcontext* gl, const GLNVGcall& call) {
  const GLNVGpath* paths = CallPaths(gl, call);
  SetUniforms(gl, call.uniformOffset, call.image);
  glnvg__checkError(gl, "convex fill");
  for (int i = 0; i < call.pathCount; i++) {
    glDrawArrays(GL_TRIANGLE_FAN, paths[i].fillOffset, paths[i].fillCount);
    if (paths[i].strokeCount > 0) {
      glDrawArrays(GL_TRIANGLE_STRIP, paths[i].strokeOffset, paths[i].strokeCount);
    }
  }
}

void DrawStencilStroke(GLNVGcontext* gl, const GLNVGcall& call) {
  glEnable(GL_STENCIL_TEST);
  SetStencilMask(gl, 0xff);
  // The solid part first, marking what it covered.
  SetStencilFunc(gl, GL_EQUAL, 0, 0xff);
  glStencilOp(GL_KEEP, GL_KEEP, GL_INCR);
  SetUniforms(gl, call.uniformOffset + gl->fragSize, call.image);
  glnvg__checkError(gl, "stroke fill 0");
  DrawStrips(gl, call);
  // Then the anti-aliased edge where nothing was drawn yet.
  SetUniforms(gl, call.uniformOffset, call.image);
  SetStencilFunc(gl, GL_EQUAL, 0, 0xff);
  glStencilOp(GL_KEEP, GL_KEEP, GL_KEEP);
  DrawStrips(gl, call);
  // Clear the stencil again.
  glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
  SetStencilFunc(gl, GL_ALWAYS, 0, 0xff);
  glStencilOp(GL_ZERO, GL_ZERO, GL_ZERO);
  glnvg__checkError(gl, "stroke fill 1");
  DrawStrips(gl, call);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  glDisable(GL_STENCIL_TEST);
}

void DrawStroke(GLNVGcontext* gl, const GLNVGcall& call) {
  if ((gl->flags & NVG_STENCIL_STROKES) != 0) {
    DrawStencilStroke(gl, call);
    return;
  }
  SetUniforms(gl, call.uniformOffset, call.image);
  glnvg__checkError(gl, "stroke fill");
  DrawStrips(gl, call);
}

void DrawTriangles(GLNVGcontext* gl, const GLNVGcall& call) {
  SetUniforms(gl, call.uniformOffset, call.image);
  glnvg__checkError(gl, "triangles fill");
  glDrawArrays(GL_TRIANGLES, call.triangleOffset, call.triangleCount);
}

void DrawCall(GLNVGcontext* gl, const GLNVGcall& call) {
  switch (call.type) {
    case GLNVG_FILL: DrawFill(gl, call); break;
    case GLNVG_CONVEXFILL: DrawConvexFill(gl, call); break;
    case GLNVG_STROKE: DrawStroke(gl, call); break;
    case GLNVG_TRIANGLES: DrawTriangles(gl, call); break;
    default: break;
  }
}

void ResetCounts(GLNVGcontext* gl) {
  gl->nverts = 0;
  gl->npaths = 0;
  gl->ncalls = 0;
  gl->nuniforms = 0;
}

// Fixed state of every flush, and the cache set to match it.
void BeginFlushState(GLNVGcontext* gl) {
  glUseProgram(gl->shader.prog);
  glEnable(GL_CULL_FACE);
  glCullFace(GL_BACK);
  glFrontFace(GL_CCW);
  glEnable(GL_BLEND);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_SCISSOR_TEST);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  glStencilMask(0xffffffff);
  glStencilOp(GL_KEEP, GL_KEEP, GL_KEEP);
  glStencilFunc(GL_ALWAYS, 0, 0xffffffff);
  glActiveTexture(GL_TEXTURE0);
  glBindTexture(GL_TEXTURE_2D, 0);
  gl->boundTexture = 0;
  gl->stencilMask = 0xffffffff;
  gl->stencilFunc = GL_ALWAYS;
  gl->stencilFuncRef = 0;
  gl->stencilFuncMask = 0xffffffff;
  gl->blendFunc = GLNVGblend{GL_INVALID_ENUM, GL_INVALID_ENUM, GL_INVALID_ENUM, GL_INVALID_ENUM};
}

// One upload of all blocks and all vertices. The vertex array object is made here, in the
// context current now: those objects are not shared between contexts.
void UploadFrame(GLNVGcontext* gl) {
  glBindBuffer(GL_UNIFORM_BUFFER, gl->fragBuf);
  glBufferData(GL_UNIFORM_BUFFER, static_cast<GLsizeiptr>(gl->nuniforms) * gl->fragSize,
               gl->uniforms, GL_STREAM_DRAW);
  glGenVertexArrays(1, &gl->vertArr);
  glBindVertexArray(gl->vertArr);
  glBindBuffer(GL_ARRAY_BUFFER, gl->vertBuf);
  glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(gl->nverts) * sizeof(NVGvertex),
               gl->verts, GL_STREAM_DRAW);
  glEnableVertexAttribArray(0);
  glEnableVertexAttribArray(1);
  glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, sizeof(NVGvertex), nullptr);
  glVertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, sizeof(NVGvertex),
                        reinterpret_cast<const void*>(2 * sizeof(float)));
  glUniform1i(gl->shader.loc[GLNVG_LOC_TEX], 0);
  glUniform2fv(gl->shader.loc[GLNVG_LOC_VIEWSIZE], 1, gl->view);
  glBindBuffer(GL_UNIFORM_BUFFER, gl->fragBuf);
}

void EndFlushState(GLNVGcontext* gl) {
  glDisableVertexAttribArray(0);
  glDisableVertexAttribArray(1);
  glBindVertexArray(0);
  glDeleteVertexArrays(1, &gl->vertArr);
  gl->vertArr = 0;
  glDisable(GL_CULL_FACE);
  glBindBuffer(GL_ARRAY_BUFFER, 0);
  glUseProgram(0);
  glnvg__bindTexture(gl, 0);
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
  int offset = maxVerts < 0 ? -1 : glnvg__allocVerts(gl, maxVerts + call->triangleCount);
  if (offset == -1) return RollBack(gl);
  for (int i = 0; i < npaths; i++) {
    GLNVGpath* copy = &gl->paths[call->pathOffset + i];
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
    }
  }

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

void glnvg__renderCancel(void* uptr) { ResetCounts(State(uptr)); }

void glnvg__renderFlush(void* uptr) {
  GLNVGcontext* gl = State(uptr);
  if (gl->ncalls > 0) {
    BeginFlushState(gl);
    UploadFrame(gl);
    for (int i = 0; i < gl->ncalls; i++) {
      const GLNVGcall& call = gl->calls[i];
      SetBlend(gl, call.blendFunc);
      DrawCall(gl, call);
    }
    EndFlushState(gl);
  }
  ResetCounts(gl);
}

}  // namespace Orvane::Mosaira::detail
