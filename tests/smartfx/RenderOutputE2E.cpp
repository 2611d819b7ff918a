// The rendered picture of a fixed nine-frame scene at every depth, held against recorded output:
// byte for byte at 8 bits and in float, within one unit at 16 bits (0 and white exact). The 8-bit
// picture was recorded with the layers in float textures (filtered in float: the partly covered
// edge pixels differ by a few units from 8-bit textures, once magnified by un-premultiplying). Then what kept storage must not change: a render
// after the size changes, and a render after the plug-in is set down and set up again (which
// describes the driver once).
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/PluginSession.h"

namespace Orvane::Mosaira::Testing {
namespace {

constexpr int kLayers = 9;
constexpr A_long kWidth = 96, kHeight = 54;

// Layer k: gradients and a grid of white lines, a hue per layer, some pixels see-through; sizes
// and row padding differ from layer to layer, some rows being no whole number of pixels.
std::unique_ptr<HostWorld> PatternLayer(int k, PF_PixelFormat format) {
  const A_long w = 40 + 7 * k, h = 30 + 5 * k;
  auto layer = std::make_unique<HostWorld>(w, h, format, k % 2 == 0 ? 4 * (k % 3) : OddRowPad(format));
  const float white = WhiteOf(format);
  for (A_long y = 0; y < h; ++y) {
    for (A_long x = 0; x < w; ++x) {
      const bool grid = x % 9 == 0 || y % 7 == 0;
      const float a = (x + y) % 11 == 0 ? 0.5f : 1.0f;
      const float r = grid ? 1.0f : float(x) / float(w), g = grid ? 1.0f : float(y) / float(h);
      SetArgb(*layer, x, y, {a * white, r * a * white, g * a * white, float(k) / 8.0f * a * white});
    }
  }
  return layer;
}

// FNV-1a over the bytes.
uint64_t Checksum(const std::vector<uint8_t>& bytes) {
  uint64_t hash = 1469598103934665603ull;
  for (uint8_t b : bytes) hash = (hash ^ b) * 1099511628211ull;
  return hash;
}

std::string GoldenPath(const char* name) { return std::string(TILETTA_GOLDEN_DIR) + "/" + name; }

class RenderOutput : public PluginSession, public ::testing::Test {
 protected:
  void Open(PF_PixelFormat format) {
    PluginSession::Open(kWidth, kHeight);
    for (int k = 0; k < kLayers; ++k) {
      layers.push_back(PatternLayer(k, format));
      ASSERT_TRUE(fx.SetLayer(id, LayerParam(k), layers.back().get()));
    }
    Pick("9-1");
    ASSERT_EQ(host.SetFloat(id, kParamEdgeInset, 3.0), PF_Err_NONE);
    ASSERT_EQ(host.SetFloat(id, kParamRoundCorner, 40.0), PF_Err_NONE);
  }
  void TearDown() override { Close(); }
  std::unique_ptr<HostWorld> Render(PF_PixelFormat format, A_long w = kWidth, A_long h = kHeight) {
    return RenderOf(id, w, h, format);
  }

  std::vector<std::unique_ptr<HostWorld>> layers;
};

TEST_F(RenderOutput, FloatPictureIsUnchanged) {
  Open(PF_PixelFormat_ARGB128);
  EXPECT_EQ(Checksum(Render(PF_PixelFormat_ARGB128)->Bytes()), 12352863359354320327ull);
}

// The recorded 16-bit picture is a file of raw world bytes (rows with their padding).
TEST_F(RenderOutput, SixteenBitPictureIsWithinOneUnit) {
  Open(PF_PixelFormat_ARGB64);
  auto out = Render(PF_PixelFormat_ARGB64);
  std::ifstream file(GoldenPath("nine_frames_16bit.raw"), std::ios::binary);
  const std::vector<uint8_t> recorded{std::istreambuf_iterator<char>(file), {}};
  if (recorded.size() != out->Bytes().size() && std::getenv("TILETTA_RECORD_GOLDEN") != nullptr) {
    std::ofstream(GoldenPath("nine_frames_16bit.raw"), std::ios::binary)
        .write(reinterpret_cast<const char*>(out->Bytes().data()), std::streamsize(out->Bytes().size()));
    return;
  }
  ASSERT_EQ(recorded.size(), out->Bytes().size());
  HostWorld expected(kWidth, kHeight, PF_PixelFormat_ARGB64, 4);
  std::copy(recorded.begin(), recorded.end(), reinterpret_cast<uint8_t*>(expected.World()->data));
  int whites = 0;
  for (A_long y = 0; y < kHeight; ++y) {
    for (A_long x = 0; x < kWidth; ++x) {
      const auto want = GetArgb(expected, x, y), got = GetArgb(*out, x, y);
      for (int c = 0; c < 4; ++c) {
        const bool exact = want[c] == 0.0f || want[c] == 32768.0f;
        whites += want[c] == 32768.0f;
        ASSERT_NEAR(got[c], want[c], exact ? 0.0 : 1.0) << x << "," << y << " channel " << c;
      }
    }
  }
  EXPECT_GT(whites, 100);
}

// Storage kept from the last render must not leak into a render of another size, nor into one
// after the plug-in was set down and up again.
TEST_F(RenderOutput, KeptStorageFollowsSizeAndSetdown) {
  Open(PF_PixelFormat_ARGB32);
  const uint64_t golden = 9048324373575286427ull;
  EXPECT_EQ(Checksum(Render(PF_PixelFormat_ARGB32)->Bytes()), golden);
  const auto smallAfterLarge = Render(PF_PixelFormat_ARGB32, 48, 27)->Bytes();
  EXPECT_EQ(Render(PF_PixelFormat_ARGB32, 48, 27)->Bytes(), smallAfterLarge);
  EXPECT_EQ(Checksum(Render(PF_PixelFormat_ARGB32)->Bytes()), golden) << "after a smaller render";
  ASSERT_EQ(host.GlobalSetdown(), PF_Err_NONE);
  ::testing::internal::CaptureStdout();
  ASSERT_EQ(host.GlobalSetup(), PF_Err_NONE);
  const std::string printed = ::testing::internal::GetCapturedStdout();
  EXPECT_EQ(Checksum(Render(PF_PixelFormat_ARGB32)->Bytes()), golden) << "after set-down and set-up";
  // The set-up made one root context and described the driver once.
  EXPECT_EQ(printed.find("OpenGL Version:  "), printed.rfind("OpenGL Version:  "));
  EXPECT_NE(printed.find(" (gl.xml)\n"), std::string::npos) << printed;
}

}  // namespace
}  // namespace Orvane::Mosaira::Testing
