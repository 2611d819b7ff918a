#include <gmock/gmock.h>

#include "FakeHost.h"
#include "GlTestSupport.h"
#include "render/PixelTransfer.h"

using namespace gl33core;

namespace Orvane::Mosaira {
namespace {

using ::testing::Each;
using ::testing::ElementsAre;
using ::testing::FloatNear;
using Testing::FakeHost;
using Testing::ReadTarget;
using Testing::TestWorld;

constexpr int kPad = 12;  // bytes of padding after every row
constexpr unsigned char kPadByte = 0xAB;

bool PaddingUntouched(TestWorld& world, int bytesPerPixel) {
  for (A_long y = 0; y < world.world.height; ++y) {
    const unsigned char* row = world.Row<unsigned char>(y);
    for (int i = 0; i < kPad; ++i) {
      if (row[world.world.width * bytesPerPixel + i] != kPadByte) return false;
    }
  }
  return true;
}

class PixelTransfer : public Testing::RenderSession {
 protected:
  void TearDown() override {
    EXPECT_EQ(host.suitesHeld, 0);
    EXPECT_EQ(host.handlesLive, 0);
    EXPECT_EQ(host.locksHeld, 0);
    Testing::RenderSession::TearDown();
  }
  FakeHost host;
};

// Padded rows, whether or not their length is a whole number of pixels (or of 16-bit channels),
// come up without shear.
TEST_F(PixelTransfer, PaddedRowsUploadWithoutShear) {
  const int cases[][2] = {{4, kPad}, {4, 3}, {8, 3}};  // bytes per pixel, padding bytes
  for (const auto& [bytesPerPixel, pad] : cases) {
    TestWorld layer(3, 3, bytesPerPixel, pad);
    const int channels = 12;
    for (A_long y = 0; y < 3; ++y) {
      auto* row = layer.Row<unsigned char>(y);
      for (int i = 0; i < channels; ++i) {
        const int value = y * 60 + i * 4 + 1;
        if (bytesPerPixel == 4) {
          row[i] = static_cast<unsigned char>(value);
        } else {
          const A_u_short wide = static_cast<A_u_short>(value * 128);
          std::memcpy(row + i * 2, &wide, 2);
        }
      }
    }
    const PF_PixelFormat format = bytesPerPixel == 4 ? PF_PixelFormat_ARGB32 : PF_PixelFormat_ARGB64;
    const GLuint texture = UploadLayerTexture(format, &layer.world, &host.in_data);
    ReadTarget target(texture);
    const std::vector<float> texels = Testing::ReadFloatPixels(3, 3);
    const float white = bytesPerPixel == 4 ? 255.0f : 65535.0f / 128.0f;  // 16-bit: value * 128 / 65535
    for (int y = 0; y < 3; ++y) {
      for (int i = 0; i < channels; ++i) {
        EXPECT_NEAR(texels[y * channels + i], (y * 60 + i * 4 + 1) / white, 1e-6)
            << bytesPerPixel << "/" << pad << ": " << y << "," << i;
      }
    }
    glDeleteTextures(1, &texture);
  }
}

// A layer wider than the driver's largest texture goes up reduced by a whole factor, whole: both
// of its ends arrive, at every depth.
TEST_F(PixelTransfer, LayerBeyondTheLargestTextureGoesUpReduced) {
  GLint most = 0;
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &most);
  const A_long width = most + 8;
  for (const int bytesPerPixel : {4, 8, 16}) {
    TestWorld layer(width, 2, bytesPerPixel, kPad);
    for (A_long y = 0; y < 2; ++y) {
      for (A_long x = 0; x < width; ++x) {
        const bool left = x < width / 2;
        const float argb[4] = {1.0f, left ? 1.0f : 0.0f, 0.0f, left ? 0.0f : 0.5f};
        for (int c = 0; c < 4; ++c) {
          if (bytesPerPixel == 4) layer.Row<unsigned char>(y)[x * 4 + c] = static_cast<unsigned char>(argb[c] * 255);
          if (bytesPerPixel == 8) layer.Row<A_u_short>(y)[x * 4 + c] = static_cast<A_u_short>(argb[c] * 32768);
          if (bytesPerPixel == 16) layer.Row<float>(y)[x * 4 + c] = argb[c];
        }
      }
    }
    const PF_PixelFormat format = bytesPerPixel == 4   ? PF_PixelFormat_ARGB32
                                  : bytesPerPixel == 8 ? PF_PixelFormat_ARGB64
                                                       : PF_PixelFormat_ARGB128;
    const GLuint texture = UploadLayerTexture(format, &layer.world, &host.in_data);
    GLint texWidth = 0;
    GLint texHeight = 0;
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &texWidth);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &texHeight);
    glBindTexture(GL_TEXTURE_2D, 0);
    ASSERT_GT(texWidth, 0) << bytesPerPixel;
    EXPECT_LE(texWidth, most);
    EXPECT_EQ(texHeight, 1);
    ReadTarget target(texture);
    const std::vector<float> texels = Testing::ReadFloatPixels(texWidth, 1);
    const std::size_t last = static_cast<std::size_t>(texWidth - 1) * 4;
    const float k = bytesPerPixel == 8 ? 32768.0f / 65535.0f : 1.0f;  // a 16-bit texture's scale
    EXPECT_THAT(std::vector<float>(texels.begin(), texels.begin() + 4),
                ElementsAre(FloatNear(k, 0.01f), FloatNear(k, 0.01f), FloatNear(0.0f, 0.01f),
                            FloatNear(0.0f, 0.01f)))
        << bytesPerPixel;
    EXPECT_THAT(std::vector<float>(texels.begin() + last, texels.begin() + last + 4),
                ElementsAre(FloatNear(k, 0.01f), FloatNear(0.0f, 0.01f), FloatNear(0.0f, 0.01f),
                            FloatNear(0.5f * k, 0.01f)))
        << bytesPerPixel;
    glDeleteTextures(1, &texture);
  }
}

TEST_F(PixelTransfer, UploadLeavesNoRowLengthAndNoTextureBound) {
  TestWorld layer(2, 2, 4, kPad);
  glActiveTexture(GL_TEXTURE0);
  const GLuint texture = UploadLayerTexture(PF_PixelFormat_ARGB32, &layer.world, &host.in_data);
  GLint rowLength = -1;
  GLint bound = -1;
  glGetIntegerv(GL_UNPACK_ROW_LENGTH, &rowLength);
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  EXPECT_EQ(rowLength, 0);
  EXPECT_EQ(bound, 0);
  glDeleteTextures(1, &texture);
}

// 16-bit channels go up as they stand into 16-bit storage: white (32768) samples as 32768/65535,
// and scaled by kMultiplier16Bit is 1.0.
TEST_F(PixelTransfer, SixteenBitWhiteScalesToOne) {
  TestWorld layer(2, 1, 8, kPad);
  for (int i = 0; i < 8; ++i) layer.Row<A_u_short>(0)[i] = i < 4 ? 32768 : 16384;
  const GLuint texture = UploadLayerTexture(PF_PixelFormat_ARGB64, &layer.world, &host.in_data);
  ReadTarget target(texture);
  std::vector<float> texels = Testing::ReadFloatPixels(2, 1);
  for (float& t : texels) t *= kMultiplier16Bit;
  EXPECT_THAT(texels, ElementsAre(1.0f, 1.0f, 1.0f, 1.0f, 0.5f, 0.5f, 0.5f, 0.5f));
  glDeleteTextures(1, &texture);
}

TEST_F(PixelTransfer, FloatLayerPacksPixelTwoOneAtIndexFive) {
  TestWorld layer(3, 2, 16, kPad);
  for (A_long y = 0; y < 2; ++y) {
    for (A_long x = 0; x < 3; ++x) layer.Row<PF_PixelFloat>(y)[x] = {float(x), float(y), 2.5f, -1.0f};
  }
  const GLuint texture = UploadLayerTexture(PF_PixelFormat_ARGB128, &layer.world, &host.in_data);
  ReadTarget target(texture);
  const std::vector<float> texels = Testing::ReadFloatPixels(3, 2);
  EXPECT_THAT(std::vector<float>(texels.begin() + 20, texels.begin() + 24), ElementsAre(2.0f, 1.0f, 2.5f, -1.0f));
  glDeleteTextures(1, &texture);
}

class UnknownFormat : public PixelTransfer {};

TEST_F(UnknownFormat, UploadFailsBeforeTouchingHost) {
  TestWorld layer(2, 2, 4, kPad);
  try {
    UploadLayerTexture(PF_PixelFormat_INVALID, &layer.world, &host.in_data);
    ADD_FAILURE() << "no error";
  } catch (PF_Err err) {
    EXPECT_EQ(err, PF_Err_BAD_CALLBACK_PARAM);
  }
  EXPECT_EQ(host.handlesMade, 0);
}

TEST_F(UnknownFormat, DownloadFailsBeforeWritingHostMemory) {
  TestWorld output(2, 2, 4, kPad, kPadByte);
  ReadTarget target(2, 2);
  for (PF_PixelFormat code : std::vector<PF_PixelFormat>{PF_PixelFormat_INVALID, 0, 0x63677261}) {
    try {
      DownloadOutputWorld(2, 2, &output.world, &host.in_data, code, 4, GL_UNSIGNED_BYTE);
      ADD_FAILURE() << "no error";
    } catch (PF_Err err) {
      EXPECT_EQ(err, PF_Err_BAD_CALLBACK_PARAM);
    }
  }
  EXPECT_EQ(host.handlesMade, 0);
  EXPECT_THAT(output.storage, Each(kPadByte));
}

// Each failure of the host on the way down is reported with its own code, and the host's books
// stay balanced (checked in TearDown).
TEST_F(PixelTransfer, DownloadFailuresAreReported) {
  struct Case {
    const char* name;
    void (*fault)(FakeHost&);
    PF_Err wanted;
    PF_PixelFormat code;
    int bytes;
    GLenum type;
  };
  const Case cases[] = {
      {"no handle suite", [](FakeHost& h) { h.missingSuites.insert(kPFHandleSuite); }, 13,
       PF_PixelFormat_ARGB32, 4, GL_UNSIGNED_BYTE},
      {"no handle", [](FakeHost& h) { h.failNewHandle = true; }, PF_Err_OUT_OF_MEMORY,
       PF_PixelFormat_ARGB32, 4, GL_UNSIGNED_BYTE},
      {"unlockable handle", [](FakeHost& h) { h.failLock = true; }, PF_Err_OUT_OF_MEMORY,
       PF_PixelFormat_ARGB64, 8, GL_UNSIGNED_SHORT},
      {"float handle", [](FakeHost& h) { h.failNewHandle = true; }, PF_Err_OUT_OF_MEMORY,
       PF_PixelFormat_ARGB128, 16, GL_FLOAT},
      {"mismatched type", [](FakeHost&) {}, PF_Err_BAD_CALLBACK_PARAM, PF_PixelFormat_ARGB32, 4, GL_FLOAT},
  };
  for (const Case& c : cases) {
    FakeHost fresh;  // a host per case, so one case's fault does not leak into the next
    c.fault(fresh);
    // Rows of no whole number of pixels read through a host handle.
    TestWorld world(2, 2, c.bytes, 3);
    ReadTarget target(2, 2);
    try {
      DownloadOutputWorld(2, 2, &world.world, &fresh.in_data, c.code, c.bytes, c.type);
      ADD_FAILURE() << c.name << ": no error";
    } catch (PF_Err err) {
      EXPECT_EQ(err, c.wanted) << c.name;
    }
    EXPECT_EQ(fresh.suitesHeld, 0) << c.name;
    EXPECT_EQ(fresh.handlesLive, 0) << c.name;
    EXPECT_EQ(fresh.locksHeld, 0) << c.name;
  }
}

TEST_F(PixelTransfer, FloatLayerWithoutPixelsIs516AndLeavesNoTexture) {
  TestWorld layer(2, 2, 16, kPad);
  layer.world.data = nullptr;
  GLuint probe = 0;
  glGenTextures(1, &probe);
  glDeleteTextures(1, &probe);
  EXPECT_THROW(UploadLayerTexture(PF_PixelFormat_ARGB128, &layer.world, &host.in_data), PF_Err);
  EXPECT_EQ(glIsTexture(probe), GL_FALSE);
}

TEST_F(PixelTransfer, ShortRowsAreRejected) {
  TestWorld layer(2, 2, 4, 0);
  layer.world.rowbytes = 4;
  EXPECT_THROW(UploadLayerTexture(PF_PixelFormat_ARGB32, &layer.world, &host.in_data), PF_Err);
}

class RoundTrip : public PixelTransfer {};

TEST_F(RoundTrip, EightBitPaddedRows) {
  TestWorld layer(3, 2, 4, kPad);
  for (A_long y = 0; y < 2; ++y) {
    for (int i = 0; i < 12; ++i) layer.Row<unsigned char>(y)[i] = static_cast<unsigned char>(y * 128 + i * 10 + 1);
  }
  const GLuint texture = UploadLayerTexture(PF_PixelFormat_ARGB32, &layer.world, &host.in_data);
  ReadTarget target(texture);
  TestWorld output(3, 2, 4, kPad, kPadByte);
  DownloadOutputWorld(3, 2, &output.world, &host.in_data, PF_PixelFormat_ARGB32, 4, GL_UNSIGNED_BYTE);
  for (A_long y = 0; y < 2; ++y) {
    EXPECT_EQ(std::memcmp(output.Row<char>(y), layer.Row<char>(y), 12), 0) << y;
  }
  EXPECT_TRUE(PaddingUntouched(output, 4));
  glDeleteTextures(1, &texture);
}

TEST_F(RoundTrip, SixteenBitThroughOutputMultiplier) {
  const A_u_short values[] = {0, 1, 2, 255, 12345, 16384, 32767, 32768};
  TestWorld layer(4, 2, 8, kPad);
  for (A_long y = 0; y < 2; ++y) {
    for (int i = 0; i < 16; ++i) layer.Row<A_u_short>(y)[i] = values[(i + y * 3) % 8];
  }
  const GLuint texture = UploadLayerTexture(PF_PixelFormat_ARGB64, &layer.world, &host.in_data);
  // The 16-bit texture samples at the scale of the read-back (value/65535): a plain copy.
  ReadTarget target(4, 2);
  FullScreenPass copy(
      "#version 330\nin vec2 uv;\nout vec4 colourOut;\nuniform sampler2D videoTexture;\n"
      "uniform float multiplier16bit;\nvoid main() { colourOut = texture(videoTexture, uv) / multiplier16bit; }");
  copy.draw(texture, 1.0f);
  TestWorld output(4, 2, 8, kPad, kPadByte);
  DownloadOutputWorld(4, 2, &output.world, &host.in_data, PF_PixelFormat_ARGB64, 8, GL_UNSIGNED_SHORT);
  for (A_long y = 0; y < 2; ++y) {
    for (int i = 0; i < 16; ++i) EXPECT_EQ(output.Row<A_u_short>(y)[i], layer.Row<A_u_short>(y)[i]) << y << "," << i;
  }
  EXPECT_TRUE(PaddingUntouched(output, 8));
  copy.release();
  glDeleteTextures(1, &texture);
}

TEST_F(RoundTrip, FloatKeepsValuesOutsideZeroOne) {
  TestWorld layer(3, 2, 16, kPad);
  for (A_long y = 0; y < 2; ++y) {
    for (A_long x = 0; x < 3; ++x) layer.Row<PF_PixelFloat>(y)[x] = {1.0f, 3.5f * x, -0.25f * y, 0.125f};
  }
  const GLuint texture = UploadLayerTexture(PF_PixelFormat_ARGB128, &layer.world, &host.in_data);
  ReadTarget target(texture);
  TestWorld output(3, 2, 16, kPad, kPadByte);
  DownloadOutputWorld(3, 2, &output.world, &host.in_data, PF_PixelFormat_ARGB128, 16, GL_FLOAT);
  for (A_long y = 0; y < 2; ++y) {
    EXPECT_EQ(std::memcmp(output.Row<char>(y), layer.Row<char>(y), 48), 0) << y;
  }
  EXPECT_TRUE(PaddingUntouched(output, 16));
  glDeleteTextures(1, &texture);
}

TEST_F(RoundTrip, SmallerOutputGetsOnlyItsOwnPixels) {
  TestWorld layer(3, 3, 4, 0);
  for (auto& byte : layer.storage) byte = 0x11;
  const GLuint texture = UploadLayerTexture(PF_PixelFormat_ARGB32, &layer.world, &host.in_data);
  ReadTarget target(texture);
  TestWorld output(2, 2, 4, kPad, kPadByte);
  DownloadOutputWorld(3, 3, &output.world, &host.in_data, PF_PixelFormat_ARGB32, 4, GL_UNSIGNED_BYTE);
  EXPECT_THAT(std::vector<unsigned char>(output.Row<unsigned char>(1), output.Row<unsigned char>(1) + 8),
              Each(0x11));
  EXPECT_TRUE(PaddingUntouched(output, 4));
  glDeleteTextures(1, &texture);
}

}  // namespace
}  // namespace Orvane::Mosaira
