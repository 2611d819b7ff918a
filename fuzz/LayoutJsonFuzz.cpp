// Feeds arbitrary bytes to the layout reader as a stored layout would reach it, then exercises what
// the rest of the plug-in does with a layout: write it (the text must parse again), inset it, move
// every point and button, and ask every position, centroid and cover fit.
//   build:  CXX=clang++ cmake -S . -B build-fuzz -G Ninja && cmake --build build-fuzz --target tiletta_layout_json_fuzz
//   run:    build-fuzz/fuzz/tiletta_layout_json_fuzz fuzz/corpus
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>

#include "layout/GridLayoutModel.h"

namespace {

using namespace Orvane::Mosaira;

void Exercise(GridLayoutModel& layout) {
  rapidjson::StringBuffer buffer;
  JsonWriter writer(buffer);
  layout.toJson(writer);
  rapidjson::Document reread;
  reread.Parse(buffer.GetString(), buffer.GetSize());
  if (reread.HasParseError() || !writer.IsComplete()) {
    std::abort();  // a written layout must always read back
  }
  layout.setSpacing(10.0f);
  for (auto& [key, point] : layout.points) {
    layout.movePoint(key, 7.0, -3.0);
    (void)point->getPosition();
  }
  for (auto& [key, button] : layout.moveButtons) {
    button->moveBy(-5.0, 5.0);
  }
  layout.setSpacing(-2.0f);
  for (const auto& frame : layout.frames) {
    (void)Centroid(frame->insetPolygons);
    (void)CoverFit(frame->insetPolygons, 640.0, 480.0);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  rapidjson::Document doc;
  doc.Parse(reinterpret_cast<const char*>(data), size);
  if (doc.HasParseError()) {
    return 0;
  }
  for (const LayoutSize layoutSize : {LayoutSize{1920.0, 1080.0}, LayoutSize{0.0, 0.0}}) {
    try {
      GridLayoutModel layout(doc, layoutSize, -1);
      Exercise(layout);
    } catch (const std::invalid_argument&) {
      // A coordinate string that is no number: the layout is refused, as documented.
    } catch (const std::out_of_range&) {
    }
  }
  return 0;
}
