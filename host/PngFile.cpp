#include "host/PngFile.h"

#include <png.h>

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <vector>

namespace Orvane::Mosaira {
namespace {

// One channel (0 alpha, 1 red, 2 green, 3 blue) as a fraction of white, clamped to [0, 1].
double Channel(HostWorld& w, int x, int y, int c) {
  double v = 0;
  if (w.Format() == PF_PixelFormat_ARGB32) {
    const PF_Pixel8& p = w.Pixel8(x, y);
    const unsigned char ch[4] = {p.alpha, p.red, p.green, p.blue};
    v = ch[c] / 255.0;
  } else if (w.Format() == PF_PixelFormat_ARGB64) {
    const PF_Pixel16& p = w.Pixel16(x, y);
    const A_u_short ch[4] = {p.alpha, p.red, p.green, p.blue};
    v = ch[c] / 32768.0;
  } else {
    const PF_PixelFloat& p = w.PixelFloat(x, y);
    const float ch[4] = {p.alpha, p.red, p.green, p.blue};
    v = ch[c];
  }
  return std::isfinite(v) ? std::clamp(v, 0.0, 1.0) : 0.0;
}

void FillRow(HostWorld& w, int y, bool deep, std::vector<unsigned char>* row) {
  const int order[4] = {1, 2, 3, 0};  // r, g, b, a
  unsigned char* o = row->data();
  for (int x = 0; x < w.Width(); ++x) {
    for (int c : order) {
      const double v = Channel(w, x, y, c);
      if (deep) {
        const unsigned v16 = unsigned(std::lround(v * 65535.0));
        *o++ = (v16 >> 8) & 0xFF;  // PNG stores samples big-endian
        *o++ = v16 & 0xFF;
      } else {
        *o++ = static_cast<unsigned char>(std::lround(v * 255.0));
      }
    }
  }
}

// The libpng part; false when libpng reports an error. Kept free of C++ objects with destructors
// between setjmp and a possible longjmp.
bool WriteRows(FILE* file, HostWorld& w, bool deep, std::vector<unsigned char>* row) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (png == nullptr || info == nullptr || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_init_io(png, file);
  png_set_IHDR(png, info, png_uint_32(w.Width()), png_uint_32(w.Height()), deep ? 16 : 8, PNG_COLOR_TYPE_RGBA,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < w.Height(); ++y) {
    FillRow(w, y, deep, row);
    png_write_row(png, row->data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

}  // namespace

bool WritePng(HostWorld& world, const std::string& path, std::string* error) {
  const auto fail = [&](const char* why) {
    if (error) *error = "cannot write " + path + ": " + why;
    return false;
  };
  if (world.Width() < 1 || world.Height() < 1) return fail("empty picture");
  const bool deep = world.Format() != PF_PixelFormat_ARGB32;
  std::vector<unsigned char> row(size_t(world.Width()) * (deep ? 8 : 4));
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return fail("cannot open");
  const bool written = WriteRows(file, world, deep, &row);
  if (std::fclose(file) != 0 || !written) {
    std::remove(path.c_str());
    return fail("write failed");
  }
  return true;
}

}  // namespace Orvane::Mosaira
