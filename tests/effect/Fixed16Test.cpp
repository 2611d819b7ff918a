#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "effect/ParamSync.h"

namespace Orvane::Mosaira {
namespace {

constexpr PF_Fixed kMax = std::numeric_limits<PF_Fixed>::max();
constexpr PF_Fixed kMin = std::numeric_limits<PF_Fixed>::min();
constexpr double kInf = std::numeric_limits<double>::infinity();

struct FixedCase {
  double value;
  PF_Fixed fixed;
};

void ExpectFixed(std::initializer_list<FixedCase> cases) {
  for (const FixedCase& c : cases) EXPECT_EQ(ToFixed16(c.value), c.fixed) << c.value;
}

TEST(ToFixed16, Positive) {
  // Exactly half a unit rounds away from zero.
  ExpectFixed({{10.00001, 655361}, {100.5, 6586368}, {1.0 / 131072.0, 1}});
}

TEST(ToFixed16, Negative) { ExpectFixed({{-0.25, -16384}, {-1.0 / 131072.0, -1}, {-0.0000076, 0}}); }

TEST(ToFixed16, Zero) { ExpectFixed({{0.0, 0}, {0.0000076, 0}, {std::nan(""), 0}}); }

TEST(ToFixed16, OutOfRangeClamps) {
  ExpectFixed({{32767.99999, kMax}, {1e12, kMax}, {kInf, kMax}, {-32768.0, kMin}, {-1e12, kMin}, {-kInf, kMin}});
}

TEST(FixedToLayerPixels, ScalesByTheDownsampleFactor) {
  EXPECT_DOUBLE_EQ(FixedToLayerPixels(6586368, {1, 1}), 100.5);
  EXPECT_DOUBLE_EQ(FixedToLayerPixels(-16384, {1, 1}), -0.25);
  EXPECT_DOUBLE_EQ(FixedToLayerPixels(50 << 16, {1, 2}), 100.0);
  // 1/3 is narrowed to float before it scales the value.
  EXPECT_DOUBLE_EQ(FixedToLayerPixels(3 << 16, {3, 1}), static_cast<double>(1.0f / 3.0f) * 3.0);
}

TEST(FixedToLayerPixels, ZeroNumeratorIsNotFinite) {
  EXPECT_FALSE(std::isfinite(FixedToLayerPixels(5 << 16, {0, 1})));
  EXPECT_FALSE(std::isfinite(FixedToLayerPixels(0, {0, 1})));
}

}  // namespace
}  // namespace Orvane::Mosaira
