// The vector-drawing back end's image table: ids, slot reuse, growth, and the GL textures behind
// the ids (creation, update, wrapping, deletion) on llvmpipe.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "tests/nanovg/GlTestContext.h"

namespace Orvane::Mosaira::Testing {
namespace {

using namespace detail;
using namespace gl33core;

// --- Ids and slots, without GL ---

TEST(ImageIds, FreedSlotReusedUnderNewId) {
  BareBackEnd gl;
  for (int i = 1; i <= 4; i++) EXPECT_EQ(glnvg__allocTexture(gl.get())->id, i);
  ASSERT_EQ(glnvg__deleteTexture(gl.get(), 3), 1);
  GLNVGtexture* next = glnvg__allocTexture(gl.get());
  EXPECT_EQ(next->id, 5);
  EXPECT_EQ(next, &gl->textures[2]);
  EXPECT_EQ(gl->ntextures, 4);
  EXPECT_EQ(glnvg__findTexture(gl.get(), 3), nullptr);
}

// Unknown ids, and 0 even when a freed slot holds id 0, find nothing and change nothing.
TEST(ImageIds, UnknownIdsChangeNothing) {
  BareBackEnd gl;
  glnvg__allocTexture(gl.get());
  glnvg__allocTexture(gl.get());
  glnvg__deleteTexture(gl.get(), 1);
  int w = -1, h = -1;
  for (const int id : {9, 0}) {
    EXPECT_EQ(glnvg__findTexture(gl.get(), id), nullptr) << id;
    EXPECT_EQ(glnvg__deleteTexture(gl.get(), id), 0) << id;
    EXPECT_EQ(glnvg__renderGetTextureSize(gl.get(), id, &w, &h), 0) << id;
    EXPECT_EQ(glnvg__renderUpdateTexture(gl.get(), id, 0, 0, 1, 1, nullptr), 0) << id;
  }
  EXPECT_EQ(w, -1);
  EXPECT_EQ(gl->textures[1].id, 2);
}

// --- GL textures ---

class TextureGl : public BackEndTest {
 protected:
  void SetUp() override {
    BackEndTest::SetUp();
    if (!HasFatalFailure()) Make(NVG_ANTIALIAS);
  }
  static GLuint MakeTexture() {
    GLuint tex = 0;
    glGenTextures(1, &tex);
    glBindTexture(GL_TEXTURE_2D, tex);
    glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(GL_RGBA8), 2, 2, 0, GL_RGBA,
                 GL_UNSIGNED_BYTE, nullptr);
    glBindTexture(GL_TEXTURE_2D, 0);
    return tex;
  }
};

TEST_F(TextureGl, UpdateTakesTheRegionOutOfWholeRows) {
  std::vector<unsigned char> pixels(4 * 2 * 4, 0);
  const int image = nvgCreateImageRGBA(vg_, 4, 2, 0, pixels.data());
  ASSERT_NE(image, 0);
  for (size_t i = 0; i < pixels.size(); i++) pixels[i] = static_cast<unsigned char>(i);
  EXPECT_EQ(glnvg__renderUpdateTexture(State(), image, 1, 1, 2, 1, pixels.data()), 1);

  std::vector<unsigned char> back(pixels.size(), 0xee);
  glBindTexture(GL_TEXTURE_2D, glnvg__findTexture(State(), image)->tex);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, back.data());
  glBindTexture(GL_TEXTURE_2D, 0);
  for (int x = 0; x < 4; x++) {
    for (int c = 0; c < 4; c++) {
      const size_t row0 = static_cast<size_t>(x * 4 + c);
      const size_t row1 = static_cast<size_t>(16 + x * 4 + c);
      EXPECT_EQ(back[row0], 0) << x;
      EXPECT_EQ(back[row1], (x == 1 || x == 2) ? pixels[row1] : 0) << x;
    }
  }
  GLint rowLength = -1;
  glGetIntegerv(GL_UNPACK_ROW_LENGTH, &rowLength);
  EXPECT_EQ(rowLength, 0);
}

// Sizes, regions, handles and contexts that cannot be used are refused, and a texture offered for
// wrapping stays its owner's.
TEST_F(TextureGl, UnusableArgumentsRefused) {
  EXPECT_EQ(nvgCreateImageRGBA(vg_, 0, 4, 0, nullptr), 0);
  EXPECT_EQ(nvgCreateImageRGBA(vg_, 4, -1, 0, nullptr), 0);
  std::vector<unsigned char> pixels(4 * 2 * 4, 0);
  const int image = nvgCreateImageRGBA(vg_, 4, 2, 0, pixels.data());
  EXPECT_EQ(glnvg__renderUpdateTexture(State(), image, 3, 0, 2, 1, pixels.data()), 0);
  EXPECT_EQ(glnvg__renderUpdateTexture(State(), image, 0, 1, 1, 2, pixels.data()), 0);
  EXPECT_EQ(glnvg__renderUpdateTexture(State(), image, -1, 0, 1, 1, pixels.data()), 0);
  EXPECT_EQ(glnvg__renderUpdateTexture(State(), image, 0, 0, 1, 1, nullptr), 0);
  const GLuint tex = MakeTexture();
  EXPECT_EQ(nvglCreateImageFromHandleGL3(nullptr, tex, 2, 2, 0), 0);
  EXPECT_EQ(nvglCreateImageFromHandleGL3(vg_, 0, 2, 2, 0), 0);
  EXPECT_EQ(nvglCreateImageFromHandleGL3(vg_, tex, -1, 2, 0), 0);
  EXPECT_EQ(glIsTexture(tex), GL_TRUE);
  glDeleteTextures(1, &tex);
}

// The back end owns a wrapped texture unless told not to: deleting the image, or the back end with
// the texture still wrapped, deletes it.
TEST_F(TextureGl, WrappedTextureDeletedWithItsImageOrBackEndUnlessNoDelete) {
  for (const int flags : {0, int(NVG_IMAGE_NODELETE)}) {
    if (vg_ == nullptr) Make(NVG_ANTIALIAS);
    const bool nodelete = flags != 0;
    const GLboolean kept = nodelete ? GL_TRUE : GL_FALSE;
    const GLuint tex = MakeTexture();
    const int image = nvglCreateImageFromHandleGL3(vg_, tex, 2, 2, flags);
    ASSERT_GT(image, 1);
    int w = 0, h = 0;
    nvgImageSize(vg_, image, &w, &h);
    EXPECT_EQ(w, 2);
    nvgDeleteImage(vg_, image);
    EXPECT_EQ(glIsTexture(tex), kept) << flags;
    const GLuint wrapped = nodelete ? tex : MakeTexture();
    ASSERT_NE(nvglCreateImageFromHandleGL3(vg_, wrapped, 2, 2, flags), 0);
    nvgDeleteInternal(vg_);
    vg_ = nullptr;
    EXPECT_EQ(glIsTexture(wrapped), kept) << flags;
    if (nodelete) glDeleteTextures(1, &wrapped);
  }
}

}  // namespace
}  // namespace Orvane::Mosaira::Testing
