// The rows just past a frame's edges: what the anti-aliasing leaves there is either coverage the
// output can hold or nothing at all. A pixel whose alpha comes out as 0 has no colour, at every
// depth (the 16-bit road once let alphas through that its 16-bit steps round to 0, leaving full
// colour under a zero alpha).
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/PluginSession.h"

namespace Orvane::Mosaira::Testing {
namespace {

constexpr A_long kWidth = 640, kHeight = 360;
// Layout 3-1 at 640 x 360 with the default inset of 10: a frame's lower edge ends inside row 169
// over x = 337 to 628, and row 170 lies just past it.
constexpr A_long kEdgeRow = 170, kEdgeLeft = 337, kEdgeRight = 628;

class EdgeAlpha : public PluginSession, public ::testing::TestWithParam<PF_PixelFormat> {
 protected:
  void TearDown() override { Close(); }
};

std::string DepthName(const ::testing::TestParamInfo<PF_PixelFormat>& info) {
  return info.param == PF_PixelFormat_ARGB32 ? "EightBit" : info.param == PF_PixelFormat_ARGB64 ? "SixteenBit" : "Float";
}

TEST_P(EdgeAlpha, ZeroAlphaHasNoColour) {
  const PF_PixelFormat format = GetParam();
  Open(kWidth, kHeight);
  std::vector<std::unique_ptr<HostWorld>> layers;
  for (int k = 0; k < 3; ++k) {
    layers.push_back(SolidLayer(kWidth, kHeight, format, {1.0, 0.125 * (k + 1), 0.53, 0.25}));
    ASSERT_TRUE(fx.SetLayer(id, LayerParam(k), layers.back().get()));
  }
  Pick("3-1");
  ASSERT_EQ(host.SetFloat(id, kParamEdgeInset, 10.0), PF_Err_NONE);
  auto out = RenderOf(id, kWidth, kHeight, format);
  // The frame above the edge row is drawn; the edge row itself is left empty along the frame.
  EXPECT_GT(GetArgb(*out, (kEdgeLeft + kEdgeRight) / 2, kEdgeRow - 2)[0], 0.0f);
  int edgeEmpty = 0;
  for (A_long x = kEdgeLeft; x <= kEdgeRight; ++x) edgeEmpty += GetArgb(*out, x, kEdgeRow) == Argb{0, 0, 0, 0};
  EXPECT_EQ(edgeEmpty, kEdgeRight - kEdgeLeft + 1);
  int coloured = 0;
  for (A_long y = 0; y < kHeight; ++y) {
    for (A_long x = 0; x < kWidth; ++x) {
      const Argb p = GetArgb(*out, x, y);
      coloured += p[0] == 0.0f && (p[1] != 0.0f || p[2] != 0.0f || p[3] != 0.0f);
    }
  }
  EXPECT_EQ(coloured, 0) << "pixels of alpha 0 with colour";
}

// Rounded frames at an odd size, where the anti-aliased fringe falls across pixel centres: at
// 16 bits and in float, every pixel is covered as in the 8-bit picture (within 8-bit rounding),
// and no channel is negative. The fringe's coverage ramp runs past its ends there, and float
// layers, which clamp nothing, once let it take coverage away from the pixels it touched.
TEST_P(EdgeAlpha, RoundedEdgesCoverAsAtEightBits) {
  const PF_PixelFormat format = GetParam();
  constexpr A_long w = 322, h = 179;
  Open(w, h);
  Pick("9-1");
  ASSERT_EQ(host.SetFloat(id, kParamRoundCorner, 40.0), PF_Err_NONE);
  const auto depthPicture = [&](PF_PixelFormat depth) {
    std::vector<std::unique_ptr<HostWorld>> layers;
    for (int k = 0; k < 9; ++k) {
      layers.push_back(SolidLayer(w, h, depth, {1.0, 0.1 * k, 0.5, 1.0 - 0.1 * k}));
      EXPECT_TRUE(fx.SetLayer(id, LayerParam(k), layers.back().get()));
    }
    return RenderOf(id, w, h, depth);
  };
  const auto eight = depthPicture(PF_PixelFormat_ARGB32);
  const auto deep = depthPicture(format);
  const float white = WhiteOf(format);
  int uncovered = 0, negative = 0;
  for (A_long y = 0; y < h; ++y) {
    for (A_long x = 0; x < w; ++x) {
      const Argb p = GetArgb(*deep, x, y);
      negative += p[0] < 0.0f || p[1] < 0.0f || p[2] < 0.0f || p[3] < 0.0f;
      uncovered += std::abs(p[0] / white - GetArgb(*eight, x, y)[0] / 255.0f) > 2.5f / 255.0f;
    }
  }
  EXPECT_EQ(uncovered, 0) << "pixels covered otherwise than at 8 bits";
  EXPECT_EQ(negative, 0) << "pixels with a negative channel";
}

INSTANTIATE_TEST_SUITE_P(EveryDepth, EdgeAlpha,
                         ::testing::Values(PF_PixelFormat_ARGB32, PF_PixelFormat_ARGB64, PF_PixelFormat_ARGB128),
                         DepthName);

}  // namespace
}  // namespace Orvane::Mosaira::Testing
