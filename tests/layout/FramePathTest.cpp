#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "LayoutFixtures.h"
#include "RecordingNanoVg.h"

namespace Orvane::Mosaira {
namespace {

using testing::RecordedFill;

class FramePath : public ::testing::Test {
 protected:
  // A frame whose inset is set directly to `insets`.
  RecordedFill trace(const std::vector<Polygon>& insets, float roundness) {
    frame->insetPolygons = insets;
    return recorder.fill([&](NVGcontext* ctx) { frame->buildPath(ctx, roundness); });
  }

  std::unique_ptr<GridLayoutModel> layout = testing::FrameLayout(testing::kSquare100);
  FrameModel* frame = layout->frames[0].get();
  testing::RecordingNanoVg recorder;
};

bool Contains(const std::vector<Vec2d>& points, const Vec2d& wanted) {
  return std::any_of(points.begin(), points.end(),
                     [&](const Vec2d& p) { return p.x == wanted.x && p.y == wanted.y; });
}

const Polygon kSquare80 = {{10, 10}, {90, 10}, {90, 90}, {10, 90}};

TEST_F(FramePath, SharpForZeroNegativeAboveOneAndNaN) {
  for (const float roundness : {0.0f, -0.5f, 1.5f, std::numeric_limits<float>::quiet_NaN()}) {
    const RecordedFill fill = trace({kSquare80}, roundness);
    ASSERT_EQ(fill.paths.size(), 1u) << roundness;
    ASSERT_EQ(fill.paths[0].points.size(), 4u) << roundness;
    // The drawing library may turn the path around to its own winding; the corners stay the same.
    for (const Vec2d& corner : kSquare80) {
      EXPECT_TRUE(Contains(fill.paths[0].points, corner)) << roundness;
    }
  }
}

TEST_F(FramePath, ZeroLengthEdgeKeepsThatCornerSharp) {
  const RecordedFill fill = trace({{{0, 0}, {0, 0}, {80, 0}, {80, 80}, {0, 80}}}, 1.0f);
  ASSERT_EQ(fill.paths.size(), 1u);
  for (const Vec2d& p : fill.paths[0].points) {
    ASSERT_TRUE(std::isfinite(p.x) && std::isfinite(p.y));
  }
  EXPECT_TRUE(Contains(fill.paths[0].points, {0.0, 0.0}));
}

}  // namespace
}  // namespace Orvane::Mosaira
