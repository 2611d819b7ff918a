// Narrowing of doubles to single precision as the hardware does it, without relying on an out-of-range
// conversion (which the language leaves undefined): values beyond the float range become infinities.
#pragma once

#include <cfloat>
#include <cmath>
#include <limits>

namespace Orvane::Mosaira::detail {

// The nearest float to `value` (ties to even); +/-infinity past the largest float, NaN stays NaN.
inline float ToSingle(double value) {
  // Half a unit in the last place above FLT_MAX: from here on rounding to nearest gives infinity.
  constexpr double kOverflowEdge = static_cast<double>(FLT_MAX) + 0x1p103;
  if (std::fabs(value) >= kOverflowEdge) {
    constexpr float kInfinity = std::numeric_limits<float>::infinity();
    return value > 0 ? kInfinity : -kInfinity;
  }
  return static_cast<float>(value);
}

}  // namespace Orvane::Mosaira::detail
