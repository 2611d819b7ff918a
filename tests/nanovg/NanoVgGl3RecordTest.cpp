// Recording arithmetic of the vector-drawing back end, without OpenGL: block spacing, requests
// the recorder refuses, array growth and paint conversion (what the drawn pixels show is tested on
// llvmpipe).
#include <gtest/gtest.h>

#include <climits>

#include "tests/nanovg/GlTestContext.h"

namespace Orvane::Mosaira::Testing {
namespace {

using namespace detail;

constexpr float kBounds[4] = {10.0f, 20.0f, 110.0f, 220.0f};

void Fill(BareBackEnd& gl, NVGpaint paint, const NVGpath* paths, int npaths) {
  NVGscissor scissor = NoScissor();
  glnvg__renderFill(gl.get(), &paint, SourceOver(), &scissor, 1.0f, kBounds, paths, npaths);
}

// --- Block spacing ---

// A block holds the uniforms (180 bytes) rounded up to the driver's offset alignment; a
// non-positive alignment counts as 4.
TEST(FragSize, RoundsUpToTheAlignment) {
  const int cases[][2] = {{4, 180}, {16, 192}, {64, 192}, {256, 256}, {3, 177}, {0, 180}, {-16, 180}};
  for (const auto& c : cases) EXPECT_EQ(glnvg__fragSizeForAlignment(c[0]), c[1]) << c[0];
}

// --- Fills: requests the recorder refuses ---

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

// --- Paint conversion ---

// Applies the block's mat3 (columns of four floats) to (x, y, 1).
void Apply(const float* m, float x, float y, float* out) {
  out[0] = m[0] * x + m[4] * y + m[8];
  out[1] = m[1] * x + m[5] * y + m[9];
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
