// Helpers shared by the layout tests: layouts from JSON text, layouts back to text, a few small
// layouts shaped like the built-in ones, and one-frame layouts at exact pixel positions (1 x 1, so a
// JSON fraction is a pixel value).
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "layout/GridLayoutModel.h"

namespace Orvane::Mosaira::testing {

inline rapidjson::Document ParseJson(const std::string& text) {
  rapidjson::Document doc;
  doc.Parse(text.c_str(), text.size());
  if (doc.HasParseError()) {
    throw std::invalid_argument("test JSON does not parse: " + text);
  }
  return doc;
}

inline std::unique_ptr<GridLayoutModel> MakeLayout(const std::string& text, double width, double height,
                                                   int32_t index = 0) {
  const rapidjson::Document doc = ParseJson(text);
  return std::make_unique<GridLayoutModel>(doc, LayoutSize{width, height}, index);
}

inline std::string ToJsonText(const GridLayoutModel& layout) {
  rapidjson::StringBuffer buffer;
  JsonWriter writer(buffer);
  layout.toJson(writer);
  return std::string(buffer.GetString(), buffer.GetSize());
}

template <typename Element>
std::string ElementJson(const Element& element) {
  rapidjson::StringBuffer buffer;
  JsonWriter writer(buffer);
  element.toJson(writer);
  return std::string(buffer.GetString(), buffer.GetSize());
}

// One frame over the four corners, no points listed (like "1-1").
constexpr const char* kOneFrame =
    R"({"frames":[{"id":"F1","polygon":["LEFT_TOP","RIGHT_TOP","RIGHT_BOTTOM","LEFT_BOTTOM"]}],)"
    R"("id":"1-1","moveButtons":[],"points":[],"vectors":[]})";

// Two frames split by a vertical line from P5 (top) to P6 (bottom) (like "2-1").
constexpr const char* kTwoFrames =
    R"({"frames":[{"id":"F1","polygon":["LEFT_TOP","P5","P6","LEFT_BOTTOM"]},)"
    R"({"id":"F2","polygon":["P5","RIGHT_TOP","RIGHT_BOTTOM","P6"]}],"id":"2-1",)"
    R"("moveButtons":[{"direction":"LEFT_RIGHT","displayPoints":["P5","P6"],"id":"B1"}],)"
    R"("points":[{"id":"P5","movable":"NO","x":0.5,"y":0},{"id":"P6","movable":"NO","x":0.5,"y":1}],)"
    R"("vectors":[{"end":"P6","id":"V1","start":"P5"}]})";

// A top frame over a horizontal cut P5-P6, and two bottom frames split from the slider P7 on that cut
// down to P8 (like "3-1").
constexpr const char* kThreeFrames =
    R"({"frames":[{"id":"F1","polygon":["LEFT_TOP","RIGHT_TOP","P6","P5"]},)"
    R"({"id":"F2","polygon":["P5","P7","P8","LEFT_BOTTOM"]},)"
    R"({"id":"F3","polygon":["P7","P6","RIGHT_BOTTOM","P8"]}],"id":"3-1",)"
    R"("moveButtons":[{"direction":"UP_DOWN","displayPoints":["P5","P6"],"id":"B1"},)"
    R"({"direction":"LEFT_RIGHT","displayPoints":["P7","P8"],"id":"B2"}],)"
    R"("points":[{"id":"P5","x":0,"y":0.5},{"id":"P6","x":1,"y":0.5},)"
    R"({"id":"P7","scalar":0.5,"vector":"V1"},{"id":"P8","x":0.5,"y":1}],)"
    R"("vectors":[{"end":"P6","id":"V1","start":"P5"}]})";

// One frame "F" over points "Q0", "Q1", ... at `corners` (pixels), in that order.
inline std::unique_ptr<GridLayoutModel> FrameLayout(const std::vector<Vec2d>& corners) {
  std::string points;
  std::string polygon;
  for (size_t i = 0; i < corners.size(); ++i) {
    const std::string key = "Q" + std::to_string(i);
    points += (i ? "," : "") + std::string(R"({"id":")") + key + R"(","x":)" + std::to_string(corners[i].x) +
              R"(,"y":)" + std::to_string(corners[i].y) + "}";
    polygon += (i ? "," : "") + std::string("\"") + key + "\"";
  }
  return MakeLayout(R"({"points":[)" + points + R"(],"frames":[{"id":"F","polygon":[)" + polygon + "]}]}",
                    1.0, 1.0);
}

struct Bounds {
  double minX = 1e300, minY = 1e300, maxX = -1e300, maxY = -1e300;
};

inline Bounds BoundsOf(const Polygon& polygon) {
  Bounds b;
  for (const Vec2d& p : polygon) {
    b.minX = std::min(b.minX, p.x);
    b.minY = std::min(b.minY, p.y);
    b.maxX = std::max(b.maxX, p.x);
    b.maxY = std::max(b.maxY, p.y);
  }
  return b;
}

inline const std::vector<Vec2d> kSquare100 = {{0, 0}, {100, 0}, {100, 100}, {0, 100}};
inline const std::vector<Vec2d> kSquare100Reversed = {{0, 0}, {0, 100}, {100, 100}, {100, 0}};
// Two 40 x 100 blocks joined by a neck 10 high between x = 40 and x = 60.
inline const std::vector<Vec2d> kWaist = {{0, 0},   {40, 0},   {40, 45}, {60, 45}, {60, 0},   {100, 0},
                                          {100, 100}, {60, 100}, {60, 55}, {40, 55}, {40, 100}, {0, 100}};

}  // namespace Orvane::Mosaira::testing
