#include "host/PngFile.h"

#include <spng.h>
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "host/AtomicFile.h"

namespace Orvane::Mosaira {
namespace {

// Largest ancillary chunk kept and all of them together: text and profiles of a layer are never
// used, so a file full of them is not worth its memory.
constexpr size_t kChunkLimitBytes = size_t(1) << 20;
constexpr size_t kChunkCacheBytes = size_t(4) << 20;
// Deflate never shrinks data more than this (a run of one byte: 258 bytes in about 2 bits).
constexpr double kMaxDeflateRatio = 1032.0;
constexpr int kChannels = 4;

struct CtxDeleter {
  void operator()(spng_ctx* ctx) const { spng_ctx_free(ctx); }
};
using Ctx = std::unique_ptr<spng_ctx, CtxDeleter>;

struct FileCloser {
  void operator()(FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<FILE, FileCloser>;

int SamplesPerPixel(uint8_t colorType) {
  switch (colorType) {
    case SPNG_COLOR_TYPE_GRAYSCALE_ALPHA: return 2;
    case SPNG_COLOR_TYPE_TRUECOLOR: return 3;
    case SPNG_COLOR_TYPE_TRUECOLOR_ALPHA: return 4;
    default: return 1;
  }
}

// A decoder of the stream set on `ctx`, with its limits; empty text when the header passes.
std::string CheckHeader(spng_ctx* ctx, double streamBytes, const PngLimits& limits, spng_ihdr* ihdr) {
  const uint32_t side = uint32_t(std::max<A_long>(limits.maxSide, 1));
  spng_set_image_limits(ctx, side, side);
  spng_set_chunk_limits(ctx, kChunkLimitBytes, kChunkCacheBytes);
  const int err = spng_get_ihdr(ctx, ihdr);
  if (err == SPNG_EWIDTH || err == SPNG_EHEIGHT || err == SPNG_EUSER_WIDTH || err == SPNG_EUSER_HEIGHT) {
    return "larger than a layer may be (" + std::to_string(side) + " pixels a side)";
  }
  if (err != 0) return spng_strerror(err);
  const double pixels = double(ihdr->width) * ihdr->height;
  if (pixels > limits.maxPixels) return "larger than a layer may be";
  const double rowBytes = std::ceil(double(ihdr->width) * SamplesPerPixel(ihdr->color_type) * ihdr->bit_depth / 8);
  if ((rowBytes + 1) * ihdr->height > streamBytes * kMaxDeflateRatio) {
    return "too short for the " + std::to_string(ihdr->width) + "x" + std::to_string(ihdr->height) +
           " pixels it declares";
  }
  return "";
}

// One sample of a decoded buffer (8 or 16 bits, host order).
template <typename Sample>
Sample At(const std::vector<uint8_t>& buffer, size_t index) {
  Sample s;
  std::copy_n(&buffer[index * sizeof(Sample)], sizeof(Sample), reinterpret_cast<uint8_t*>(&s));
  return s;
}

// The decoded samples (r, g, b, a; `maxSample` is white) stored into the world.
template <typename Sample>
void Store(const std::vector<uint8_t>& buffer, unsigned maxSample, HostWorld* world) {
  const auto to8 = [&](unsigned v) { return A_u_char((v * 255 + maxSample / 2) / maxSample); };
  const auto to16 = [&](unsigned v) { return A_u_short((v * 32768ull + maxSample / 2) / maxSample); };
  const auto toFloat = [&](unsigned v) { return PF_FpShort(double(v) / maxSample); };
  for (A_long y = 0; y < world->Height(); ++y) {
    for (A_long x = 0; x < world->Width(); ++x) {
      const size_t i = (size_t(y) * size_t(world->Width()) + size_t(x)) * kChannels;
      const unsigned r = At<Sample>(buffer, i), g = At<Sample>(buffer, i + 1), b = At<Sample>(buffer, i + 2),
                     a = At<Sample>(buffer, i + 3);
      if (world->Format() == PF_PixelFormat_ARGB32) {
        world->Pixel8(x, y) = {to8(a), to8(r), to8(g), to8(b)};
      } else if (world->Format() == PF_PixelFormat_ARGB64) {
        world->Pixel16(x, y) = {to16(a), to16(r), to16(g), to16(b)};
      } else {
        world->PixelFloat(x, y) = {toFloat(a), toFloat(r), toFloat(g), toFloat(b)};
      }
    }
  }
}

// Decodes the stream set on `ctx` (`streamBytes` long); `name` for messages.
std::unique_ptr<HostWorld> Decode(spng_ctx* ctx, double streamBytes, PF_PixelFormat format, const PngLimits& limits,
                                  const std::string& name, std::string* error) {
  const auto fail = [&](const std::string& why) {
    if (error) *error = "cannot read " + name + ": " + why;
    return nullptr;
  };
  if (HostWorld::BytesPerPixel(format) == 0) return fail("no such pixel format");
  spng_ihdr ihdr{};
  const std::string why = CheckHeader(ctx, streamBytes, limits, &ihdr);
  if (!why.empty()) return fail(why);
  const bool deep = ihdr.bit_depth == 16;
  const int fmt = deep ? SPNG_FMT_RGBA16 : SPNG_FMT_RGBA8;
  size_t length = 0;
  if (const int err = spng_decoded_image_size(ctx, fmt, &length)) return fail(spng_strerror(err));
  std::vector<uint8_t> buffer(length);
  if (const int err = spng_decode_image(ctx, buffer.data(), buffer.size(), fmt, SPNG_DECODE_TRNS)) {
    return fail(spng_strerror(err));
  }
  auto world = std::make_unique<HostWorld>(A_long(ihdr.width), A_long(ihdr.height), format);
  if (deep) {
    Store<uint16_t>(buffer, 65535, world.get());
  } else {
    Store<uint8_t>(buffer, 255, world.get());
  }
  return world;
}

// The file opened for a decoder, with its size; null with *error set when it cannot be.
File OpenForReading(const std::string& path, double* bytes, std::string* error) {
  struct stat st {};
  if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
    if (error) *error = "cannot read " + path + (S_ISDIR(st.st_mode) ? ": is a folder" : ": no such file");
    return nullptr;
  }
  *bytes = double(st.st_size);
  File file(std::fopen(path.c_str(), "rb"));
  if (!file && error) *error = "cannot read " + path + ": cannot open";
  return file;
}

// --- Writing ---------------------------------------------------------------------------------------

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

// Row y as libspng takes it: r, g, b, a; 16-bit samples in host order (it stores them big-endian).
void FillRow(HostWorld& w, int y, bool deep, std::vector<unsigned char>* row) {
  const int order[4] = {1, 2, 3, 0};
  unsigned char* o = row->data();
  for (int x = 0; x < w.Width(); ++x) {
    for (int c : order) {
      const double v = Channel(w, x, y, c);
      if (deep) {
        const uint16_t v16 = uint16_t(std::lround(v * 65535.0));
        std::copy_n(reinterpret_cast<const unsigned char*>(&v16), 2, o);
        o += 2;
      } else {
        *o++ = static_cast<unsigned char>(std::lround(v * 255.0));
      }
    }
  }
}

// Encodes the world row by row into `file`; the libspng error, 0 when all went well.
int Encode(HostWorld& world, bool deep, FILE* file) {
  Ctx ctx(spng_ctx_new(SPNG_CTX_ENCODER));
  if (!ctx) return SPNG_EMEM;
  spng_ihdr ihdr{};
  ihdr.width = uint32_t(world.Width());
  ihdr.height = uint32_t(world.Height());
  ihdr.bit_depth = deep ? 16 : 8;
  ihdr.color_type = SPNG_COLOR_TYPE_TRUECOLOR_ALPHA;
  int err = spng_set_png_file(ctx.get(), file);
  if (err == 0) err = spng_set_ihdr(ctx.get(), &ihdr);
  if (err == 0) err = spng_encode_image(ctx.get(), nullptr, 0, SPNG_FMT_PNG, SPNG_ENCODE_PROGRESSIVE | SPNG_ENCODE_FINALIZE);
  std::vector<unsigned char> row(size_t(world.Width()) * (deep ? 8 : 4));
  for (int y = 0; err == 0 && y < world.Height(); ++y) {
    FillRow(world, y, deep, &row);
    err = spng_encode_row(ctx.get(), row.data(), row.size());
  }
  return err == SPNG_EOI ? 0 : err;
}

}  // namespace

bool ReadPngHeader(const std::string& path, const PngLimits& limits, PngHeader* header, std::string* error) {
  double bytes = 0;
  File file = OpenForReading(path, &bytes, error);
  if (!file) return false;
  Ctx ctx(spng_ctx_new(0));
  spng_ihdr ihdr{};
  const std::string why = !ctx ? "out of memory"
                          : spng_set_png_file(ctx.get(), file.get()) != 0
                              ? "cannot read"
                              : CheckHeader(ctx.get(), bytes, limits, &ihdr);
  if (!why.empty()) {
    if (error) *error = "cannot read " + path + ": " + why;
    return false;
  }
  *header = {A_long(ihdr.width), A_long(ihdr.height), ihdr.bit_depth};
  return true;
}

std::unique_ptr<HostWorld> ReadPngWorld(const std::string& path, PF_PixelFormat format, const PngLimits& limits,
                                        std::string* error) {
  double bytes = 0;
  File file = OpenForReading(path, &bytes, error);
  if (!file) return nullptr;
  Ctx ctx(spng_ctx_new(0));
  if (!ctx || spng_set_png_file(ctx.get(), file.get()) != 0) {
    if (error) *error = "cannot read " + path + ": out of memory";
    return nullptr;
  }
  return Decode(ctx.get(), bytes, format, limits, path, error);
}

std::unique_ptr<HostWorld> DecodePngWorld(const uint8_t* data, size_t size, PF_PixelFormat format,
                                          const PngLimits& limits, std::string* error) {
  Ctx ctx(spng_ctx_new(0));
  if (!ctx || spng_set_png_buffer(ctx.get(), data, size) != 0) {
    if (error) *error = "cannot read PNG data: no data";
    return nullptr;
  }
  return Decode(ctx.get(), double(size), format, limits, "PNG data", error);
}

bool WritePng(HostWorld& world, const std::string& path, std::string* error) {
  if (world.Width() < 1 || world.Height() < 1) {
    if (error) *error = "cannot write " + path + ": empty picture";
    return false;
  }
  AtomicFile out(path);
  const int err = out.File() ? Encode(world, world.Format() != PF_PixelFormat_ARGB32, out.File()) : 0;
  if (out.File() && err != 0) {
    if (error) *error = "cannot write " + path + ": " + spng_strerror(err);
    return false;
  }
  if (!out.Commit()) {
    if (error) *error = out.Error();
    return false;
  }
  return true;
}

}  // namespace Orvane::Mosaira
