// Recording arithmetic of the vector-drawing back end, without OpenGL: block spacing, array
// growth, what fills, strokes and triangle lists reserve, the blend map and paint conversion.
#include <gtest/gtest.h>

#include <climits>

#include "tests/nanovg/BareBackEnd.h"

namespace Orvane::Mosaira::Testing {
namespace {

using namespace detail;
using gl33core::GLenum;

constexpr float kBounds[4] = {10.0f, 20.0f, 110.0f, 220.0f};

void Fill(BareBackEnd& gl, NVGpaint paint, const NVGpath* paths, int npaths) {
  NVGscissor scissor = NoScissor();
  glnvg__renderFill(gl.get(), &paint, SourceOver(), &scissor, 1.0f, kBounds, paths, npaths);
}

GLNVGfragUniforms* Block(BareBackEnd& gl, int offset) { return glnvg__fragUniformPtr(gl.get(), offset); }

// --- Block spacing ---

// A block holds the uniforms (180 bytes) rounded up to the driver's offset alignment; a
// non-positive alignment counts as 4.
TEST(FragSize, RoundsUpToTheAlignment) {
  const int cases[][2] = {{4, 180}, {16, 192}, {64, 192}, {256, 256}, {3, 177}, {0, 180}, {-16, 180}};
  for (const auto& c : cases) EXPECT_EQ(glnvg__fragSizeForAlignment(c[0]), c[1]) << c[0];
}

// --- Fills ---

TEST(RecordFill, ConvexSinglePath) {
  BareBackEnd gl;
  TestPath path(10, 22, true);
  Fill(gl, SolidPaint(1, 0, 0, 1), &path.path, 1);
  ASSERT_EQ(gl->ncalls, 1);
  EXPECT_EQ(gl->calls[0].type, GLNVG_CONVEXFILL);
  EXPECT_EQ(gl->nverts, 32);
  EXPECT_EQ(gl->nuniforms, 1);
  EXPECT_EQ(gl->calls[0].triangleCount, 0);
  const GLNVGpath& rec = gl->paths[gl->calls[0].pathOffset];
  EXPECT_EQ(rec.fillOffset, 0);
  EXPECT_EQ(rec.fillCount, 10);
  EXPECT_EQ(rec.strokeOffset, 10);
  EXPECT_EQ(rec.strokeCount, 22);
  EXPECT_EQ(gl->verts[rec.strokeOffset + 5].x, 5.0f);
  EXPECT_EQ(gl->verts[rec.strokeOffset + 5].y, 2.0f);
}

TEST(RecordFill, ConcaveSinglePath) {
  BareBackEnd gl;
  TestPath path(10, 22, false);
  Fill(gl, SolidPaint(1, 0, 0, 1), &path.path, 1);
  ASSERT_EQ(gl->ncalls, 1);
  const GLNVGcall& call = gl->calls[0];
  EXPECT_EQ(call.type, GLNVG_FILL);
  EXPECT_EQ(gl->nverts, 36);
  EXPECT_EQ(gl->nuniforms, 2);
  EXPECT_EQ(call.triangleOffset, 32);
  EXPECT_EQ(call.triangleCount, 4);
  // The first block only marks the stencil; the second carries the paint.
  EXPECT_EQ(Block(gl, call.uniformOffset)->type, NSVG_SHADER_SIMPLE);
  EXPECT_EQ(Block(gl, call.uniformOffset)->strokeThr, -1.0f);
  EXPECT_EQ(Block(gl, call.uniformOffset + gl->fragSize)->type, NSVG_SHADER_FILLGRAD);
  EXPECT_EQ(Block(gl, call.uniformOffset + gl->fragSize)->innerCol.r, 1.0f);
}

TEST(RecordFill, TwoConvexPathsUseTheStencil) {
  BareBackEnd gl;
  TestPath a(10, 22, true);
  TestPath b(6, 14, true);
  const NVGpath paths[2] = {a.path, b.path};
  Fill(gl, SolidPaint(1, 1, 1, 1), paths, 2);
  ASSERT_EQ(gl->ncalls, 1);
  EXPECT_EQ(gl->calls[0].type, GLNVG_FILL);
  EXPECT_EQ(gl->nverts, 10 + 22 + 6 + 14 + 4);
  EXPECT_EQ(gl->nuniforms, 2);
  const GLNVGpath& second = gl->paths[gl->calls[0].pathOffset + 1];
  EXPECT_EQ(second.fillOffset, 32);
  EXPECT_EQ(second.strokeOffset, 38);
}

TEST(RecordFill, SecondStencilFillBlocksFollowTheFirst) {
  BareBackEnd gl(NVG_ANTIALIAS, 256);
  TestPath path(5, 0, false);
  Fill(gl, SolidPaint(1, 1, 1, 1), &path.path, 1);
  Fill(gl, SolidPaint(1, 1, 1, 1), &path.path, 1);
  ASSERT_EQ(gl->ncalls, 2);
  EXPECT_EQ(gl->calls[0].uniformOffset, 0);
  EXPECT_EQ(gl->calls[1].uniformOffset, 512);
  EXPECT_EQ(gl->nuniforms, 4);
}

TEST(RecordFill, UnknownImageIsNotQueued) {
  BareBackEnd gl;
  TestPath path(10, 22, true);
  NVGpaint paint = SolidPaint(1, 1, 1, 1);
  paint.image = 7;
  Fill(gl, paint, &path.path, 1);
  EXPECT_EQ(gl->ncalls, 0);
  EXPECT_EQ(gl->nverts, 0);
}

TEST(RecordFill, NegativeCountsAreIgnored) {
  BareBackEnd gl;
  TestPath path(10, 22, true);
  Fill(gl, SolidPaint(1, 1, 1, 1), &path.path, -1);
  EXPECT_EQ(gl->ncalls, 0);
  path.path.nstroke = -5;
  Fill(gl, SolidPaint(1, 1, 1, 1), &path.path, 1);
  EXPECT_EQ(gl->ncalls, 0);
}

TEST(RecordFill, FailedBlockReservationDropsTheCall) {
  BareBackEnd gl(NVG_ANTIALIAS, 0);  // no block size: block reservations fail
  TestPath path(10, 22, true);
  Fill(gl, SolidPaint(1, 1, 1, 1), &path.path, 1);
  EXPECT_EQ(gl->ncalls, 0);
  // What was reserved before the failure stays until the flush or cancel.
  EXPECT_EQ(gl->nverts, 32);
  glnvg__renderCancel(gl.get());
  EXPECT_EQ(gl->nverts, 0);
  EXPECT_EQ(gl->npaths, 0);
}

// --- Strokes and triangles ---

// A plain stroke takes one block; a stencil stroke a first block that only marks the stencil and
// a second one that cuts off the anti-aliased fringe.
TEST(RecordStroke, BlocksByStencilFlag) {
  for (const bool stencil : {false, true}) {
    BareBackEnd gl(NVG_ANTIALIAS | (stencil ? NVG_STENCIL_STROKES : 0));
    TestPath path(10, 22, false);
    NVGpaint paint = SolidPaint(0, 1, 0, 1);
    NVGscissor scissor = NoScissor();
    glnvg__renderStroke(gl.get(), &paint, SourceOver(), &scissor, 1.0f, 3.0f, &path.path, 1);
    ASSERT_EQ(gl->ncalls, 1);
    EXPECT_EQ(gl->calls[0].type, GLNVG_STROKE);
    EXPECT_EQ(gl->paths[0].fillCount, 0);
    EXPECT_EQ(gl->paths[0].strokeCount, 22);
    EXPECT_FLOAT_EQ(Block(gl, 0)->strokeMult, 2.0f);  // (3 * 0.5 + 0.5) / 1
    EXPECT_EQ(gl->nuniforms, stencil ? 2 : 1);
    if (stencil) {
      EXPECT_EQ(Block(gl, 0)->strokeThr, -1.0f);
      EXPECT_FLOAT_EQ(Block(gl, gl->fragSize)->strokeThr, 1.0f - 0.5f / 255.0f);
    }
  }
}

// --- Growth of the per-frame arrays ---

TEST(ReserveGrowth, NegativeOrHugeRequestsFail) {
  BareBackEnd gl;
  EXPECT_EQ(glnvg__allocVerts(gl.get(), -1), -1);
  ASSERT_EQ(glnvg__allocVerts(gl.get(), 10), 0);
  EXPECT_EQ(glnvg__allocVerts(gl.get(), INT_MAX), -1);
  EXPECT_EQ(gl->nverts, 10);
  EXPECT_EQ(glnvg__allocFragUniforms(gl.get(), INT_MAX / 2), -1);
  EXPECT_EQ(gl->nuniforms, 0);
}

// --- Blend map ---

TEST(BlendMap, EachFactorMappedUnknownGivesPremultipliedSourceOver) {
  GLNVGblend blend =
      glnvg__blendCompositeOperation({NVG_SRC_ALPHA, NVG_ZERO, NVG_DST_COLOR, NVG_ONE});
  EXPECT_EQ(blend.srcRGB, GLenum::GL_SRC_ALPHA);
  EXPECT_EQ(blend.dstRGB, GLenum::GL_ZERO);
  EXPECT_EQ(blend.srcAlpha, GLenum::GL_DST_COLOR);
  EXPECT_EQ(blend.dstAlpha, GLenum::GL_ONE);
  blend = glnvg__blendCompositeOperation({0, NVG_ONE, NVG_ONE, NVG_ONE});
  EXPECT_EQ(blend.srcRGB, GLenum::GL_ONE);
  EXPECT_EQ(blend.dstRGB, GLenum::GL_ONE_MINUS_SRC_ALPHA);
  EXPECT_EQ(blend.srcAlpha, GLenum::GL_ONE);
  EXPECT_EQ(blend.dstAlpha, GLenum::GL_ONE_MINUS_SRC_ALPHA);
}

// --- Paint conversion ---

// Applies the block's mat3 (columns of four floats) to (x, y, 1).
void Apply(const float* m, float x, float y, float* out) {
  out[0] = m[0] * x + m[4] * y + m[8];
  out[1] = m[1] * x + m[5] * y + m[9];
}

TEST(ConvertPaint, ColoursArePremultiplied) {
  BareBackEnd gl;
  GLNVGfragUniforms frag;
  NVGpaint paint = SolidPaint(1.0f, 0.5f, 0.25f, 0.5f);
  NVGscissor scissor = NoScissor();
  EXPECT_EQ(glnvg__convertPaint(gl.get(), &frag, &paint, &scissor, 1, 1, -1), 1);
  EXPECT_FLOAT_EQ(frag.innerCol.r, 0.5f);
  EXPECT_FLOAT_EQ(frag.innerCol.g, 0.25f);
  EXPECT_FLOAT_EQ(frag.innerCol.b, 0.125f);
  EXPECT_FLOAT_EQ(frag.innerCol.a, 0.5f);
  EXPECT_EQ(frag.scissorExt[0], 1.0f);
  EXPECT_EQ(frag.scissorScale[1], 1.0f);
  EXPECT_EQ(frag.scissorMat[0], 0.0f);
}

TEST(ConvertPaint, ScissorIsInvertedAndScaled) {
  BareBackEnd gl;
  GLNVGfragUniforms frag;
  NVGpaint paint = SolidPaint(1, 1, 1, 1);
  NVGscissor scissor{{2, 0, 0, 2, 40, 50}, {8, 6}};
  glnvg__convertPaint(gl.get(), &frag, &paint, &scissor, 1, 0.5f, -1);
  float p[2];
  Apply(frag.scissorMat, 44, 56, p);  // the scissor centre moved by (2, 3) in its own units
  EXPECT_FLOAT_EQ(p[0], 2.0f);
  EXPECT_FLOAT_EQ(p[1], 3.0f);
  EXPECT_FLOAT_EQ(frag.scissorScale[0], 4.0f);
  EXPECT_EQ(frag.scissorExt[1], 6.0f);
}

TEST(ConvertPaint, ImagePaintTypesByFlags) {
  BareBackEnd gl;
  GLNVGtexture* rgba = glnvg__allocTexture(gl.get());
  rgba->type = NVG_TEXTURE_RGBA;
  GLNVGtexture* premul = glnvg__allocTexture(gl.get());
  premul->type = NVG_TEXTURE_RGBA;
  premul->flags = NVG_IMAGE_PREMULTIPLIED;
  GLNVGtexture* alpha = glnvg__allocTexture(gl.get());
  alpha->type = NVG_TEXTURE_ALPHA;
  const int want[3] = {1, 0, 2};
  for (int id = 1; id <= 3; id++) {
    GLNVGfragUniforms frag;
    NVGpaint paint = SolidPaint(1, 1, 1, 1);
    paint.image = id;
    NVGscissor scissor = NoScissor();
    EXPECT_EQ(glnvg__convertPaint(gl.get(), &frag, &paint, &scissor, 1, 1, -1), 1);
    EXPECT_EQ(frag.type, NSVG_SHADER_FILLIMG);
    EXPECT_EQ(frag.texType, want[id - 1]) << id;
  }
}

// The paint matrix maps view points into the pattern placed at (30, 40), extent 10 x 20; a
// flipped image is mirrored within that extent.
TEST(ConvertPaint, ImagePatternMapsThePaintTransform) {
  for (const int flags : {0, int(NVG_IMAGE_FLIPY)}) {
    BareBackEnd gl;
    GLNVGtexture* tex = glnvg__allocTexture(gl.get());
    tex->type = NVG_TEXTURE_RGBA;
    tex->flags = flags;
    NVGpaint paint = SolidPaint(1, 1, 1, 1);
    paint.image = tex->id;
    paint.xform[4] = 30;
    paint.xform[5] = 40;
    paint.extent[0] = 10;
    paint.extent[1] = 20;
    GLNVGfragUniforms frag;
    NVGscissor scissor = NoScissor();
    glnvg__convertPaint(gl.get(), &frag, &paint, &scissor, 1, 1, -1);
    float p[2];
    Apply(frag.paintMat, 33, 45, p);
    EXPECT_FLOAT_EQ(p[0], 3.0f) << flags;
    EXPECT_FLOAT_EQ(p[1], flags == 0 ? 5.0f : 15.0f) << flags;
    EXPECT_EQ(frag.extent[1], 20.0f);
  }
}

}  // namespace
}  // namespace Orvane::Mosaira::Testing
