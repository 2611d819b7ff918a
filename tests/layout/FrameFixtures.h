// Frames over points at exact pixel positions: the layout is 1 x 1, so a JSON fraction is a pixel value.
#pragma once

#include <string>
#include <vector>

#include "LayoutFixtures.h"

namespace Orvane::Mosaira::testing {

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
