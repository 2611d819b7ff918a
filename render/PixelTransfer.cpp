#include "render/PixelTransfer.h"

#include <glbinding/gl33core/gl.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "render/GlName.h"
#include "sdk/HostCalls.h"

using namespace gl33core;

namespace Orvane::Mosaira {
namespace {

constexpr A_long kChannels = 4;

[[noreturn]] void BadParam() { throw static_cast<PF_Err>(PF_Err_BAD_CALLBACK_PARAM); }

// A world the transfer can walk: sizes not negative, rows long enough for their pixels.
void CheckWorld(const PF_EffectWorld* world, int bytesPerPixel) {
  if (world == nullptr || world->width < 0 || world->height < 0) BadParam();
  if (static_cast<long long>(world->rowbytes) < static_cast<long long>(world->width) * bytesPerPixel) BadParam();
}

// The address of the first pixel of an 8-bit or 16-bit world, as the host's utility callbacks
// give it. A world the host gives no address for is not read or written.
char* FirstPixel(PF_InData* in_data, PF_EffectWorld* world, PF_PixelFormat code) {
  if (in_data == nullptr || in_data->utils == nullptr) BadParam();
  void* address = nullptr;
  if (code == PF_PixelFormat_ARGB32 && in_data->utils->get_pixel_data8 != nullptr) {
    in_data->utils->get_pixel_data8(world, nullptr, reinterpret_cast<PF_Pixel8**>(&address));
  } else if (code == PF_PixelFormat_ARGB64 && in_data->utils->get_pixel_data16 != nullptr) {
    in_data->utils->get_pixel_data16(world, nullptr, reinterpret_cast<PF_Pixel16**>(&address));
  }
  if (address == nullptr) BadParam();
  return static_cast<char*>(address);
}

// The pixel of `refcon`'s buffer at (x, y); null outside its world.
PF_PixelFloat* BufferPixel(void* refcon, A_long x, A_long y) {
  const auto* copy = static_cast<const FloatCopyRefcon*>(refcon);
  if (copy == nullptr || copy->pixels == nullptr || copy->world == nullptr) return nullptr;
  const PF_EffectWorld& world = *copy->world;
  if (x < 0 || y < 0 || x >= world.width || y >= world.height) return nullptr;
  return copy->pixels + static_cast<std::ptrdiff_t>(y) * world.width + x;
}

// Walks the whole of `source` through the host's float iteration, `destination` as its
// destination world. The suite is held for this one call; an error of the walk is thrown.
void IterateFloat(PF_InData* in_data, PF_EffectWorld* source, FloatCopyRefcon* refcon,
                  PF_IteratePixelFloatFunc copy, PF_EffectWorld* destination) {
  PF_Err err = PF_Err_NONE;
  {
    ScopedSuite<PF_iterateFloatSuite1> suite(in_data, kPFIterateFloatSuite, kPFIterateFloatSuiteVersion1);
    if (suite->iterate == nullptr) throw kMissingSuiteError;
    err = suite->iterate(in_data, 0, source->height, source, nullptr, refcon, copy, destination);
  }
  if (err != PF_Err_NONE) throw err;
}

// A float layer packed row after row, through the host's iteration. The buffer starts zeroed: a
// pixel the host does not hand over reads as transparent black.
std::vector<PF_PixelFloat> PackedFloatPixels(PF_InData* in_data, PF_EffectWorld* layer, PF_EffectWorld* destination) {
  std::vector<PF_PixelFloat> pixels;
  try {
    pixels.resize(static_cast<std::size_t>(layer->width) * static_cast<std::size_t>(layer->height));
  } catch (const std::bad_alloc&) {
    throw static_cast<PF_Err>(PF_Err_OUT_OF_MEMORY);
  }
  // The host walks only what both worlds have: a destination smaller than the layer would leave
  // the rest of the layer out, so the layer is then its own destination (the copy writes neither).
  const bool covers = destination != nullptr && destination->width >= layer->width &&
                      destination->height >= layer->height;
  FloatCopyRefcon refcon{pixels.data(), layer};
  IterateFloat(in_data, layer, &refcon, CopyFloatPixelToBuffer, covers ? destination : layer);
  return pixels;
}

// Rows packed together, for a row length GL cannot express (not a whole number of pixels).
std::vector<char> PackedRows(const char* first, const PF_EffectWorld& world, int bytesPerPixel) {
  const std::size_t rowBytes = static_cast<std::size_t>(world.width) * bytesPerPixel;
  std::vector<char> packed(rowBytes * world.height);
  for (A_long y = 0; y < world.height; ++y) {
    std::memcpy(packed.data() + y * rowBytes, first + static_cast<std::ptrdiff_t>(y) * world.rowbytes, rowBytes);
  }
  return packed;
}

void UploadPixels(A_long width, A_long height, GLint rowLength, GLenum type, const void* pixels) {
  glPixelStorei(GL_UNPACK_ROW_LENGTH, rowLength);
  glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width, height, GL_RGBA, type, pixels);
}

// The whole factor by which a layer must shrink to fit the driver's largest texture; 1 when it fits.
int ReductionFactor(const PF_EffectWorld& layer) {
  GLint most = 0;
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &most);
  const A_long longest = std::max(layer.width, layer.height);
  if (most <= 0 || longest <= most) return 1;
  return static_cast<int>((longest + most - 1) / most);
}

A_long Reduced(A_long side, int factor) { return (side + factor - 1) / factor; }

// The channels of a width x height layer reduced by `factor` both ways, each texel the mean of
// its block; `readRow(y, row)` fills row y as width x 4 floats in memory order.
template <typename ReadRow>
std::vector<float> ReducedPixels(A_long width, A_long height, int factor, ReadRow readRow) {
  const A_long w = Reduced(width, factor);
  const A_long h = Reduced(height, factor);
  std::vector<float> reduced(static_cast<std::size_t>(w) * h * kChannels);
  std::vector<float> row(static_cast<std::size_t>(width) * kChannels);
  std::vector<double> sums(static_cast<std::size_t>(w) * kChannels);
  std::vector<int> counts(static_cast<std::size_t>(w));
  for (A_long ry = 0; ry < h; ++ry) {
    std::fill(sums.begin(), sums.end(), 0.0);
    std::fill(counts.begin(), counts.end(), 0);
    for (A_long y = ry * factor; y < std::min<A_long>(height, (ry + 1) * factor); ++y) {
      readRow(y, row.data());
      for (A_long x = 0; x < width; ++x) {
        for (A_long c = 0; c < kChannels; ++c) sums[(x / factor) * kChannels + c] += row[x * kChannels + c];
        ++counts[x / factor];
      }
    }
    float* out = &reduced[static_cast<std::size_t>(ry) * w * kChannels];
    for (A_long i = 0; i < w * kChannels; ++i) out[i] = static_cast<float>(sums[i] / counts[i / kChannels]);
  }
  return reduced;
}

// The reduced texels of an 8-bit or 16-bit layer, on the scale of its full-size texture (16-bit
// white 32768 as 32768/65535).
std::vector<float> ReducedIntegerPixels(PF_PixelFormat code, PF_EffectWorld* layer, PF_InData* in_data, int factor) {
  const char* first = FirstPixel(in_data, layer, code);
  const std::size_t channels = static_cast<std::size_t>(layer->width) * kChannels;
  const bool wide = code == PF_PixelFormat_ARGB64;
  const float white = wide ? 65535.0f : 255.0f;
  std::vector<unsigned char> bytes(channels * (wide ? 2 : 1));
  const auto readRow = [&](A_long y, float* row) {
    std::memcpy(bytes.data(), first + static_cast<std::ptrdiff_t>(y) * layer->rowbytes, bytes.size());
    for (std::size_t i = 0; i < channels; ++i) {
      A_u_short value = bytes[i];
      if (wide) std::memcpy(&value, &bytes[i * 2], sizeof(value));
      row[i] = static_cast<float>(value) / white;
    }
  };
  return ReducedPixels(layer->width, layer->height, factor, readRow);
}

std::vector<float> ReducedFloatPixels(PF_EffectWorld* layer, PF_EffectWorld* destination, PF_InData* in_data,
                                      int factor) {
  const std::vector<PF_PixelFloat> packed = PackedFloatPixels(in_data, layer, destination);
  const auto readRow = [&](A_long y, float* row) {
    std::memcpy(row, &packed[static_cast<std::size_t>(y) * layer->width], layer->width * sizeof(PF_PixelFloat));
  };
  return ReducedPixels(layer->width, layer->height, factor, readRow);
}

// A new GL_RGBA32F texture of w x h texels, linear filtering, clamped to the edge, no contents
// yet, left bound to GL_TEXTURE_2D.
GlTexture NewLayerTexture(GLsizei w, GLsizei h) {
  GlTexture texture = GlTexture::Generate();
  glBindTexture(GL_TEXTURE_2D, texture.Get());
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, static_cast<GLint>(GL_LINEAR));
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, static_cast<GLint>(GL_LINEAR));
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, static_cast<GLint>(GL_CLAMP_TO_EDGE));
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, static_cast<GLint>(GL_CLAMP_TO_EDGE));
  glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(GL_RGBA32F), w, h, 0, GL_RGBA, GL_FLOAT, nullptr);
  return texture;
}

// The layer's pixels into the bound texture of its size (or of the reduced size when factor > 1).
void UploadLayerPixels(const PixelLayout& layout, PF_EffectWorld* layer, PF_EffectWorld* destination,
                       PF_InData* in_data, int factor) {
  if (factor > 1) {
    const std::vector<float> reduced = layout.code == PF_PixelFormat_ARGB128
                                           ? ReducedFloatPixels(layer, destination, in_data, factor)
                                           : ReducedIntegerPixels(layout.code, layer, in_data, factor);
    const A_long w = Reduced(layer->width, factor);
    UploadPixels(w, Reduced(layer->height, factor), w, GL_FLOAT, reduced.data());
  } else if (layout.code == PF_PixelFormat_ARGB128) {
    const std::vector<PF_PixelFloat> packed = PackedFloatPixels(in_data, layer, destination);
    UploadPixels(layer->width, layer->height, layer->width, GL_FLOAT, packed.data());
  } else {
    // The row length absorbs the host's row padding; rows of no whole number of pixels go up
    // packed, as GL cannot step by them.
    const char* first = FirstPixel(in_data, layer, layout.code);
    if (layer->rowbytes % layout.bytesPerPixel == 0) {
      UploadPixels(layer->width, layer->height, layer->rowbytes / layout.bytesPerPixel, layout.transferType, first);
    } else {
      const std::vector<char> packed = PackedRows(first, *layer, layout.bytesPerPixel);
      UploadPixels(layer->width, layer->height, layer->width, layout.transferType, packed.data());
    }
  }
}

void ResetUnpackState() {
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  glBindTexture(GL_TEXTURE_2D, 0);
}

}  // namespace

bool PixelLayoutOf(PF_PixelFormat code, PixelLayout* layout) {
  switch (code) {
    case PF_PixelFormat_ARGB32:
      *layout = {code, 4, GL_UNSIGNED_BYTE, 1.0f, ColourStorage::kUnorm8};
      return true;
    case PF_PixelFormat_ARGB64:
      *layout = {code, 8, GL_UNSIGNED_SHORT, kMultiplier16Bit, ColourStorage::kUnorm16};
      return true;
    case PF_PixelFormat_ARGB128:
      *layout = {code, 16, GL_FLOAT, 1.0f, ColourStorage::kFloat32};
      return true;
    default:
      return false;
  }
}

PF_Err CopyFloatPixelToBuffer(void* refcon, A_long x, A_long y, PF_PixelFloat* in, PF_PixelFloat*) {
  PF_PixelFloat* pixel = BufferPixel(refcon, x, y);
  if (pixel != nullptr && in != nullptr) *pixel = *in;
  return PF_Err_NONE;
}

PF_Err CopyFloatPixelFromBuffer(void* refcon, A_long x, A_long y, PF_PixelFloat*, PF_PixelFloat* out) {
  const PF_PixelFloat* pixel = BufferPixel(refcon, x, y);
  if (pixel != nullptr && out != nullptr) *out = *pixel;
  return PF_Err_NONE;
}

GLuint UploadLayerTexture(PF_PixelFormat code, PF_EffectWorld* layer, PF_EffectWorld* destination,
                          PF_InData* in_data) {
  PixelLayout layout;
  if (!PixelLayoutOf(code, &layout)) BadParam();
  CheckWorld(layer, layout.bytesPerPixel);
  const int factor = ReductionFactor(*layer);
  GlTexture texture = NewLayerTexture(Reduced(layer->width, factor), Reduced(layer->height, factor));
  try {
    UploadLayerPixels(layout, layer, destination, in_data, factor);
  } catch (...) {
    ResetUnpackState();
    throw;
  }
  ResetUnpackState();
  glFinish();
  return texture.Release();
}

namespace {

// Copies the `rows` x `bytesPerRow` that the world has from the packed read buffer into the
// world's rows, leaving the padding after each row alone.
void CopyRowsToWorld(const char* buffer, std::size_t bufferRowBytes, char* first, const PF_EffectWorld& world,
                     A_long rows, std::size_t bytesPerRow) {
  for (A_long y = 0; y < rows; ++y) {
    std::memcpy(first + static_cast<std::ptrdiff_t>(y) * world.rowbytes, buffer + y * bufferRowBytes, bytesPerRow);
  }
}

void CheckDownload(A_long width, A_long height, PF_EffectWorld* input, PF_EffectWorld* output,
                   const PixelLayout& layout, int bytesPerPixel, GLenum transferType) {
  if (bytesPerPixel != layout.bytesPerPixel || transferType != layout.transferType) BadParam();
  if (width < 0 || height < 0) BadParam();
  CheckWorld(output, layout.bytesPerPixel);
  // The float copy takes the buffer's row length and row count from the input world.
  if (layout.code == PF_PixelFormat_ARGB128 &&
      (input == nullptr || input->width != width || input->height != height)) {
    BadParam();
  }
}

}  // namespace

void DownloadOutputWorld(A_long width, A_long height, PF_EffectWorld* input, PF_EffectWorld* output,
                         PF_InData* in_data, PF_PixelFormat code, int bytesPerPixel, GLenum transferType) {
  PixelLayout layout;
  if (!PixelLayoutOf(code, &layout)) BadParam();
  CheckDownload(width, height, input, output, layout, bytesPerPixel, transferType);
  if (width == 0 || height == 0) return;  // nothing to read or write

  ScopedSuite<PF_HandleSuite2> handles(in_data, kPFHandleSuite, kPFHandleSuiteVersion2);
  const std::size_t bufferRowBytes = static_cast<std::size_t>(width) * bytesPerPixel;
  OwnedHandle buffer(handles.get(), static_cast<A_u_longlong>(bufferRowBytes) * static_cast<A_u_longlong>(height));
  ScopedHandleLock lock(handles.get(), buffer.get());
  char* bytes = static_cast<char*>(lock.bytes());
  if (bytes == nullptr) throw static_cast<PF_Err>(PF_Err_OUT_OF_MEMORY);  // not made or not locked

  glReadBuffer(GL_COLOR_ATTACHMENT0);
  glReadPixels(0, 0, width, height, GL_RGBA, transferType, bytes);
  if (code == PF_PixelFormat_ARGB128) {
    FloatCopyRefcon refcon{reinterpret_cast<PF_PixelFloat*>(bytes), input};
    IterateFloat(in_data, input, &refcon, CopyFloatPixelFromBuffer, output);
    return;
  }
  char* first = FirstPixel(in_data, output, code);
  const A_long rows = std::min(height, output->height);
  const A_long columns = std::min(width, output->width);
  CopyRowsToWorld(bytes, bufferRowBytes, first, *output, rows, static_cast<std::size_t>(columns) * bytesPerPixel);
}

}  // namespace Orvane::Mosaira
