// Parameter values between the layout and the host: 16.16 values read back, and which parameters a
// layout shows.
#include <gtest/gtest.h>

#include <cmath>

#include "effect/ParamIndices.h"
#include "effect/ParamSync.h"
#include "effect/ParamVisibility.h"

namespace Orvane::Mosaira {
namespace {

TEST(FixedToLayerPixels, ScalesByTheDownsampleFactor) {
  EXPECT_DOUBLE_EQ(FixedToLayerPixels(6586368, {1, 1}), 100.5);
  EXPECT_DOUBLE_EQ(FixedToLayerPixels(-16384, {1, 1}), -0.25);
  EXPECT_DOUBLE_EQ(FixedToLayerPixels(50 << 16, {1, 2}), 100.0);
  // 1/3 is narrowed to float before it scales the value.
  EXPECT_DOUBLE_EQ(FixedToLayerPixels(3 << 16, {3, 1}), static_cast<double>(1.0f / 3.0f) * 3.0);
  EXPECT_FALSE(std::isfinite(FixedToLayerPixels(5 << 16, {0, 1})));
  EXPECT_FALSE(std::isfinite(FixedToLayerPixels(0, {0, 1})));
}

TEST(VisibilityPlan, SectionsShowOnlyWhatTheLayoutUses) {
  VisibilityPlan plan{true, 16, 0, 9};
  EXPECT_TRUE(plan.Shown(kParamPointFirst + 15));
  EXPECT_FALSE(plan.Shown(kParamPointFirst + 16));
  for (int p = kParamEdgeSliderGroupStart; p <= kParamEdgeSliderGroupEnd; ++p) EXPECT_FALSE(plan.Shown(p));
  EXPECT_TRUE(plan.Shown(kParamCount - 1));
  VisibilityPlan noPoints{true, 0, 9, 1};
  for (int p = kParamCornerPointGroupStart; p <= kParamCornerPointGroupEnd; ++p) EXPECT_FALSE(noPoints.Shown(p));
  EXPECT_TRUE(noPoints.Shown(kParamSliderLast));
  EXPECT_TRUE(noPoints.Shown(PolygonParam(0, kPolygonGroupEnd)));
  EXPECT_FALSE(noPoints.Shown(PolygonParam(1, kPolygonGroupStart)));
}

}  // namespace
}  // namespace Orvane::Mosaira
