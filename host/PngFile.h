// PNG files as host worlds: layers read for the command line and the fuzz targets, and the
// pictures the command line and the UI's draw surfaces write.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "host/HostWorld.h"

namespace Orvane::Mosaira {

// What a file declares in its header, read without decoding any pixel.
struct PngHeader {
  A_long width = 0, height = 0;
  int bitDepth = 0;  // 1, 2, 4, 8 or 16 bits per sample as stored
};

// What a reader accepts. A file is refused before its pixels are decoded when a side exceeds
// maxSide, when width x height exceeds maxPixels, or when it is too short to hold the pixels it
// declares (deflate shrinks data at most about 1032 times).
struct PngLimits {
  A_long maxSide = 30000;
  double maxPixels = 30000.0 * 30000.0;
};

// Reads and checks the header of the file at `path` against `limits`. False with the reason in
// *error ("cannot read PATH: ...").
bool ReadPngHeader(const std::string& path, const PngLimits& limits, PngHeader* header, std::string* error);

// Decodes a file into a new world of `format` (8-bit, 16-bit or float), straight alpha. Samples
// are taken as stored, without any gamma conversion; grey and palette files are expanded, tRNS
// gives alpha. 16-bit files keep their full precision in 16-bit and float worlds. Null with the
// reason in *error for a damaged file or one outside `limits`.
std::unique_ptr<HostWorld> ReadPngWorld(const std::string& path, PF_PixelFormat format, const PngLimits& limits,
                                        std::string* error);
// The same from bytes in memory (`size` bytes at `data`); messages name the file "PNG data".
std::unique_ptr<HostWorld> DecodePngWorld(const uint8_t* data, size_t size, PF_PixelFormat format,
                                          const PngLimits& limits, std::string* error);

// Writes straight RGBA: 8 bits per channel for an 8-bit world, 16 bits for deeper worlds; channel
// values are clamped to [0, 1] of white, and a value that is not finite is written as 0. The file
// is written beside `path` and renamed over it when complete (AtomicFile.h): on failure, false
// with the reason in *error, and whatever `path` named is untouched.
bool WritePng(HostWorld& world, const std::string& path, std::string* error);

}  // namespace Orvane::Mosaira
