// Pixel worlds as the host hands them out: 8-bit, 16-bit (0..32768) and 32-bit float pixels, each
// alpha, red, green, blue in memory, rows `rowbytes` apart with optional padding after each row.
// The padding is filled with a marker so tests can see that nothing wrote into it. The pixel
// services of the host (pixel format query, first-pixel address, float iteration) answer only for
// worlds made here and still alive.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "sdk/pf_effect.h"
#include "sdk/pf_suites.h"

namespace Orvane::Mosaira {

class HostWorld {
 public:
  static constexpr uint8_t kPaddingByte = 0xA5;

  // A zero-filled world; `paddingBytes` extra bytes after every row. Width and height below 1, or
  // an unknown format, give an empty world (width and height 0, no pixels) that reports the format
  // it was asked for, so that effects can be tested against a format they must refuse.
  HostWorld(A_long width, A_long height, PF_PixelFormat format, A_long paddingBytes = 0);
  ~HostWorld();
  HostWorld(const HostWorld&) = delete;
  HostWorld& operator=(const HostWorld&) = delete;

  PF_EffectWorld* World() { return &world_; }
  const PF_EffectWorld* World() const { return &world_; }
  PF_PixelFormat Format() const { return format_; }
  A_long Width() const { return world_.width; }
  A_long Height() const { return world_.height; }
  A_long RowBytes() const { return world_.rowbytes; }
  // 4, 8 or 16; 0 for an unknown format.
  static A_long BytesPerPixel(PF_PixelFormat format);

  // Pixel access by (x, y), row 0 first. The caller keeps inside the world.
  PF_Pixel8& Pixel8(A_long x, A_long y);
  PF_Pixel16& Pixel16(A_long x, A_long y);
  PF_PixelFloat& PixelFloat(A_long x, A_long y);
  // True when every padding byte still holds kPaddingByte.
  bool PaddingIntact() const;
  // The raw bytes, rows and padding included.
  const std::vector<uint8_t>& Bytes() const { return bytes_; }

  // The live world behind `world`, or null when it is not one of the host's. A copy of a host
  // world's record (same pixels, size and row length) counts as that world, since effects receive
  // layer parameters as copies inside their own parameter definitions.
  static HostWorld* Find(const PF_EffectWorld* world);

 private:
  uint8_t* RowStart(A_long y) { return bytes_.data() + size_t(y) * size_t(world_.rowbytes); }

  PF_EffectWorld world_{};
  PF_PixelFormat format_;
  A_long paddingBytes_ = 0;
  std::vector<uint8_t> bytes_;
};

// The host's pixel services, as the suites and utility callbacks expose them.
PF_Err HostGetPixelFormat(const PF_EffectWorld* world, PF_PixelFormat* format);
PF_Err HostGetPixelData8(PF_EffectWorld* world, void* pixelsP0, PF_Pixel8** pixPP);
PF_Err HostGetPixelData16(PF_EffectWorld* world, void* pixelsP0, PF_Pixel16** pixPP);
// Walks `area` of `src` (the whole world when null), clipped to both worlds, row by row; `dst`
// may be null (the out pixel is then null). Both worlds must be float worlds of the host.
PF_Err HostIterateFloat(PF_InData* in_data, A_long progress_base, A_long progress_final,
                        PF_EffectWorld* src, const PF_Rect* area, void* refcon,
                        PF_IteratePixelFloatFunc pix_fn, PF_EffectWorld* dst);

}  // namespace Orvane::Mosaira
