// Pre-render: the rectangles the effect reports for what it will produce.
#include "tests/smartfx/SmartFxFixture.h"

namespace Orvane::Mosaira::SmartFxTest {
namespace {

bool operator==(const PF_LRect& a, const PF_LRect& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

class PreRender : public ::testing::Test {
 protected:
  void SetUp() override { harness.InstallLayout(call, TwoFrameLayout()); }
  void TearDown() override {
    harness.RemoveLayout(call);
    EXPECT_EQ(harness.checkedOut.load(), 0);
    EXPECT_EQ(harness.handlesLive.load(), 0);
  }

  // Pre-renders with the host's output rectangles arriving as `arriving` and the input checkout
  // giving `checkedOut` (both rectangles alike); returns the result rectangle.
  PF_LRect Merge(PF_LRect arriving, PF_LRect checkedOut, PF_Err* err = nullptr) {
    call.checkout.result_rect = checkedOut;
    call.checkout.max_result_rect = checkedOut;
    PF_PreRenderOutput out{};
    out.result_rect = arriving;
    out.max_result_rect = arriving;
    const PF_Err e = harness.PreRender(call, PF_RenderRequest{{0, 0, 64, 48}, 0, PF_ChannelMask_ARGB, 0}, &out);
    if (err) *err = e;
    EXPECT_TRUE(out.max_result_rect == out.result_rect);
    return out.result_rect;
  }

  Harness harness;
  RenderCall call{&harness};
};

// An empty rectangle on either side gives the other; two non-empty ones give their union.
TEST_F(PreRender, ResultIsTheUnionOfArrivalAndCheckout) {
  EXPECT_TRUE(Merge({0, 0, 0, 0}, {0, 0, 1920, 1080}) == (PF_LRect{0, 0, 1920, 1080}));
  EXPECT_TRUE(Merge({10, 10, 20, 20}, {5, 5, 5, 9}) == (PF_LRect{10, 10, 20, 20}));
  EXPECT_TRUE(Merge({10, 10, 20, 20}, {0, 0, 5, 5}) == (PF_LRect{0, 0, 20, 20}));
  EXPECT_TRUE(Merge({-5, 2, 3, 40}, {0, -1, 9, 5}) == (PF_LRect{-5, -1, 9, 40}));
}

TEST_F(PreRender, FailedCheckoutReportsItsErrorAndMergesNothing) {
  call.checkoutLayerError = PF_Err_OUT_OF_MEMORY;
  PF_Err err = PF_Err_NONE;
  EXPECT_TRUE(Merge({10, 10, 20, 20}, {0, 0, 500, 500}, &err) == (PF_LRect{10, 10, 20, 20}));
  EXPECT_EQ(err, PF_Err_OUT_OF_MEMORY);
}

TEST_F(PreRender, NoLayoutReportsEmptyRectangles) {
  harness.RemoveLayout(call);
  PF_Err err = -1;
  EXPECT_TRUE(Merge({10, 10, 20, 20}, {0, 0, 64, 48}, &err) == (PF_LRect{0, 0, 0, 0}));
  EXPECT_EQ(err, PF_Err_NONE);
}

}  // namespace
}  // namespace Orvane::Mosaira::SmartFxTest
