#include "ui/FixedPoint.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace Orvane::Mosaira {
namespace {

constexpr int64_t kFixedMin = std::numeric_limits<PF_Fixed>::min();
constexpr int64_t kFixedMax = std::numeric_limits<PF_Fixed>::max();
constexpr int64_t kOne = 65536;

// Floor division by 65536, whatever the compiler does with shifts of negative numbers.
int64_t FloorDiv65536(int64_t v) { return v >= 0 ? v / kOne : -((-v + kOne - 1) / kOne); }

}  // namespace

PF_Fixed PixelsToFixed(double pixels) {
  if (std::isnan(pixels)) return 0;
  const double scaled = pixels * 65536.0 + (pixels < 0.0 ? -0.5 : 0.5);
  if (scaled <= double(kFixedMin)) return PF_Fixed(kFixedMin);
  if (scaled >= double(kFixedMax)) return PF_Fixed(kFixedMax);
  return PF_Fixed(std::trunc(scaled));
}

PF_Fixed WholePixelsToFixed(int32_t pixels) {
  return PF_Fixed(std::clamp(int64_t(pixels) * kOne, kFixedMin, kFixedMax));
}

int16_t FixedToNearestPixel(PF_Fixed value) {
  const int64_t pixel = FloorDiv65536(int64_t(value) + 0x8000);
  return int16_t(std::clamp<int64_t>(pixel, std::numeric_limits<int16_t>::min(),
                                     std::numeric_limits<int16_t>::max()));
}

int32_t FixedToFloorPixel(PF_Fixed value) { return int32_t(FloorDiv65536(value)); }

}  // namespace Orvane::Mosaira
