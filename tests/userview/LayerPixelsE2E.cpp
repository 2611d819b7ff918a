// A layer's pixels as a user sees them in the rendered frame: its colours at every depth, and a
// layer wider than the graphics driver takes shown (reduced), not dropped.
#include <gtest/gtest.h>

#include <memory>

#include "tests/support/PluginSession.h"

namespace Orvane::Mosaira::Testing {
namespace {

class LayerPixels : public PluginSession, public ::testing::Test {
 protected:
  void SetUp() override { Open(64, 48); }
  void TearDown() override { Close(); }
  // Renders "1-1" at 64 x 48 and `format`, showing `layer`.
  std::unique_ptr<HostWorld> RenderShowing(HostWorld& layer, PF_PixelFormat format) {
    EXPECT_TRUE(fx.SetLayer(id, LayerParam(0), &layer));
    Pick("1-1");
    return RenderOf(id, 64, 48, format);
  }
};

// Mid-range channel values come through unchanged, not scaled for another depth.
TEST_F(LayerPixels, MidColoursComeThroughAtEveryDepth) {
  const std::array<double, 4> colour = {1, 0.25, 0.5, 0.75};
  for (PF_PixelFormat format : {PF_PixelFormat_ARGB32, PF_PixelFormat_ARGB64, PF_PixelFormat_ARGB128}) {
    SCOPED_TRACE(format);
    auto layer = SolidLayer(64, 48, format, colour);
    auto out = RenderShowing(*layer, format);
    ExpectPixel(*out, 32, 24, colour);
  }
}

// Wider than the largest texture (16384 on this driver): the layer is averaged down to fit.
TEST_F(LayerPixels, LayerWiderThanTheDriverTakesIsShown) {
  const std::array<double, 4> colour = {1, 0.2, 0.6, 0.4};
  auto layer = SolidLayer(16400, 12, PF_PixelFormat_ARGB32, colour);
  auto out = RenderShowing(*layer, PF_PixelFormat_ARGB32);
  ExpectPixel(*out, 32, 24, colour);
}

}  // namespace
}  // namespace Orvane::Mosaira::Testing
