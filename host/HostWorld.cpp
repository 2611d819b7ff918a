#include "host/HostWorld.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <unordered_map>

namespace Orvane::Mosaira {
namespace {

std::mutex& RegistryMutex() {
  static std::mutex m;
  return m;
}

std::unordered_map<const PF_EffectWorld*, HostWorld*>& Registry() {
  static std::unordered_map<const PF_EffectWorld*, HostWorld*> r;
  return r;
}

// The world behind `world` when it is one of ours with the asked layout.
HostWorld* FindWithFormat(const PF_EffectWorld* world, PF_PixelFormat format) {
  HostWorld* w = HostWorld::Find(world);
  return (w != nullptr && w->Format() == format && w->Width() > 0) ? w : nullptr;
}

}  // namespace

A_long HostWorld::BytesPerPixel(PF_PixelFormat format) {
  switch (format) {
    case PF_PixelFormat_ARGB32: return 4;
    case PF_PixelFormat_ARGB64: return 8;
    case PF_PixelFormat_ARGB128: return 16;
    default: return 0;
  }
}

HostWorld::HostWorld(A_long width, A_long height, PF_PixelFormat format, A_long paddingBytes)
    : format_(format), paddingBytes_(std::max<A_long>(paddingBytes, 0)) {
  const A_long bpp = BytesPerPixel(format);
  if (width > 0 && height > 0 && bpp > 0) {
    world_.width = width;
    world_.height = height;
    world_.rowbytes = width * bpp + paddingBytes_;
    bytes_.assign(size_t(world_.rowbytes) * size_t(height), 0);
    for (A_long y = 0; y < height; ++y) {
      std::memset(RowStart(y) + size_t(width) * bpp, kPaddingByte, size_t(paddingBytes_));
    }
    world_.data = reinterpret_cast<PF_Pixel*>(bytes_.data());
  }
  world_.world_flags = PF_WorldFlag_WRITEABLE | (bpp > 4 ? PF_WorldFlag_DEEP : 0);
  world_.extent_hint = {0, 0, world_.width, world_.height};
  world_.pix_aspect_ratio = {1, 1};
  std::lock_guard<std::mutex> lock(RegistryMutex());
  Registry()[&world_] = this;
}

HostWorld::~HostWorld() {
  std::lock_guard<std::mutex> lock(RegistryMutex());
  Registry().erase(&world_);
}

HostWorld* HostWorld::Find(const PF_EffectWorld* world) {
  if (world == nullptr) return nullptr;
  std::lock_guard<std::mutex> lock(RegistryMutex());
  auto it = Registry().find(world);
  if (it != Registry().end()) return it->second;
  // A copy of one of ours (a layer parameter checked out into the effect's own definition)
  // still describes the same pixels: same first pixel, size and row length.
  for (const auto& entry : Registry()) {
    const PF_EffectWorld& w = *entry.first;
    if (w.data != nullptr && w.data == world->data && w.width == world->width &&
        w.height == world->height && w.rowbytes == world->rowbytes) {
      return entry.second;
    }
  }
  return nullptr;
}

PF_Pixel8& HostWorld::Pixel8(A_long x, A_long y) {
  return reinterpret_cast<PF_Pixel8*>(RowStart(y))[x];
}

PF_Pixel16& HostWorld::Pixel16(A_long x, A_long y) {
  return reinterpret_cast<PF_Pixel16*>(RowStart(y))[x];
}

PF_PixelFloat& HostWorld::PixelFloat(A_long x, A_long y) {
  return reinterpret_cast<PF_PixelFloat*>(RowStart(y))[x];
}

bool HostWorld::PaddingIntact() const {
  const size_t used = size_t(world_.width) * size_t(BytesPerPixel(format_));
  for (A_long y = 0; y < world_.height; ++y) {
    const uint8_t* row = bytes_.data() + size_t(y) * size_t(world_.rowbytes);
    for (A_long i = 0; i < paddingBytes_; ++i) {
      if (row[used + size_t(i)] != kPaddingByte) return false;
    }
  }
  return true;
}

PF_Err HostGetPixelFormat(const PF_EffectWorld* world, PF_PixelFormat* format) {
  if (format == nullptr) return PF_Err_BAD_CALLBACK_PARAM;
  const HostWorld* w = HostWorld::Find(world);
  *format = w ? w->Format() : PF_PixelFormat_INVALID;
  return w ? PF_Err_NONE : PF_Err_BAD_CALLBACK_PARAM;
}

template <typename Pixel>
PF_Err FirstPixel(PF_EffectWorld* world, void* pixelsP0, Pixel** pixPP, PF_PixelFormat format) {
  if (pixPP == nullptr) return PF_Err_BAD_CALLBACK_PARAM;
  *pixPP = nullptr;
  HostWorld* w = FindWithFormat(world, format);
  if (w == nullptr || pixelsP0 != nullptr) return PF_Err_BAD_CALLBACK_PARAM;
  *pixPP = reinterpret_cast<Pixel*>(world->data);
  return PF_Err_NONE;
}

PF_Err HostGetPixelData8(PF_EffectWorld* world, void* pixelsP0, PF_Pixel8** pixPP) {
  return FirstPixel(world, pixelsP0, pixPP, PF_PixelFormat_ARGB32);
}

PF_Err HostGetPixelData16(PF_EffectWorld* world, void* pixelsP0, PF_Pixel16** pixPP) {
  return FirstPixel(world, pixelsP0, pixPP, PF_PixelFormat_ARGB64);
}

PF_Err HostIterateFloat(PF_InData*, A_long, A_long, PF_EffectWorld* src, const PF_Rect* area,
                        void* refcon, PF_IteratePixelFloatFunc pix_fn, PF_EffectWorld* dst) {
  HostWorld* s = FindWithFormat(src, PF_PixelFormat_ARGB128);
  HostWorld* d = dst ? FindWithFormat(dst, PF_PixelFormat_ARGB128) : nullptr;
  if (s == nullptr || pix_fn == nullptr || (dst != nullptr && d == nullptr)) {
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  PF_Rect r = area ? *area : PF_Rect{0, 0, s->Width(), s->Height()};
  r.left = std::max<A_long>(r.left, 0);
  r.top = std::max<A_long>(r.top, 0);
  r.right = std::min(r.right, s->Width());
  r.bottom = std::min(r.bottom, s->Height());
  if (d != nullptr) {
    r.right = std::min(r.right, d->Width());
    r.bottom = std::min(r.bottom, d->Height());
  }
  for (A_long y = r.top; y < r.bottom; ++y) {
    for (A_long x = r.left; x < r.right; ++x) {
      PF_PixelFloat* out = d ? &d->PixelFloat(x, y) : nullptr;
      const PF_Err err = pix_fn(refcon, x, y, &s->PixelFloat(x, y), out);
      if (err != PF_Err_NONE) return err;
    }
  }
  return PF_Err_NONE;
}

}  // namespace Orvane::Mosaira
