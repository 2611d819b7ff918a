#include "tools/tiletta/SampleLayers.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

#include "layout/GridLayoutModel.h"
#include "layout/LayoutRegistry.h"

namespace Orvane::Mosaira::Cli {
namespace {


// 8-bit straight (a, r, g, b) pixels, rows packed.
struct Argb8Image {
  int width = 0, height = 0;
  std::vector<unsigned char> pixels;
};

// Seven-segment digits (no fonts: the picture is the same on every machine). Segments a to g:
// top, top right, bottom right, bottom, bottom left, top left, middle.
constexpr unsigned char kSegments[10] = {0x3F, 0x06, 0x5B, 0x4F, 0x66, 0x6D, 0x7D, 0x07, 0x7F, 0x6F};

void DrawDigit(cairo_t* cr, int digit, double x, double y, double w, double h) {
  const double t = w * 0.22;  // stroke thickness
  const double half = h / 2;
  if (digit == 1) x -= (w - t) / 2;  // its one stroke in the middle of the cell
  const double rects[7][4] = {{x, y, w, t},          {x + w - t, y, t, half},        {x + w - t, y + half, t, half},
                              {x, y + h - t, w, t},  {x, y + half, t, half},         {x, y, t, half},
                              {x, y + half - t / 2, w, t}};
  for (int s = 0; s < 7; ++s) {
    if (kSegments[digit] & (1 << s)) cairo_rectangle(cr, rects[s][0], rects[s][1], rects[s][2], rects[s][3]);
  }
}

// The number centred, about 40 % of the shorter side high, white over a dark shadow.
void DrawNumber(cairo_t* cr, int number, int w, int h) {
  const std::string text = std::to_string(number);
  const double dh = std::min(w, h) * 0.4, dw = dh * 0.5, gap = dw * 0.35;
  const double total = text.size() * dw + (text.size() - 1) * gap;
  const double shadow = std::max(1.0, dh / 40);
  for (int pass = 0; pass < 2; ++pass) {
    const double offset = pass == 0 ? shadow : 0.0;
    double x = (w - total) / 2 + offset;
    for (char c : text) {
      DrawDigit(cr, c - '0', x, (h - dh) / 2 + offset, dw, dh);
      x += dw + gap;
    }
    if (pass == 0) {
      cairo_set_source_rgba(cr, 0, 0, 0, 0.6);
    } else {
      cairo_set_source_rgb(cr, 1, 1, 1);
    }
    cairo_fill(cr);
  }
}

// A recognisable sample: a colour field of its own hue, lighter at the top, a grid, and the
// layer's number in the middle.
Argb8Image SampleLayer(int number, int w, int h) {
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h);
  cairo_t* cr = cairo_create(surface);
  const double hue = number * 0.38196601125;  // golden-ratio steps keep neighbours apart
  const double r = 0.5 + 0.4 * std::cos(6.2831853 * hue), g = 0.5 + 0.4 * std::cos(6.2831853 * (hue - 1 / 3.0)),
               b = 0.5 + 0.4 * std::cos(6.2831853 * (hue - 2 / 3.0));
  cairo_pattern_t* field = cairo_pattern_create_linear(0, 0, 0, h);
  cairo_pattern_add_color_stop_rgb(field, 0, std::min(1.0, r + 0.3), std::min(1.0, g + 0.3), std::min(1.0, b + 0.3));
  cairo_pattern_add_color_stop_rgb(field, 1, r * 0.6, g * 0.6, b * 0.6);
  cairo_set_source(cr, field);
  cairo_paint(cr);
  cairo_pattern_destroy(field);
  const double cell = std::max(8.0, std::min(w, h) / 10.0), line = std::max(1.0, cell / 24.0);
  cairo_set_source_rgba(cr, 1, 1, 1, 0.55);
  for (double x = std::fmod(w / 2.0, cell); x < w; x += cell) cairo_rectangle(cr, x - line / 2, 0, line, h);
  for (double y = std::fmod(h / 2.0, cell); y < h; y += cell) cairo_rectangle(cr, 0, y - line / 2, w, line);
  cairo_fill(cr);
  DrawNumber(cr, number, w, h);
  cairo_destroy(cr);
  cairo_surface_flush(surface);

  Argb8Image out;
  out.width = w;
  out.height = h;
  out.pixels.resize(size_t(w) * h * 4);
  const unsigned char* data = cairo_image_surface_get_data(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      uint32_t px;
      std::memcpy(&px, data + size_t(y) * stride + size_t(x) * 4, 4);
      unsigned char* o = &out.pixels[(size_t(y) * w + x) * 4];
      o[0] = 255;
      o[1] = (px >> 16) & 0xFF;
      o[2] = (px >> 8) & 0xFF;
      o[3] = px & 0xFF;
    }
  }
  cairo_surface_destroy(surface);
  return out;
}

// The image as a host world of `format`.
std::unique_ptr<HostWorld> ToWorld(const Argb8Image& image, PF_PixelFormat format) {
  auto world = std::make_unique<HostWorld>(image.width, image.height, format);
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      const unsigned char* p = &image.pixels[(size_t(y) * image.width + x) * 4];
      if (format == PF_PixelFormat_ARGB32) {
        world->Pixel8(x, y) = {p[0], p[1], p[2], p[3]};
      } else if (format == PF_PixelFormat_ARGB64) {
        auto c = [](unsigned char v) { return A_u_short((v * 32768 + 127) / 255); };
        world->Pixel16(x, y) = {c(p[0]), c(p[1]), c(p[2]), c(p[3])};
      } else {
        auto c = [](unsigned char v) { return PF_FpShort(v / 255.0); };
        world->PixelFloat(x, y) = {c(p[0]), c(p[1]), c(p[2]), c(p[3])};
      }
    }
  }
  return world;
}

}  // namespace

std::unique_ptr<HostWorld> SampleLayerWorld(int number, PixelSize size, PF_PixelFormat format) {
  return ToWorld(SampleLayer(number, size.width, size.height), format);
}

std::vector<PixelSize> SampleSizes(size_t layoutIndex, const RenderOptions& o, size_t frameCount) {
  const LayoutRegistry& registry = LayoutRegistry::instance();
  GridLayoutModel model(*registry.templateAt(layoutIndex), LayoutSize{double(o.size.width), double(o.size.height)},
                        int32_t(layoutIndex));
  model.setSpacing(float(o.edgeInset));
  std::vector<PixelSize> sizes(frameCount, o.size);
  for (size_t k = 0; k < frameCount && k < model.frames.size(); ++k) {
    double left = INFINITY, top = INFINITY, right = -INFINITY, bottom = -INFINITY;
    for (const Polygon& polygon : model.frames[k]->insetPolygons) {
      for (const Vec2d& p : polygon) {
        left = std::min(left, p.x);
        top = std::min(top, p.y);
        right = std::max(right, p.x);
        bottom = std::max(bottom, p.y);
      }
    }
    if (!(right > left && bottom > top)) continue;
    const auto side = [](double length, int most) { return int(std::clamp(std::ceil(length), 16.0, double(most))); };
    sizes[k] = {side(right - left, o.size.width), side(bottom - top, o.size.height)};
  }
  return sizes;
}

}  // namespace Orvane::Mosaira::Cli
