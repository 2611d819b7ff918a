// The effect controls as a user sees them after choosing a layout: the layout's own slider shown
// with its twirly closed, as are its polygon groups.
#include <gtest/gtest.h>

#include "tests/support/PluginSession.h"

namespace Orvane::Mosaira::Testing {
namespace {

class EffectControls : public PluginSession, public ::testing::Test {
 protected:
  void SetUp() override { Open(640, 360); }
  void TearDown() override { Close(); }
};

TEST_F(EffectControls, ChosenLayoutsControlsShowClosed) {
  Pick("3-1");  // three frames, one sliding point
  EXPECT_FALSE(host.Stream(id, kParamSliderFirst).Hidden());
  EXPECT_TRUE(host.Stream(id, kParamSliderFirst).Collapsed());
  for (int k = 0; k < 3; ++k) {
    EXPECT_FALSE(host.Stream(id, PolygonParam(k, kPolygonGroupStart)).Hidden()) << k;
    EXPECT_TRUE(host.Stream(id, PolygonParam(k, kPolygonGroupStart)).Collapsed()) << k;
  }
  EXPECT_TRUE(host.Stream(id, PolygonParam(3, kPolygonGroupStart)).Hidden());
}

}  // namespace
}  // namespace Orvane::Mosaira::Testing
