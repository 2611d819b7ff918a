// Feeds arbitrary bytes to the PNG layer reader, into each of the three pixel formats, with the
// limits kept small so that a declared size never costs more than a few megabytes.
//   run:  build-fuzz/fuzz/tiletta_png_fuzz fuzz/corpus/png
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "host/PngFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace Orvane::Mosaira;
  const PngLimits limits{1024, 512.0 * 512.0};
  for (PF_PixelFormat format : {PF_PixelFormat_ARGB32, PF_PixelFormat_ARGB64, PF_PixelFormat_ARGB128}) {
    std::string error;
    auto world = DecodePngWorld(data, size, format, limits, &error);
    if (world == nullptr ? error.empty() : !(world->Width() * double(world->Height()) <= limits.maxPixels)) {
      std::abort();  // a refusal always says why; an accepted layer is within the limits
    }
    if (world == nullptr) break;
  }
  return 0;
}
