// Parameter values between the layout and the host: 16.16 conversion and which parameters a layout
// shows.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "effect/ParamIndices.h"
#include "effect/ParamSync.h"
#include "effect/ParamVisibility.h"

namespace Orvane::Mosaira {
namespace {

constexpr PF_Fixed kMax = std::numeric_limits<PF_Fixed>::max();
constexpr PF_Fixed kMin = std::numeric_limits<PF_Fixed>::min();
constexpr double kInf = std::numeric_limits<double>::infinity();

// Exactly half a unit rounds away from zero; out of range clamps; NaN is 0.
TEST(ToFixed16, RoundsAndClampsByInputClass) {
  struct Case {
    double value;
    PF_Fixed fixed;
  };
  const Case cases[] = {{10.00001, 655361},  {100.5, 6586368}, {1.0 / 131072.0, 1}, {-0.25, -16384},
                        {-1.0 / 131072.0, -1}, {-0.0000076, 0},  {0.0, 0},            {0.0000076, 0},
                        {std::nan(""), 0},     {32767.99999, kMax}, {1e12, kMax},     {kInf, kMax},
                        {-32768.0, kMin},      {-1e12, kMin},    {-kInf, kMin}};
  for (const Case& c : cases) EXPECT_EQ(ToFixed16(c.value), c.fixed) << c.value;
}

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
