// Pixels of a simulated host's world as (a, r, g, b) in the world's own units (8-bit 0..255,
// 16-bit 0..32768, float as stored), whatever its depth.
#pragma once

#include <array>

#include "host/HostWorld.h"

namespace Orvane::Mosaira::Testing {

using Argb = std::array<float, 4>;

// The value of full intensity at a depth.
inline float WhiteOf(PF_PixelFormat format) {
  return format == PF_PixelFormat_ARGB32 ? 255.0f : format == PF_PixelFormat_ARGB64 ? 32768.0f : 1.0f;
}

inline Argb GetArgb(HostWorld& w, A_long x, A_long y) {
  if (w.Format() == PF_PixelFormat_ARGB32) {
    const PF_Pixel8 p = w.Pixel8(x, y);
    return {float(p.alpha), float(p.red), float(p.green), float(p.blue)};
  }
  if (w.Format() == PF_PixelFormat_ARGB64) {
    const PF_Pixel16 p = w.Pixel16(x, y);
    return {float(p.alpha), float(p.red), float(p.green), float(p.blue)};
  }
  const PF_PixelFloat p = w.PixelFloat(x, y);
  return {p.alpha, p.red, p.green, p.blue};
}

// Integer depths take the values cut towards zero.
inline void SetArgb(HostWorld& w, A_long x, A_long y, const Argb& v) {
  if (w.Format() == PF_PixelFormat_ARGB32) {
    w.Pixel8(x, y) = {A_u_char(v[0]), A_u_char(v[1]), A_u_char(v[2]), A_u_char(v[3])};
  } else if (w.Format() == PF_PixelFormat_ARGB64) {
    w.Pixel16(x, y) = {A_u_short(v[0]), A_u_short(v[1]), A_u_short(v[2]), A_u_short(v[3])};
  } else {
    w.PixelFloat(x, y) = {v[0], v[1], v[2], v[3]};
  }
}

}  // namespace Orvane::Mosaira::Testing
