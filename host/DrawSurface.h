// The picture a draw event draws on: 8-bit pixels of one window (the composition window, the
// layer window or the effect-controls panel), drawn with Cairo and saved as PNG. The Windows build
// has no Cairo: there a surface holds no pixels (Valid() false, Cairo() null, every pixel 0), the
// Drawbot drawing calls on it are recorded but paint nothing (DrawbotDrawingNone.cpp), and SavePng
// reports that nothing can be written.
#pragma once

#include <string>

#include "sdk/sdk.h"

// Cairo's own opaque types, as cairo.h declares them.
typedef struct _cairo cairo_t;
typedef struct _cairo_surface cairo_surface_t;

namespace Orvane::Mosaira {

class HostWorld;

class DrawSurface {
 public:
  // Largest side the host makes a window.
  static constexpr A_long kMaxSide = 16384;

  // A transparent surface; a size outside 1..kMaxSide gives an invalid one (Valid() false) that
  // nothing can draw on.
  DrawSurface(A_long width, A_long height);
  ~DrawSurface();
  DrawSurface(const DrawSurface&) = delete;
  DrawSurface& operator=(const DrawSurface&) = delete;

  bool Valid() const { return cr_ != nullptr; }
  A_long Width() const { return width_; }
  A_long Height() const { return height_; }
  // Paints every pixel with one colour (channels 0 to 1, clamped).
  void Fill(double red, double green, double blue, double alpha = 1.0);
  // Paints an 8-bit world scaled by `zoom` with its origin at (panX, panY) frame pixels, as a
  // window shows a picture. False (nothing painted) for a world that is not 8-bit or a zoom that
  // is not a positive finite number.
  bool PaintWorld(HostWorld& world, double zoom, double panX, double panY);
  // The pixel at (x, y) as straight (not premultiplied) alpha, red, green, blue; all 0 outside.
  PF_Pixel8 Pixel(A_long x, A_long y) const;
  // Writes the surface as an 8-bit RGBA PNG. False, with the reason in *error, when it cannot.
  bool SavePng(const std::string& path, std::string* error) const;

  // The Cairo context that draws on the surface (null when invalid); owned by the surface.
  cairo_t* Cairo() const { return cr_; }

 private:
  A_long width_ = 0, height_ = 0;
  cairo_surface_t* surface_ = nullptr;
  cairo_t* cr_ = nullptr;
};

}  // namespace Orvane::Mosaira
