#include "host/PngFile.h"

#include <spng.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "host/AtomicFile.h"

namespace Orvane::Mosaira {
namespace {

// Largest ancillary chunk the decoder keeps and all of them together; decoded images reach it
// with tRNS alone (LayerChunks), a header read straight from a file with whatever follows IHDR.
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

// The chunks a layer needs: every critical chunk (an unknown one is then refused by the decoder)
// and tRNS. Other ancillary chunks (profiles, text, metadata) are never used, so they are
// dropped before decoding, however large: they are no reason to refuse a picture, and no reason
// to hold their bytes either.
constexpr size_t kSignatureBytes = 8, kChunkFraming = 12;  // length, type, CRC
bool LayerNeeds(const uint8_t* type) { return (type[0] & 0x20) == 0 || std::equal(type, type + 4, "tRNS"); }
size_t ChunkLength(const uint8_t* at) {
  return size_t(at[0]) << 24 | size_t(at[1]) << 16 | size_t(at[2]) << 8 | at[3];
}

// LayerChunks of a stream in memory. A stream whose chunks do not add up is passed on as it
// stands from there, for the decoder to refuse.
std::vector<uint8_t> LayerChunks(const uint8_t* data, size_t size) {
  std::vector<uint8_t> out(data, data + std::min(size, kSignatureBytes));
  size_t at = out.size();
  while (size - at >= kChunkFraming) {
    const size_t length = ChunkLength(data + at);
    if (length > size - at - kChunkFraming) break;
    if (LayerNeeds(data + at + 4)) out.insert(out.end(), data + at, data + at + kChunkFraming + length);
    at += kChunkFraming + length;
  }
  out.insert(out.end(), data + at, data + size);
  return out;
}

// The most compressed image data a header can need: its filtered rows stored uncompressed (5
// bytes of framing per 65535), with room for the palette and the stream's own framing.
double MostImageBytes(const uint8_t* ihdr) {
  const double width = double(ChunkLength(ihdr)), height = double(ChunkLength(ihdr + 4));
  const double rowBytes = std::ceil(width * SamplesPerPixel(ihdr[9]) * ihdr[8] / 8.0) + 1;
  return rowBytes * height * (1.0 + 5.0 / 65535.0) + double(1 << 20);
}

// LayerChunks of a file, read chunk by chunk: what is dropped is skipped, never read, and the
// chunks kept may not hold more than the header's image can need. Their framing is counted apart
// (an encoder may cut the image data in chunks as small as it likes), within a bound of the same
// size: at most as many framing bytes as data bytes the image can need. Empty text when read.
std::string ReadLayerChunks(FILE* file, std::vector<uint8_t>* out) {
  out->resize(kSignatureBytes);
  out->resize(std::fread(out->data(), 1, kSignatureBytes, file));
  double most = double(1 << 20);  // until the header says more
  double payload = 0, framing = 0;
  uint8_t head[8];
  while (std::fread(head, 1, sizeof head, file) == sizeof head) {
    const size_t length = ChunkLength(head), at = out->size();
    const bool kept = LayerNeeds(head + 4);
    if (kept && payload + double(length) > most) return "more image data than its size needs";
    if (kept && framing + double(kChunkFraming) > most) return "more chunks than its image data can need";
    if (kept) {
      payload += double(length);
      framing += double(kChunkFraming);
    }
    if (!kept && length < 0x80000000u && std::fseek(file, long(length + 4), SEEK_CUR) == 0) continue;
    out->insert(out->end(), head, head + sizeof head);
    if (length >= 0x80000000u) break;  // not a chunk length: left for the decoder to refuse
    out->resize(at + sizeof head + length + 4);
    const size_t got = std::fread(out->data() + at + sizeof head, 1, length + 4, file);
    out->resize(at + sizeof head + got);
    if (got < length + 4) break;
    if (std::equal(head + 4, head + 8, "IHDR") && length == 13) most = MostImageBytes(out->data() + at + sizeof head);
    if (std::equal(head + 4, head + 8, "IEND")) break;
  }
  if (std::ferror(file)) return std::strerror(errno);
  return "";
}

// Whether the stream's header declares a side of 0 (the decoder only calls such a size invalid).
bool DeclaresEmpty(const uint8_t* data, size_t size) {
  if (size < 24 || !std::equal(data + 12, data + 16, "IHDR")) return false;
  const auto zero = [&](size_t at) { return data[at] == 0 && data[at + 1] == 0 && data[at + 2] == 0 && data[at + 3] == 0; };
  return zero(16) || zero(20);
}

// A decoder of the stream set on `ctx`, with its limits; empty text when the header passes.
// `head` holds the stream's first bytes (at least 24 when it is that long).
std::string CheckHeader(spng_ctx* ctx, const uint8_t* head, size_t headBytes, double streamBytes,
                        const PngLimits& limits, spng_ihdr* ihdr) {
  const uint32_t side = uint32_t(std::max<A_long>(limits.maxSide, 1));
  spng_set_image_limits(ctx, side, side);
  spng_set_chunk_limits(ctx, kChunkLimitBytes, kChunkCacheBytes);
  const int err = spng_get_ihdr(ctx, ihdr);
  if ((err == SPNG_EWIDTH || err == SPNG_EHEIGHT) && DeclaresEmpty(head, headBytes)) {
    return "empty image (no pixels)";
  }
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

// Palette indices as stored (rows packed at the file's bit depth) looked up in the palette and
// its tRNS alphas, into r, g, b, a bytes. The decoder itself would show an index beyond the
// palette as opaque black; such a file is damaged. Empty text when every index is in the palette.
std::string ExpandPalette(spng_ctx* ctx, const spng_ihdr& ihdr, const std::vector<uint8_t>& raw,
                          std::vector<uint8_t>* rgba) {
  spng_plte plte{};
  if (const int err = spng_get_plte(ctx, &plte)) return spng_strerror(err);
  spng_trns trns{};
  const uint32_t alphas = spng_get_trns(ctx, &trns) == 0 ? trns.n_type3_entries : 0;
  const unsigned depth = ihdr.bit_depth, perByte = 8 / depth, mask = (1u << depth) - 1;
  const size_t rowBytes = (size_t(ihdr.width) * depth + 7) / 8;
  if (raw.size() < rowBytes * ihdr.height) return "image data shorter than its rows";
  rgba->resize(size_t(ihdr.width) * ihdr.height * kChannels);
  uint8_t* o = rgba->data();
  for (size_t y = 0; y < ihdr.height; ++y) {
    for (size_t x = 0; x < ihdr.width; ++x) {
      const uint8_t byte = raw[y * rowBytes + x / perByte];
      const unsigned index = (byte >> ((perByte - 1 - x % perByte) * depth)) & mask;
      if (index >= plte.n_entries) return "palette index beyond the palette";
      *o++ = plte.entries[index].red;
      *o++ = plte.entries[index].green;
      *o++ = plte.entries[index].blue;
      *o++ = index < alphas ? trns.type3_alpha[index] : 255;
    }
  }
  return "";
}

// Decodes the image of `ctx` into r, g, b, a samples of 8 bits (16 for 16-bit files), then reads
// the chunks after it, whose checks (the image data's own CRC among them) it must pass too.
std::string DecodeSamples(spng_ctx* ctx, const spng_ihdr& ihdr, std::vector<uint8_t>* samples) {
  const bool indexed = ihdr.color_type == SPNG_COLOR_TYPE_INDEXED;
  const int fmt = indexed ? SPNG_FMT_RAW : ihdr.bit_depth == 16 ? SPNG_FMT_RGBA16 : SPNG_FMT_RGBA8;
  size_t length = 0;
  if (const int err = spng_decoded_image_size(ctx, fmt, &length)) return spng_strerror(err);
  std::vector<uint8_t> buffer(length);
  int err = spng_decode_image(ctx, buffer.data(), buffer.size(), fmt, indexed ? 0 : SPNG_DECODE_TRNS);
  if (err == 0) err = spng_decode_chunks(ctx);
  if (err != 0) return spng_strerror(err);
  if (indexed) return ExpandPalette(ctx, ihdr, buffer, samples);
  *samples = std::move(buffer);
  return "";
}

// Decodes a stream of the chunks a layer needs (LayerChunks); `name` for messages.
std::unique_ptr<HostWorld> Decode(const std::vector<uint8_t>& stream, PF_PixelFormat format, const PngLimits& limits,
                                  const std::string& name, std::string* error) {
  const auto fail = [&](const std::string& why) {
    if (error) *error = "cannot read " + name + ": " + why;
    return nullptr;
  };
  if (HostWorld::BytesPerPixel(format) == 0) return fail("no such pixel format");
  Ctx ctx(spng_ctx_new(0));
  if (!ctx || spng_set_png_buffer(ctx.get(), stream.data(), stream.size()) != 0) return fail("no data");
  spng_ihdr ihdr{};
  std::string why = CheckHeader(ctx.get(), stream.data(), stream.size(), double(stream.size()), limits, &ihdr);
  std::vector<uint8_t> samples;
  if (why.empty()) why = DecodeSamples(ctx.get(), ihdr, &samples);
  if (!why.empty()) return fail(why);
  auto world = std::make_unique<HostWorld>(A_long(ihdr.width), A_long(ihdr.height), format);
  if (ihdr.bit_depth == 16) {
    Store<uint16_t>(samples, 65535, world.get());
  } else {
    Store<uint8_t>(samples, 255, world.get());
  }
  return world;
}

// The file opened for a decoder, with its size; null with *error set when it cannot be.
File OpenForReading(const std::string& path, double* bytes, std::string* error) {
  struct stat st {};
  const char* why = nullptr;
  if (stat(path.c_str(), &st) != 0) {
    why = std::strerror(errno);
  } else if (!S_ISREG(st.st_mode)) {
    why = S_ISDIR(st.st_mode) ? "is a folder" : "not a regular file";
  }
  File file(why == nullptr ? std::fopen(path.c_str(), "rb") : nullptr);
  if (why == nullptr && !file) why = std::strerror(errno);
  if (why != nullptr && error) *error = "cannot read " + path + ": " + why;
  *bytes = double(st.st_size);
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
  uint8_t head[24] = {};
  const size_t headBytes = std::fread(head, 1, sizeof head, file.get());
  std::rewind(file.get());
  Ctx ctx(spng_ctx_new(0));
  spng_ihdr ihdr{};
  const std::string why = !ctx ? "out of memory"
                          : spng_set_png_file(ctx.get(), file.get()) != 0
                              ? "cannot read"
                              : CheckHeader(ctx.get(), head, headBytes, bytes, limits, &ihdr);
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
  std::vector<uint8_t> stream;
  const std::string why = ReadLayerChunks(file.get(), &stream);
  if (!why.empty()) {
    if (error) *error = "cannot read " + path + ": " + why;
    return nullptr;
  }
  return Decode(stream, format, limits, path, error);
}

std::unique_ptr<HostWorld> DecodePngWorld(const uint8_t* data, size_t size, PF_PixelFormat format,
                                          const PngLimits& limits, std::string* error) {
  if (data == nullptr) size = 0;
  return Decode(LayerChunks(data, size), format, limits, "PNG data", error);
}

bool WritePng(HostWorld& world, const std::string& path, std::string* error) {
  if (world.Width() < 1 || world.Height() < 1) {
    if (error) *error = "cannot write " + path + ": empty picture";
    return false;
  }
  AtomicFile out(path);
  const int err = out.File() ? Encode(world, world.Format() != PF_PixelFormat_ARGB32, out.File()) : 0;
  if (out.File() && err != 0) {
    // A failed write says why in the system's words; libspng only knows that its stream failed.
    const std::string why = out.WriteFailure();
    if (error) *error = "cannot write " + path + ": " + (why.empty() ? spng_strerror(err) : why);
    return false;
  }
  if (!out.Commit()) {
    if (error) *error = out.Error();
    return false;
  }
  return true;
}

}  // namespace Orvane::Mosaira
