// Speed of the built-in layouts: building the registry (parse plus 104 previews with insets) and
// building and re-insetting the largest template at 3840 x 2160.
#include <benchmark/benchmark.h>

#include <cstddef>
#include <memory>

#include "layout/LayoutRegistry.h"

namespace Orvane::Mosaira {
namespace {

// The template with the most polygon corners, the heaviest to inset.
std::size_t LargestTemplate(const LayoutRegistry& registry) {
  std::size_t best = 0, bestCorners = 0;
  for (std::size_t i = 0; i < registry.previews.size(); ++i) {
    std::size_t corners = 0;
    for (const auto& frame : registry.previews[i]->frames) corners += frame->polygon.size();
    if (corners > bestCorners) {
      best = i;
      bestCorners = corners;
    }
  }
  return best;
}

void BM_RegistryConstruction(benchmark::State& state) {
  const std::string& text = LayoutRegistry::joinTemplateText();
  for (auto _ : state) {
    LayoutRegistry registry(text);
    benchmark::DoNotOptimize(registry.previews.data());
  }
}
BENCHMARK(BM_RegistryConstruction)->Unit(benchmark::kMillisecond);

void BM_TemplateTextParse(benchmark::State& state) {
  const std::string& text = LayoutRegistry::joinTemplateText();
  for (auto _ : state) {
    rapidjson::Document document;
    document.Parse(text.c_str(), text.size());
    benchmark::DoNotOptimize(document.Size());
  }
}
BENCHMARK(BM_TemplateTextParse)->Unit(benchmark::kMillisecond);

void BM_LargestTemplateBuild4K(benchmark::State& state) {
  const LayoutRegistry& registry = LayoutRegistry::instance();
  const std::size_t i = LargestTemplate(registry);
  state.SetLabel(registry.layoutIds[i].id);
  for (auto _ : state) {
    GridLayoutModel layout(*registry.templateAt(i), LayoutSize{3840, 2160}, static_cast<int32_t>(i));
    layout.setSpacing(10.0f);
    benchmark::DoNotOptimize(layout.frames.data());
  }
}
BENCHMARK(BM_LargestTemplateBuild4K)->Unit(benchmark::kMicrosecond);

void BM_LargestTemplateSetSpacing4K(benchmark::State& state) {
  const LayoutRegistry& registry = LayoutRegistry::instance();
  const std::size_t i = LargestTemplate(registry);
  state.SetLabel(registry.layoutIds[i].id);
  GridLayoutModel layout(*registry.templateAt(i), LayoutSize{3840, 2160}, static_cast<int32_t>(i));
  float spacing = 10.0f;
  for (auto _ : state) {
    layout.setSpacing(spacing);
    spacing = spacing == 10.0f ? 12.0f : 10.0f;  // a change each time, as a drag of "Edge Inset" gives
    benchmark::DoNotOptimize(layout.frames.data());
  }
}
BENCHMARK(BM_LargestTemplateSetSpacing4K)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace Orvane::Mosaira

BENCHMARK_MAIN();
