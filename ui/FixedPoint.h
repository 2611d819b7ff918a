// Conversions between pixels and the host's 16.16 fixed point. Every conversion is computed in 64
// bits and clamps to the range of its result, so no input (negative, huge or NaN) is undefined.
#pragma once

#include <cstdint>

#include "sdk/pf_types.h"

namespace Orvane::Mosaira {

// Pixels (double) to 16.16: v * 65536, plus 0.5 away from zero, truncated toward zero. Clamps to
// the PF_Fixed range; NaN gives 0.
PF_Fixed PixelsToFixed(double pixels);

// Whole pixels to 16.16 (h * 65536), clamped to the PF_Fixed range.
PF_Fixed WholePixelsToFixed(int32_t pixels);

// 16.16 to the nearest whole pixel ((value + 0x8000) >> 16, halves upwards), clamped to the signed
// 16-bit range of frame pixels.
int16_t FixedToNearestPixel(PF_Fixed value);

// 16.16 to the whole pixel at or below the value (value >> 16 with sign).
int32_t FixedToFloorPixel(PF_Fixed value);

}  // namespace Orvane::Mosaira
