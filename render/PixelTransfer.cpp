#include "render/PixelTransfer.h"

#include <glbinding/gl33core/gl.h>

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

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

char* FirstPixel(PF_InData* in_data, PF_EffectWorld* world, PF_PixelFormat code) {
  if (in_data == nullptr || in_data->utils == nullptr) BadParam();
  void* address = nullptr;
  if (code == PF_PixelFormat_ARGB32 && in_data->utils->get_pixel_data8 != nullptr) {
    in_data->utils->get_pixel_data8(world, nullptr, reinterpret_cast<PF_Pixel8**>(&address));
  } else if (code == PF_PixelFormat_ARGB64 && in_data->utils->get_pixel_data16 != nullptr) {
    in_data->utils->get_pixel_data16(world, nullptr, reinterpret_cast<PF_Pixel16**>(&address));
  } else if (code == PF_PixelFormat_ARGB128) {
    // The host has no address callback for float worlds: their rows start at the world's data.
    address = world->data;
  }
  if (address == nullptr) BadParam();
  return static_cast<char*>(address);
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

void UploadPixels(const PF_EffectWorld& world, GLint rowLength, GLenum type, const void* pixels) {
  glPixelStorei(GL_UNPACK_ROW_LENGTH, rowLength);
  glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, world.width, world.height, GL_RGBA, type, pixels);
}

// The whole factor by which a layer must shrink to fit the driver's largest texture; 1 when it fits.
int ReductionFactor(const PF_EffectWorld& layer) {
  GLint most = 0;
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &most);
  const A_long longest = std::max(layer.width, layer.height);
  if (most <= 0 || longest <= most) return 1;
  return static_cast<int>((longest + most - 1) / most);
}

// The channels of a width x height layer reduced by `factor` both ways (*reducedWidth x
// *reducedHeight), each texel the mean of its block; `readRow(y, row)` fills row y as
// width x 4 floats in memory order.
template <typename ReadRow>
std::vector<float> ReducedPixels(A_long width, A_long height, int factor, ReadRow readRow, A_long* reducedWidth,
                                 A_long* reducedHeight) {
  const A_long w = (width + factor - 1) / factor;
  const A_long h = (height + factor - 1) / factor;
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
  *reducedWidth = w;
  *reducedHeight = h;
  return reduced;
}

// A layer larger than the driver's largest texture goes up reduced into float storage: the image
// pattern spreads the whole texture over the layer's extent, so the frame shows the same picture,
// less sharp.
template <typename Storage>
void UploadReduced(PF_PixelFormat code, const PF_EffectWorld* layer, const char* first, int factor,
                   Storage storage) {
  const std::size_t channels = static_cast<std::size_t>(layer->width) * kChannels;
  A_long w = 0;
  A_long h = 0;
  std::vector<float> reduced;
  if (code == PF_PixelFormat_ARGB128) {
    const auto readRow = [&](A_long y, float* row) {
      std::memcpy(row, first + static_cast<std::ptrdiff_t>(y) * layer->rowbytes, channels * sizeof(float));
    };
    reduced = ReducedPixels(layer->width, layer->height, factor, readRow, &w, &h);
  } else {
    // 16-bit texels keep the scale of full 16-bit storage (white 32768 as 32768/65535), as a
    // 16-bit layer's texture does everywhere.
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
    reduced = ReducedPixels(layer->width, layer->height, factor, readRow, &w, &h);
  }
  glBindTexture(GL_TEXTURE_2D, storage(w, h, GL_RGBA32F));
  glPixelStorei(GL_UNPACK_ROW_LENGTH, w);
  glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, w, h, GL_RGBA, GL_FLOAT, reduced.data());
}

// Copies `rows` x `bytesPerRow` from the packed read buffer into the padded world rows.
void CopyRowsToWorld(const char* buffer, std::size_t bufferRowBytes, char* first, const PF_EffectWorld& world,
                     A_long rows, std::size_t bytesPerRow) {
  for (A_long y = 0; y < rows; ++y) {
    std::memcpy(first + static_cast<std::ptrdiff_t>(y) * world.rowbytes, buffer + y * bufferRowBytes, bytesPerRow);
  }
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

GLenum LayerTextureFormat(PF_PixelFormat code) {
  if (code == PF_PixelFormat_ARGB64) return GL_RGBA16;
  return code == PF_PixelFormat_ARGB128 ? GL_RGBA32F : GL_RGBA8;
}

namespace {

// Uploads `layer` into the texture that `storage(w, h, internalFormat)` gives (of that size and
// format), bound to GL_TEXTURE_2D while the pixels go up.
template <typename Storage>
void UploadLayer(PF_PixelFormat code, PF_EffectWorld* layer, PF_InData* in_data, Storage storage) {
  PixelLayout layout;
  if (!PixelLayoutOf(code, &layout)) BadParam();
  CheckWorld(layer, layout.bytesPerPixel);
  const char* first = FirstPixel(in_data, layer, code);
  try {
    const int factor = ReductionFactor(*layer);
    if (factor > 1) {
      UploadReduced(code, layer, first, factor, storage);
    } else {
      glBindTexture(GL_TEXTURE_2D, storage(layer->width, layer->height, LayerTextureFormat(code)));
      if (layer->rowbytes % layout.bytesPerPixel == 0) {
        UploadPixels(*layer, layer->rowbytes / layout.bytesPerPixel, layout.transferType, first);
      } else {
        UploadPixels(*layer, layer->width, layout.transferType, PackedRows(first, *layer, layout.bytesPerPixel).data());
      }
    }
  } catch (...) {
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glBindTexture(GL_TEXTURE_2D, 0);
    throw;
  }
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  glBindTexture(GL_TEXTURE_2D, 0);
}

}  // namespace

GLuint UploadLayerTexture(PF_PixelFormat code, PF_EffectWorld* layer, PF_InData* in_data) {
  GLuint texture = 0;
  try {
    UploadLayer(code, layer, in_data, [&](GLsizei w, GLsizei h, GLenum format) {
      texture = NewLayerTexture(w, h, format);
      return texture;
    });
  } catch (...) {
    if (texture != 0) glDeleteTextures(1, &texture);
    throw;
  }
  return texture;
}

GLuint UploadLayerToPool(PF_PixelFormat code, PF_EffectWorld* layer, PF_InData* in_data, LayerTexturePool* pool) {
  GLuint texture = 0;
  UploadLayer(code, layer, in_data, [&](GLsizei w, GLsizei h, GLenum format) {
    texture = pool->Take(w, h, format);
    return texture;
  });
  return texture;
}

namespace {

// Reads the w x h pixels straight into the world's rows (row length `rowPixels`).
void ReadIntoWorld(A_long w, A_long h, GLint rowPixels, GLenum type, char* first) {
  glPixelStorei(GL_PACK_ROW_LENGTH, rowPixels);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, w, h, GL_RGBA, type, first);
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glPixelStorei(GL_PACK_ROW_LENGTH, 0);
}

}  // namespace

void DownloadOutputWorld(A_long width, A_long height, PF_EffectWorld* output,
                         PF_InData* in_data, PF_PixelFormat code, int bytesPerPixel, GLenum transferType) {
  PixelLayout layout;
  if (!PixelLayoutOf(code, &layout)) BadParam();
  if (bytesPerPixel != layout.bytesPerPixel || transferType != layout.transferType) BadParam();
  if (width < 0 || height < 0) BadParam();
  CheckWorld(output, layout.bytesPerPixel);
  char* first = FirstPixel(in_data, output, code);
  glReadBuffer(GL_COLOR_ATTACHMENT0);
  const A_long rows = std::min(height, output->height);
  const A_long columns = std::min(width, output->width);
  // Rows of whole pixels take the read directly; only what both have is read.
  if (output->rowbytes % bytesPerPixel == 0) {
    ReadIntoWorld(columns, rows, output->rowbytes / bytesPerPixel, transferType, first);
    return;
  }
  ScopedSuite<PF_HandleSuite2> handles(in_data, kPFHandleSuite, kPFHandleSuiteVersion2);
  const std::size_t bufferRowBytes = static_cast<std::size_t>(columns) * bytesPerPixel;
  OwnedHandle buffer(handles.get(), static_cast<A_u_longlong>(bufferRowBytes) * rows);
  ScopedHandleLock lock(handles.get(), buffer.get());
  char* bytes = static_cast<char*>(lock.bytes());
  if (bytes == nullptr) throw static_cast<PF_Err>(PF_Err_OUT_OF_MEMORY);  // not made or not locked
  ReadIntoWorld(columns, rows, columns, transferType, bytes);
  CopyRowsToWorld(bytes, bufferRowBytes, first, *output, rows, bufferRowBytes);
}

}  // namespace Orvane::Mosaira
