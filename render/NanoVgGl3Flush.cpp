// OpenGL 3 back end behind NanoVG: the flush, which uploads a frame's vertices and uniform
// blocks once and draws every queued call in order, with a small cache of GL state; and the
// cancel, which drops the queue.
#include <cstddef>

#include "render/NanoVgGl3.h"
#include "render/NanoVgGl3Internal.h"

namespace Orvane::Mosaira::detail {

using namespace gl33core;

namespace {

GLNVGcontext* State(void* uptr) { return static_cast<GLNVGcontext*>(uptr); }

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
