// "Round Corner" as a user sees it in the rendered frame: corners cut by arcs of the size asked
// for, the same at every corner of a square frame.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <utility>

#include "tests/support/PluginSession.h"

namespace Orvane::Mosaira::Testing {
namespace {

class RoundedFrames : public PluginSession, public ::testing::Test {
 protected:
  void SetUp() override {
    Open(64, 64);
    layer = SolidLayer(64, 64, PF_PixelFormat_ARGB32, {1, 1, 1, 1});
    ASSERT_TRUE(fx.SetLayer(id, LayerParam(0), layer.get()));
    Pick("1-1");
  }
  void TearDown() override { Close(); }
  float AlphaAt(HostWorld& out, A_long x, A_long y) { return GetArgb(out, x, y)[0]; }
  std::unique_ptr<HostWorld> layer;
};

// At 50 % the single frame (66 pixels square with its 1-pixel overlap) has corner arcs of about
// 16 pixels: the very corner is empty, a point 8 pixels in along the diagonal is filled, and the
// picture is the same mirrored across and down.
TEST_F(RoundedFrames, HalfRoundCutsEveryCornerAlike) {
  ASSERT_EQ(host.SetFloat(id, kParamRoundCorner, 50.0), PF_Err_NONE);
  auto out = RenderOf(id, 64, 64, PF_PixelFormat_ARGB32);
  for (const auto& [x, y] : {std::pair<A_long, A_long>{2, 2}, {61, 2}, {2, 61}, {61, 61}}) {
    EXPECT_EQ(AlphaAt(*out, x, y), 0.0f) << x << "," << y;
  }
  EXPECT_EQ(AlphaAt(*out, 8, 8), 255.0f);
  EXPECT_EQ(AlphaAt(*out, 32, 0), 255.0f);  // mid-edge untouched
  int asymmetric = 0;
  for (A_long y = 0; y < 64; ++y) {
    for (A_long x = 0; x < 64; ++x) {
      const float a = AlphaAt(*out, x, y);
      asymmetric += std::fabs(a - AlphaAt(*out, 63 - x, y)) > 24 || std::fabs(a - AlphaAt(*out, x, 63 - y)) > 24;
    }
  }
  EXPECT_EQ(asymmetric, 0);
}

}  // namespace
}  // namespace Orvane::Mosaira::Testing
