// One render of a nine-frame layout with nine layers, through the plug-in's entry point in the
// simulated host (pre-render once, then SmartFX renders), at
// 1920x1080 and 3840x2160 and every depth; the same composition drawn on the CPU with Cairo as a
// reference; and a plain copy of the same bytes (nine layers in, one frame out) as the floor.
//
// The render's peak memory is reported as counters: peakOverInputs is the growth of the peak
// resident set during the timed renders over the bytes of the nine input layers;
// firstPeakOverInputs the same for the first render, which makes the storage kept between renders.
#include <benchmark/benchmark.h>
#include <cairo.h>
#include <malloc.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "effect/ParamIndices.h"
#include "host/HostWorld.h"
#include "host/SimulatedHost.h"
#include "host/SmartFx.h"
#include "layout/LayoutRegistry.h"
#include "render/FrameDrawing.h"

namespace Orvane::Mosaira {
namespace {

constexpr double kEdgeInset = 10.0;
constexpr double kRoundCorner = 20.0;
constexpr int kLayers = 9;

size_t NineFrameIndex() {
  const LayoutRegistry& registry = LayoutRegistry::instance();
  for (size_t i = 0; i < registry.layoutIds.size(); ++i) {
    if (registry.layoutIds[i].id == "9-1") return i;
  }
  return 0;
}

std::unique_ptr<GridLayoutModel> NineFrameLayout(double w, double h) {
  const size_t i = NineFrameIndex();
  return std::make_unique<GridLayoutModel>(*LayoutRegistry::instance().templateAt(i), LayoutSize{w, h},
                                           int32_t(i));
}

PF_PixelFormat FormatOfDepth(int depth) {
  return depth == 8 ? PF_PixelFormat_ARGB32 : depth == 16 ? PF_PixelFormat_ARGB64 : PF_PixelFormat_ARGB128;
}

// Channel values of layer k at (x, y) as fractions of white: a gradient, a grid, a hue per layer.
void LayerPixel(int k, A_long x, A_long y, A_long w, A_long h, double out[4]) {
  const bool grid = (x % 64) < 2 || (y % 64) < 2;
  out[0] = 1.0;
  out[1] = grid ? 1.0 : double(x) / w;
  out[2] = grid ? 1.0 : double(y) / h;
  out[3] = (k + 1) / 10.0;
}

std::unique_ptr<HostWorld> MakeLayer(int k, A_long w, A_long h, PF_PixelFormat format) {
  auto layer = std::make_unique<HostWorld>(w, h, format);
  double c[4];
  for (A_long y = 0; y < h; ++y) {
    for (A_long x = 0; x < w; ++x) {
      LayerPixel(k, x, y, w, h, c);
      if (format == PF_PixelFormat_ARGB32) {
        layer->Pixel8(x, y) = {A_u_char(c[0] * 255), A_u_char(c[1] * 255), A_u_char(c[2] * 255), A_u_char(c[3] * 255)};
      } else if (format == PF_PixelFormat_ARGB64) {
        layer->Pixel16(x, y) = {A_u_short(c[0] * 32768), A_u_short(c[1] * 32768), A_u_short(c[2] * 32768),
                                A_u_short(c[3] * 32768)};
      } else {
        layer->PixelFloat(x, y) = {float(c[0]), float(c[1]), float(c[2]), float(c[3])};
      }
    }
  }
  return layer;
}

long PeakResidentKb() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
  }
  return 0;
}

void ResetPeakResident() { std::ofstream("/proc/self/clear_refs") << "5"; }

// The plug-in applied to a layer in the simulated host, with nine layers picked and the layout
// loaded: everything a render needs, made once per benchmark.
struct Scene {
  Scene(A_long w, A_long h, PF_PixelFormat format) : fx(host) {
    std::string error;
    if (!host.LoadPlugin(TILETTA_PLUGIN_PATH, &error)) return;
    id = host.AddInstance(w, h);
    if (id == kNoInstance) return;
    for (int k = 0; k < kLayers; ++k) {
      layers.push_back(MakeLayer(k, w, h, format));
      fx.SetLayer(id, PolygonParam(k, kPolygonLayer), layers.back().get());
    }
    host.SetPopup(id, kParamLayouts, A_long(kLayoutsFirstLayout + NineFrameIndex()));
    host.SetFloat(id, kParamEdgeInset, kEdgeInset);
    host.SetFloat(id, kParamRoundCorner, kRoundCorner);
    PF_PreRenderOutput rects{};
    if (fx.PreRender(id, &rects) != PF_Err_NONE) return;
    input = std::make_unique<HostWorld>(w, h, format);
    output = std::make_unique<HostWorld>(w, h, format);
    ready = true;
  }
  PF_Err Render() { return fx.Render(id, input.get(), output.get()); }
  size_t InputBytes() const { return kLayers * layers[0]->Bytes().size(); }

  SimulatedHost host;
  SmartFx fx;
  InstanceId id = kNoInstance;
  bool ready = false;
  std::vector<std::unique_ptr<HostWorld>> layers;
  std::unique_ptr<HostWorld> input, output;
};

void BM_PluginRender(benchmark::State& state) {
  const auto w = A_long(state.range(0)), h = A_long(state.range(1));
  Scene scene(w, h, FormatOfDepth(int(state.range(2))));
  ResetPeakResident();
  const long cold = PeakResidentKb();
  if (!scene.ready || scene.Render() != PF_Err_NONE) {  // also warms contexts, programs, storage
    state.SkipWithError("the plug-in could not be set up in the host");
    return;
  }
  const double coldGrown = double(PeakResidentKb() - cold) * 1024.0;
  ResetPeakResident();
  const long base = PeakResidentKb();
  for (auto _ : state) {
    if (scene.Render() != PF_Err_NONE) state.SkipWithError("render failed");
  }
  const double grown = double(PeakResidentKb() - base) * 1024.0;
  state.counters["inputMB"] = double(scene.InputBytes()) / 1e6;
  state.counters["peakGrowthMB"] = grown / 1e6;
  state.counters["peakOverInputs"] = grown / double(scene.InputBytes());
  state.counters["firstPeakOverInputs"] = coldGrown / double(scene.InputBytes());
}

// Resident memory after the nine-layer render at each depth, in MB: `residentMB` is the growth of
// the resident set from before the first render to after the last, `keptMB` what global set-down
// then gives back (what the renderer keeps between renders, its contexts and programs included).
long ResidentKb() {
  // Freed heap memory the allocator still holds is not the renderer's: hand it back first.
  malloc_trim(0);
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
  }
  return 0;
}

void BM_ResidentAfterRender(benchmark::State& state) {
  const auto w = A_long(state.range(0)), h = A_long(state.range(1));
  Scene scene(w, h, FormatOfDepth(int(state.range(2))));
  const long before = ResidentKb();
  for (auto _ : state) {
    if (!scene.ready || scene.Render() != PF_Err_NONE) {
      state.SkipWithError("render failed");
      return;
    }
  }
  const long after = ResidentKb();
  if (scene.host.GlobalSetdown() != PF_Err_NONE) state.SkipWithError("set-down failed");
  const long down = ResidentKb();
  state.counters["residentMB"] = double(after - before) * 1024.0 / 1e6;
  state.counters["keptMB"] = double(after - down) * 1024.0 / 1e6;
}

// --- Cairo reference ----------------------------------------------------------------------------

// The rounded inset outline: every corner cut back by roundness/2 of its shorter edge and joined
// by a quadratic curve through the corner (close to the vector path's tangent arcs).
void TracePolygon(cairo_t* cr, const Polygon& p, double roundness) {
  const size_t n = p.size();
  for (size_t i = 0; i < n; ++i) {
    const Vec2d& prev = p[(i + n - 1) % n];
    const Vec2d& c = p[i];
    const Vec2d& next = p[(i + 1) % n];
    const double l1 = std::hypot(c.x - prev.x, c.y - prev.y), l2 = std::hypot(next.x - c.x, next.y - c.y);
    const double cut = std::min(l1, l2) * roundness * 0.5;
    const Vec2d a{c.x + (prev.x - c.x) * cut / l1, c.y + (prev.y - c.y) * cut / l1};
    const Vec2d b{c.x + (next.x - c.x) * cut / l2, c.y + (next.y - c.y) * cut / l2};
    if (i == 0) cairo_move_to(cr, a.x, a.y); else cairo_line_to(cr, a.x, a.y);
    cairo_curve_to(cr, a.x + (c.x - a.x) * 2 / 3, a.y + (c.y - a.y) * 2 / 3, b.x + (c.x - b.x) * 2 / 3,
                   b.y + (c.y - b.y) * 2 / 3, b.x, b.y);
  }
  cairo_close_path(cr);
}

void BM_CairoReference(benchmark::State& state) {
  const auto w = int(state.range(0)), h = int(state.range(1));
  std::vector<std::unique_ptr<HostWorld>> layers;
  std::vector<cairo_surface_t*> images;
  for (int k = 0; k < kLayers; ++k) {
    layers.push_back(MakeLayer(k, w, h, PF_PixelFormat_ARGB32));
    images.push_back(cairo_image_surface_create_for_data(
        reinterpret_cast<unsigned char*>(layers.back()->World()->data), CAIRO_FORMAT_ARGB32, w, h,
        layers.back()->RowBytes()));
  }
  auto layout = NineFrameLayout(w, h);
  cairo_surface_t* target = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
  for (auto _ : state) {
    layout->setSpacing(float(kEdgeInset));
    cairo_t* cr = cairo_create(target);
    cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
    cairo_paint(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
    for (size_t k = 0; k < layout->frames.size() && k < images.size(); ++k) {
      const FrameModel& frame = *layout->frames[k];
      const AffineTransform r =
          FrameImageTransform(frame.coverFit(w, h), w, h, 1.0, 0.0, 0.0);
      cairo_matrix_t m;
      cairo_matrix_init(&m, r[0], r[3], r[1], r[4], r[2], r[5]);
      cairo_matrix_invert(&m);
      cairo_pattern_t* pattern = cairo_pattern_create_for_surface(images[k]);
      cairo_pattern_set_matrix(pattern, &m);
      cairo_pattern_set_filter(pattern, CAIRO_FILTER_BILINEAR);
      cairo_new_path(cr);
      for (const Polygon& p : frame.insetPolygons) TracePolygon(cr, p, kRoundCorner / 100.0);
      cairo_set_source(cr, pattern);
      cairo_fill(cr);
      cairo_pattern_destroy(pattern);
    }
    cairo_destroy(cr);
    cairo_surface_flush(target);
    benchmark::DoNotOptimize(cairo_image_surface_get_data(target));
  }
  cairo_surface_destroy(target);
  for (cairo_surface_t* s : images) cairo_surface_destroy(s);
}

// --- Copy floor -----------------------------------------------------------------------------------

void BM_CopyFloor(benchmark::State& state) {
  const size_t frameBytes = size_t(state.range(0)) * size_t(state.range(1)) * size_t(state.range(2)) / 2;
  std::vector<std::vector<char>> layers(kLayers, std::vector<char>(frameBytes, 1));
  std::vector<char> staging(frameBytes), output(frameBytes);
  for (auto _ : state) {
    for (const auto& layer : layers) {
      std::memcpy(staging.data(), layer.data(), frameBytes);
      benchmark::DoNotOptimize(staging.data());
    }
    std::memcpy(output.data(), staging.data(), frameBytes);
    benchmark::ClobberMemory();
  }
}

void Sizes(benchmark::internal::Benchmark* b) {
  for (auto size : {std::pair<int, int>{1920, 1080}, {3840, 2160}}) {
    for (int depth : {8, 16, 32}) b->Args({size.first, size.second, depth});
  }
}

BENCHMARK(BM_PluginRender)->Apply(Sizes)->ArgNames({"w", "h", "bits"})->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ResidentAfterRender)
    ->Args({1920, 1080, 8})->Args({1920, 1080, 16})->Args({1920, 1080, 32})
    ->ArgNames({"w", "h", "bits"})->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_CairoReference)->Args({1920, 1080})->Args({3840, 2160})->ArgNames({"w", "h"})->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CopyFloor)->Apply(Sizes)->ArgNames({"w", "h", "bits"})->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace Orvane::Mosaira

BENCHMARK_MAIN();
