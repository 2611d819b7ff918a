#include "host/DrawSurface.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "host/HostWorld.h"
#include "host/PngFile.h"

namespace Orvane::Mosaira {
namespace {

// Cairo's ARGB32 pixel: premultiplied, native-endian 32-bit word.
uint32_t Word(const unsigned char* data, int stride, A_long x, A_long y) {
  uint32_t px;
  std::memcpy(&px, data + size_t(y) * size_t(stride) + size_t(x) * 4, 4);
  return px;
}

unsigned char Unpremultiply(uint32_t channel, uint32_t alpha) {
  return alpha == 0 ? 0 : static_cast<unsigned char>(std::min<uint32_t>(255, (channel * 255 + alpha / 2) / alpha));
}

uint32_t Premultiplied(const PF_Pixel8& p) {
  const auto m = [&](unsigned c) { return (c * p.alpha + 127) / 255; };
  return uint32_t(p.alpha) << 24 | m(p.red) << 16 | m(p.green) << 8 | m(p.blue);
}

}  // namespace

DrawSurface::DrawSurface(A_long width, A_long height) {
  if (width < 1 || height < 1 || width > kMaxSide || height > kMaxSide) return;
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
  if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(surface);
    return;
  }
  surface_ = surface;
  cr_ = cairo_create(surface_);
  width_ = width;
  height_ = height;
}

DrawSurface::~DrawSurface() {
  if (cr_) cairo_destroy(cr_);
  if (surface_) cairo_surface_destroy(surface_);
}

void DrawSurface::Fill(double red, double green, double blue, double alpha) {
  if (!Valid()) return;
  const auto c = [](double v) { return std::isfinite(v) ? std::clamp(v, 0.0, 1.0) : 0.0; };
  cairo_save(cr_);
  cairo_set_operator(cr_, CAIRO_OPERATOR_SOURCE);
  cairo_set_source_rgba(cr_, c(red), c(green), c(blue), c(alpha));
  cairo_paint(cr_);
  cairo_restore(cr_);
}

bool DrawSurface::PaintWorld(HostWorld& world, double zoom, double panX, double panY) {
  if (!Valid() || world.Format() != PF_PixelFormat_ARGB32 || world.Width() < 1 || !(zoom > 0) ||
      !std::isfinite(zoom) || !std::isfinite(panX) || !std::isfinite(panY)) {
    return false;
  }
  cairo_surface_t* picture = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, world.Width(), world.Height());
  if (cairo_surface_status(picture) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(picture);
    return false;
  }
  unsigned char* data = cairo_image_surface_get_data(picture);
  const int stride = cairo_image_surface_get_stride(picture);
  for (A_long y = 0; y < world.Height(); ++y) {
    for (A_long x = 0; x < world.Width(); ++x) {
      const uint32_t px = Premultiplied(world.Pixel8(x, y));
      std::memcpy(data + size_t(y) * size_t(stride) + size_t(x) * 4, &px, 4);
    }
  }
  cairo_surface_mark_dirty(picture);
  cairo_save(cr_);
  cairo_translate(cr_, panX, panY);
  cairo_scale(cr_, zoom, zoom);
  cairo_set_source_surface(cr_, picture, 0, 0);
  cairo_paint(cr_);
  cairo_restore(cr_);
  cairo_surface_destroy(picture);
  return true;
}

PF_Pixel8 DrawSurface::Pixel(A_long x, A_long y) const {
  if (!Valid() || x < 0 || y < 0 || x >= width_ || y >= height_) return {0, 0, 0, 0};
  cairo_surface_flush(surface_);
  const uint32_t px = Word(cairo_image_surface_get_data(surface_), cairo_image_surface_get_stride(surface_), x, y);
  const uint32_t a = px >> 24;
  return {static_cast<unsigned char>(a), Unpremultiply((px >> 16) & 0xFF, a), Unpremultiply((px >> 8) & 0xFF, a),
          Unpremultiply(px & 0xFF, a)};
}

bool DrawSurface::SavePng(const std::string& path, std::string* error) const {
  if (!Valid()) {
    if (error) *error = "cannot write " + path + ": no picture";
    return false;
  }
  HostWorld copy(width_, height_, PF_PixelFormat_ARGB32);
  for (A_long y = 0; y < height_; ++y) {
    for (A_long x = 0; x < width_; ++x) copy.Pixel8(x, y) = Pixel(x, y);
  }
  return WritePng(copy, path, error);
}

}  // namespace Orvane::Mosaira
