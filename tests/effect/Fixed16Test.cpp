#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "effect/ParamSync.h"

namespace Orvane::Mosaira {
namespace {

constexpr PF_Fixed kMax = std::numeric_limits<PF_Fixed>::max();
constexpr PF_Fixed kMin = std::numeric_limits<PF_Fixed>::min();

TEST(ToFixed16, Positive) {
  EXPECT_EQ(ToFixed16(10.00001), 655361);
  EXPECT_EQ(ToFixed16(100.5), 6586368);
  EXPECT_EQ(ToFixed16(1.0 / 131072.0), 1);  // exactly half a unit rounds away from zero
}

TEST(ToFixed16, Negative) {
  EXPECT_EQ(ToFixed16(-0.25), -16384);
  EXPECT_EQ(ToFixed16(-1.0 / 131072.0), -1);
  EXPECT_EQ(ToFixed16(-0.0000076), 0);
}

TEST(ToFixed16, Zero) {
  EXPECT_EQ(ToFixed16(0.0), 0);
  EXPECT_EQ(ToFixed16(0.0000076), 0);
}

TEST(ToFixed16, OutOfRangeClamps) {
  EXPECT_EQ(ToFixed16(32767.99999), kMax);
  EXPECT_EQ(ToFixed16(1e12), kMax);
  EXPECT_EQ(ToFixed16(-32768.0), kMin);
  EXPECT_EQ(ToFixed16(-1e12), kMin);
  EXPECT_EQ(ToFixed16(std::numeric_limits<double>::infinity()), kMax);
  EXPECT_EQ(ToFixed16(-std::numeric_limits<double>::infinity()), kMin);
}

TEST(ToFixed16, NotANumber) {
  EXPECT_EQ(ToFixed16(std::nan("")), 0);
}

TEST(FixedToLayerPixels, FullResolution) {
  EXPECT_DOUBLE_EQ(FixedToLayerPixels(6586368, {1, 1}), 100.5);
  EXPECT_DOUBLE_EQ(FixedToLayerPixels(-16384, {1, 1}), -0.25);
}

TEST(FixedToLayerPixels, HalfResolution) {
  EXPECT_DOUBLE_EQ(FixedToLayerPixels(50 << 16, {1, 2}), 100.0);
  EXPECT_DOUBLE_EQ(FixedToLayerPixels(10 << 16, {1, 2}), 20.0);
}

TEST(FixedToLayerPixels, FactorInSinglePrecision) {
  // 1/3 is narrowed to float before it scales the value.
  const double expected = static_cast<double>(1.0f / 3.0f) * 3.0;
  EXPECT_DOUBLE_EQ(FixedToLayerPixels(3 << 16, {3, 1}), expected);
}

TEST(FixedToLayerPixels, ZeroNumeratorIsNotFinite) {
  EXPECT_FALSE(std::isfinite(FixedToLayerPixels(5 << 16, {0, 1})));
  EXPECT_FALSE(std::isfinite(FixedToLayerPixels(0, {0, 1})));
}

}  // namespace
}  // namespace Orvane::Mosaira
