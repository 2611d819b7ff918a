#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "ui/FixedPoint.h"

namespace Orvane::Mosaira {
namespace {

constexpr PF_Fixed kMax = std::numeric_limits<PF_Fixed>::max();
constexpr PF_Fixed kMin = std::numeric_limits<PF_Fixed>::min();

TEST(PixelsToFixed, RoundsHalfAwayFromZeroAndClamps) {
  const struct {
    double px;
    PF_Fixed fixed;
  } cases[] = {
      {0.3, 19661},  {-0.3, -19661},           {1.0, 65536},    {-1.0, -65536},
      {0.0, 0},      {32767.0, 32767 * 65536}, {40000.0, kMax}, {-40000.0, kMin},
      {1e300, kMax}, {std::nan(""), 0},        {100.5, 6586368}, {1.0 / 131072.0, 1},
      {-1.0 / 131072.0, -1}, {-0.0000076, 0},  {32767.99999, kMax}, {-32768.0, kMin},
      {std::numeric_limits<double>::infinity(), kMax}, {-std::numeric_limits<double>::infinity(), kMin},
  };
  for (const auto& c : cases) EXPECT_EQ(PixelsToFixed(c.px), c.fixed) << c.px;
}

TEST(WholePixelsToFixed, NegativeAndBeyondRange) {
  const struct {
    int32_t px;
    PF_Fixed fixed;
  } cases[] = {{-1, -65536},  {-32768, kMin}, {32767, 32767 * 65536},
               {32768, kMax}, {-40000, kMin}, {kMin, kMin}};
  for (const auto& c : cases) EXPECT_EQ(WholePixelsToFixed(c.px), c.fixed) << c.px;
}

TEST(FixedToNearestPixel, HalvesGoUpAndEndsClamp) {
  const struct {
    PF_Fixed fixed;
    int16_t px;
  } cases[] = {{0x8000, 1},        {0x7FFF, 0},   {-0x8000, 0},  {-0x8001, -1},
               {100 * 65536, 100}, {kMax, 32767}, {kMin, -32768}};
  for (const auto& c : cases) EXPECT_EQ(FixedToNearestPixel(c.fixed), c.px) << c.fixed;
}

TEST(FixedToFloorPixel, NegativeGoesDown) {
  const struct {
    PF_Fixed fixed;
    int32_t px;
  } cases[] = {{-0x8000, -1}, {0x8000, 0},    {-65536, -1},
               {-65537, -2},  {kMin, -32768}, {kMax, 32767}};
  for (const auto& c : cases) EXPECT_EQ(FixedToFloorPixel(c.fixed), c.px) << c.fixed;
}

}  // namespace
}  // namespace Orvane::Mosaira
