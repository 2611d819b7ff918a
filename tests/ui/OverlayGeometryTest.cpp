#include <gtest/gtest.h>
#include <rapidjson/document.h>

#include <cmath>
#include <memory>

#include "ui/OverlayGeometry.h"

namespace Orvane::Mosaira {
namespace {

// A top band over two bottom frames split at sliding point P7 (on V1 from P5 to P6); button B1
// (UP_DOWN) sits between P5 and P6, B2 (LEFT_RIGHT) between P7 and P8. V2 points straight down,
// V3 has zero length.
constexpr char kLayoutJson[] = R"({
  "frames": [
    {"id": "F1", "polygon": ["LEFT_TOP", "RIGHT_TOP", "P6", "P5"]},
    {"id": "F2", "polygon": ["P5", "P7", "P8", "LEFT_BOTTOM"]}
  ],
  "moveButtons": [
    {"direction": "UP_DOWN", "displayPoints": ["P5", "P6"], "id": "B1", "moveWith": []},
    {"direction": "LEFT_RIGHT", "displayPoints": ["P7", "P8"], "id": "B2", "moveWith": []}
  ],
  "points": [
    {"id": "P5", "x": 0, "y": 0.5}, {"id": "P6", "x": 1, "y": 0.5},
    {"id": "P7", "scalar": 0.5, "vector": "V1"}, {"id": "P8", "x": 0.5, "y": 1},
    {"id": "P9", "scalar": 0.5, "vector": "V2"}, {"id": "PA", "scalar": 0.5, "vector": "V3"},
    {"id": "PB", "x": 0.25, "y": 0}, {"id": "PC", "x": 0.25, "y": 0.5}
  ],
  "vectors": [{"end": "P6", "id": "V1", "start": "P5"}, {"end": "PC", "id": "V2", "start": "PB"},
              {"end": "P8", "id": "V3", "start": "P8"}]
})";

std::unique_ptr<GridLayoutModel> MakeLayout() {
  rapidjson::Document doc;
  doc.Parse(kLayoutJson);
  return std::make_unique<GridLayoutModel>(doc, LayoutSize{1920, 1080}, 0);
}

TEST(WithinHitLimit, DistanceIsTruncatedBeforeTheLimit) {
  const struct {
    double distance, limit;
    bool hit;
  } cases[] = {{7.9, 7.5, true},  {8.0, 7.5, false}, {-7.9, 7.5, true}, {15.9, 15, true},
               {16.0, 15, false}, {10.9, 10, true},  {11.0, 10, false}, {NAN, 10, false}};
  for (const auto& c : cases) {
    EXPECT_EQ(WithinHitLimit(100.0 + c.distance, 100.0, c.limit), c.hit) << c.distance;
  }
}

TEST(MarkerVertices, EllipseTurnsWithTheAngle) {
  const struct {
    float angle;
    double halfWidth, halfHeight, firstX, firstY;
  } cases[] = {{0.0f, 10, 5, 0, 5}, {90.0f, 5, 10, -5, 0}, {180.0f, 10, 5, 0, -5}};
  for (const auto& c : cases) {
    const auto v = MarkerVertices(100, 50, c.angle);
    double maxX = 0, maxY = 0;
    for (const Vec2d& p : v) {
      maxX = std::max(maxX, std::fabs(p.x - 100));
      maxY = std::max(maxY, std::fabs(p.y - 50));
    }
    EXPECT_NEAR(maxX, c.halfWidth, 0.2) << c.angle;
    EXPECT_NEAR(maxY, c.halfHeight, 0.2) << c.angle;
    EXPECT_NEAR(v[0].x - 100, c.firstX, 1e-5) << c.angle;
    EXPECT_NEAR(v[0].y - 50, c.firstY, 1e-5) << c.angle;
  }
}

TEST(MarkerAngleDeg, FollowsTheSlidersVector) {
  const auto layout = MakeLayout();
  const struct {
    const char* point;
    float angle;
  } cases[] = {{"P7", 0.0f}, {"P9", 90.0f}, {"PA", 0.0f}, {"P8", 0.0f}};
  for (const auto& c : cases) {
    EXPECT_FLOAT_EQ(MarkerAngleDeg(*layout, *layout->findPoint(c.point)), c.angle) << c.point;
  }
}

TEST(FrameNumberPosition, VanishedInsetUsesTheFramesCorners) {
  const auto layout = MakeLayout();
  const struct {
    float spacing;
    double x, y;
  } cases[] = {{10.0f, 960, 270}, {5000.0f, 960, 270}};
  for (const auto& c : cases) {
    layout->setSpacing(c.spacing);
    const Vec2d at = FrameNumberPosition(*layout, *layout->frames[0]);
    EXPECT_NEAR(at.x, c.x, 1e-3) << c.spacing;
    EXPECT_NEAR(at.y, c.y, 1e-3) << c.spacing;
  }
  EXPECT_TRUE(layout->frames[0]->insetPolygons.empty());
}

}  // namespace
}  // namespace Orvane::Mosaira
