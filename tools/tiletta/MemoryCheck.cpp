#include "tools/tiletta/MemoryCheck.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace Orvane::Mosaira::Cli {
namespace {

std::string g_renderNeed;  // RenderNeedText

std::string Gigabytes(double bytes) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f GB", bytes / 1e9);
  return text;
}

// The memory this process may fill: three quarters of the machine's, less when a data limit
// (RLIMIT_DATA) is set lower; 0 when unknown.
double UsableMemory(std::string* what) {
  const double physical = double(sysconf(_SC_PHYS_PAGES)) * double(sysconf(_SC_PAGESIZE));
  double usable = physical > 0 ? physical * 0.75 : 0;
  *what = "three quarters of this machine's " + Gigabytes(physical);
  struct rlimit limit {};
  if (getrlimit(RLIMIT_DATA, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY &&
      (usable <= 0 || double(limit.rlim_cur) < usable)) {
    usable = double(limit.rlim_cur);
    *what = "the process's data limit";
  }
  return usable;
}

// The process's address-space limit in bytes; 0 when none is set.
double AddressSpaceLimit() {
  struct rlimit limit {};
  if (getrlimit(RLIMIT_AS, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return 0;
  return double(limit.rlim_cur);
}

// The address space the software OpenGL driver reserves before any render's data, measured (peak
// virtual size of a 64x48 render): about 380 MB, and about 150 MB more for each of its drawing
// threads (one per processor unless LP_NUM_THREADS says otherwise; at most 32), most of it the C
// library's per-thread heap arenas.
double DriverAddressSpace(long* threads) {
  *threads = sysconf(_SC_NPROCESSORS_ONLN);
  if (const char* n = std::getenv("LP_NUM_THREADS")) *threads = std::strtol(n, nullptr, 10);
  *threads = std::clamp(*threads, 0L, 32L);
  return 380e6 + 150e6 * double(*threads);
}

// Throws when `dataBytes` and what the driver reserves exceed the address-space limit.
void CheckAddressSpace(double dataBytes, const std::string& need) {
  const double limit = AddressSpaceLimit();
  long threads = 0;
  const double driver = DriverAddressSpace(&threads);
  if (limit <= 0 || dataBytes + driver <= limit) return;
  throw RenderError(need + (need.empty() ? "the" : ", and the") + " software graphics driver reserves about " +
                    Gigabytes(driver) + " of address space (" + std::to_string(threads) +
                    " drawing threads); the process's address-space limit (ulimit -v) is " + Gigabytes(limit));
}

// Counted as held at the render's peak: each layer (`layerPixels` in all) as its world and as its
// texture in the driver, which is in single floats (16 bytes a pixel) at every depth and lives
// until the vector-drawing frame ends; the input and output worlds; and the renderer's storage per output
// pixel: two multisampled layers at the most samples it asks for (8), their stencil, two resolve
// textures and the output renderbuffer, in 8-bit storage for 8-bit renders and in single floats for
// deeper ones; and what the process holds before any of it (libraries, the driver: about 110 MB
// measured for a small render).
double RenderBytes(const RenderOptions& o, double layerPixels) {
  constexpr double kProcessBytes = 110e6;
  const double pixels = double(o.size.width) * o.size.height;
  const double bytesPerPixel = o.depth / 2;
  const double storage = o.depth == 8 ? 4 : 16, output = bytesPerPixel;
  const double rendererPerPixel = 2 * 8 * storage + 8 + 2 * storage + output;
  constexpr double kLayerTextureBytesPerPixel = 16;
  return kProcessBytes + layerPixels * (bytesPerPixel + kLayerTextureBytesPerPixel) + 2 * pixels * bytesPerPixel +
         pixels * rendererPerPixel;
}

std::string RenderText(const RenderOptions& o) {
  return "a " + std::to_string(o.size.width) + "x" + std::to_string(o.size.height) + " " + std::to_string(o.depth) +
         "-bit render";
}

}  // namespace

void CheckDriverAddressSpace(const RenderOptions* render) {
  if (render == nullptr) return CheckAddressSpace(0, "");
  const double bytes = RenderBytes(*render, 0);
  CheckAddressSpace(bytes, RenderText(*render) + " needs about " + Gigabytes(bytes) + " besides its layers");
}

void CheckMemory(const RenderOptions& o, double layerPixels) {
  const double needed = RenderBytes(o, layerPixels);
  g_renderNeed = RenderText(o) + " of these layers needs about " + Gigabytes(needed);
  std::string what;
  const double usable = UsableMemory(&what);
  if (usable > 0 && needed > usable) throw RenderError(g_renderNeed + "; " + what + " is " + Gigabytes(usable));
  CheckAddressSpace(needed, g_renderNeed);
}

std::string RenderNeedText() { return g_renderNeed; }

}  // namespace Orvane::Mosaira::Cli
