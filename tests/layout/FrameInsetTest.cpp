#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "LayoutFixtures.h"

namespace Orvane::Mosaira {
namespace {

using testing::BoundsOf;
using testing::FrameLayout;

void ExpectBox(const Polygon& polygon, double minX, double minY, double maxX, double maxY) {
  const testing::Bounds b = BoundsOf(polygon);
  EXPECT_EQ(polygon.size(), 4u);
  EXPECT_DOUBLE_EQ(b.minX, minX);
  EXPECT_DOUBLE_EQ(b.minY, minY);
  EXPECT_DOUBLE_EQ(b.maxX, maxX);
  EXPECT_DOUBLE_EQ(b.maxY, maxY);
}

// Positive spacing shrinks the frame, negative grows it by its size, zero grows it by one pixel.
TEST(FrameInset, ShrinksOrGrowsEitherWinding) {
  for (const auto& corners : {testing::kSquare100, testing::kSquare100Reversed}) {
    for (const float spacing : {10.0f, 0.0f, -5.0f}) {
      auto layout = FrameLayout(corners);
      layout->setSpacing(spacing);
      ASSERT_EQ(layout->frames[0]->insetPolygons.size(), 1u) << spacing;
      const double d = spacing == 0.0f ? -1.0 : spacing;
      ExpectBox(layout->frames[0]->insetPolygons[0], d, d, 100 - d, 100 - d);
    }
  }
  // A new layout is already inset with spacing 0.
  ExpectBox(FrameLayout(testing::kSquare100)->frames[0]->insetPolygons.at(0), -1, -1, 101, 101);
}

TEST(FrameInset, SwallowedFrameHasNoPolygon) {
  auto layout = FrameLayout({{0, 0}, {15, 0}, {15, 100}, {0, 100}});
  layout->setSpacing(10.0f);
  EXPECT_TRUE(layout->frames[0]->insetPolygons.empty());
}

TEST(FrameInset, WaistSplitsIntoTwoPolygons) {
  auto layout = FrameLayout(testing::kWaist);
  layout->setSpacing(10.0f);
  const auto& insets = layout->frames[0]->insetPolygons;
  ASSERT_EQ(insets.size(), 2u);
  const testing::Bounds a = BoundsOf(insets[0]);
  const testing::Bounds b = BoundsOf(insets[1]);
  EXPECT_DOUBLE_EQ(std::min(a.minX, b.minX), 10.0);
  EXPECT_DOUBLE_EQ(std::max(a.maxX, b.maxX), 90.0);
  EXPECT_DOUBLE_EQ(std::min(a.maxX, b.maxX), 30.0);
}

TEST(FrameInset, PositionsAreTruncatedToTenThousandthsOfAPixel) {
  auto layout = FrameLayout({{0.00019, 0}, {100, 0}, {100, 100}, {0.00019, 100}});
  // 0.00019 enters as 1 unit; grown by one pixel (10000 units) it ends at -9999 units.
  EXPECT_EQ(BoundsOf(layout->frames[0]->insetPolygons[0]).minX, static_cast<double>(-0.9999f));
}

TEST(FrameInset, UnknownPointEntersAtTheOrigin) {
  auto layout = testing::MakeLayout(
      R"({"points":[{"id":"A","x":100,"y":0},{"id":"B","x":100,"y":100},{"id":"C","x":0,"y":100}],)"
      R"("frames":[{"polygon":["MISSING","A","B","C"]}]})",
      1.0, 1.0);
  layout->setSpacing(10.0f);
  ASSERT_EQ(layout->frames[0]->insetPolygons.size(), 1u);
  ExpectBox(layout->frames[0]->insetPolygons[0], 10, 10, 90, 90);
}

TEST(FrameInset, AbsurdPositionsCountAsNoPositionInsteadOfOverflowing) {
  // 1e15 pixels is 1e19 units: beyond a 64-bit integer.
  auto layout = FrameLayout({{0, 0}, {1e15, 0}, {100, 100}, {0, 100}});
  layout->setSpacing(10.0f);
  ASSERT_EQ(layout->frames[0]->insetPolygons.size(), 1u);
  const testing::Bounds b = BoundsOf(layout->frames[0]->insetPolygons[0]);
  EXPECT_LE(b.maxX, 100.0);
  EXPECT_GE(b.minX, 0.0);
}

TEST(FrameInset, NonFiniteOrAbsurdSpacingLeavesEveryInsetEmptyWithoutAborting) {
  auto layout = testing::MakeLayout(testing::kTwoFrames, 200.0, 100.0);
  for (const float spacing : {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                              -1e30f, 1e30f}) {
    layout->setSpacing(spacing);
    for (const auto& frame : layout->frames) {
      EXPECT_TRUE(frame->insetPolygons.empty()) << spacing;
    }
  }
  layout->setSpacing(5.0f);
  for (const auto& frame : layout->frames) {
    EXPECT_EQ(frame->insetPolygons.size(), 1u);
  }
}

TEST(FrameInset, GrownCornersAreMiteredUpToTwentyTimesTheDistance) {
  // The tip's miter reaches 2 / sin(atan(0.2)) = 10.2 px out: within the limit, so kept whole.
  auto layout = FrameLayout({{0, 0}, {100, 20}, {0, 40}});
  layout->setSpacing(-2.0f);
  ASSERT_EQ(layout->frames[0]->insetPolygons.size(), 1u);
  EXPECT_NEAR(BoundsOf(layout->frames[0]->insetPolygons[0]).maxX, 100.0 + 2.0 * std::sqrt(26.0), 1e-3);
}

TEST(FrameInset, GrownCornersSharperThanTheLimitAreCutSquare) {
  // A miter here would reach 200 px out; beyond 20 times the distance the corner is cut instead.
  auto layout = FrameLayout({{0, 0}, {1000, 10}, {0, 20}});
  layout->setSpacing(-2.0f);
  ASSERT_EQ(layout->frames[0]->insetPolygons.size(), 1u);
  EXPECT_LT(BoundsOf(layout->frames[0]->insetPolygons[0]).maxX, 1003.0);
  EXPECT_GT(BoundsOf(layout->frames[0]->insetPolygons[0]).maxX, 1001.0);
}

// A frame's corners are its points' twins as they stand: moved points reshape the inset.
TEST(FrameInset, FollowsMovedPoints) {
  auto layout = testing::MakeLayout(
      R"({"points":[{"id":"A","x":0,"y":0},{"id":"B","x":1,"y":0},{"id":"C","x":1,"y":1},{"id":"D","x":0,"y":1}],)"
      R"("frames":[{"polygon":["A","B","C","D"]}]})",
      100.0, 100.0);
  layout->movePoint("B", -20.0, 0.0);
  layout->movePoint("C", -20.0, 0.0);
  const std::vector<PointPosition> corners = layout->framePositions(*layout->frames[0]);
  ASSERT_EQ(corners.size(), 4u);
  EXPECT_EQ(corners[2].x, 80.0);
  EXPECT_EQ(corners[2].y, 100.0);
  layout->setSpacing(10.0f);
  ASSERT_EQ(layout->frames[0]->insetPolygons.size(), 1u);
  ExpectBox(layout->frames[0]->insetPolygons[0], 10, 10, 70, 90);
}

// The centroid of the inset: either winding, off centre; an empty inset gives the origin.
TEST(FrameCentroid, ByShapeOfTheInset) {
  struct Case {
    std::vector<Vec2d> corners;
    float spacing;
    double x, y;
  };
  const Case cases[] = {{testing::kSquare100, 10.0f, 50, 50},
                        {testing::kSquare100Reversed, 10.0f, 50, 50},
                        {{{0, 0}, {90, 0}, {0, 90}}, -0.0001f, 30, 30},  // practically the triangle itself
                        {{{0, 0}, {15, 0}, {15, 100}, {0, 100}}, 10.0f, 0, 0}};
  for (const Case& c : cases) {
    auto layout = FrameLayout(c.corners);
    layout->setSpacing(c.spacing);
    const Vec2d centroid = layout->frames[0]->centroid();
    EXPECT_NEAR(centroid.x, c.x, 1e-3) << c.corners.size();
    EXPECT_NEAR(centroid.y, c.y, 1e-3) << c.corners.size();
  }
}

TEST(FrameCentroid, SumsAreKeptInSinglePrecision) {
  const Vec2d c = Centroid({{{903.71f, 485.22f},
                             {716.64f, 758.77f},
                             {303.23f, 764.03f},
                             {116.35f, 498.77f},
                             {302.03f, 227.86f},
                             {708.69f, 241.83f}}});
  // Summed in double precision the centroid would be (506.61853f, 497.97778f).
  EXPECT_EQ(c.x, static_cast<double>(506.6185913f));
  EXPECT_EQ(c.y, static_cast<double>(497.9777527f));
}

TEST(FrameCentroid, FlatInsetGivesTheMeanOfItsPoints) {
  const Vec2d c = Centroid({{{0, 0}, {10, 0}, {20, 0}}});
  EXPECT_DOUBLE_EQ(c.x, 10.0);
  EXPECT_DOUBLE_EQ(c.y, 0.0);
}

// Frame 220 x 120 around the box; spacing 10 makes the inset exactly the box.
std::unique_ptr<GridLayoutModel> BoxLayout(double w, double h) {
  auto layout = FrameLayout({{-10, -10}, {w + 10, -10}, {w + 10, h + 10}, {-10, h + 10}});
  layout->setSpacing(10.0f);
  return layout;
}

TEST(FrameCoverFit, ScaleIsSinglePrecision) {
  const AffineTransform t = CoverFit({{{10.25, 20.5}, {310.75, 20.5}, {310.75, 170.125}, {10.25, 170.125}}},
                                     1920.0, 1080.0);
  // s = 300.5 / 1920 narrowed; the image, 300.5 x 169.03 px then, overhangs 9.7 px above and below.
  EXPECT_EQ(t, (AffineTransform{static_cast<double>(0.15651041f), 0.0, 10.25, 0.0, static_cast<double>(0.15651041f),
                                10.796875}));
}

// A frame's cover fit covers its inset's box with the image, centred: a 200 x 100 box takes a
// square image at twice its size with 50 px over the top and the bottom, a tall one at its width.
TEST(FrameCoverFit, ImageCoversTheInsetBoxCentred) {
  auto box = BoxLayout(200, 100);
  EXPECT_EQ(box->frames[0]->coverFit(100.0, 100.0), (AffineTransform{2, 0, 0, 0, 2, -50}));
  EXPECT_EQ(box->frames[0]->coverFit(50.0, 200.0), (AffineTransform{4, 0, 0, 0, 4, -350}));
  auto shifted = FrameLayout({{10, -10}, {200, -10}, {200, 110}, {10, 110}});  // 170 x 100 from (20, 0)
  shifted->setSpacing(10.0f);
  EXPECT_EQ(shifted->frames[0]->coverFit(85.0, 100.0), (AffineTransform{2, 0, 20, 0, 2, -50}));
}

TEST(FrameCoverFit, EmptyInsetOrBadImageSizeGivesIdentity) {
  const AffineTransform identity{1.0, 0.0, 0.0, 0.0, 1.0, 0.0};
  auto layout = FrameLayout({{0, 0}, {15, 0}, {15, 100}, {0, 100}});
  layout->setSpacing(10.0f);
  EXPECT_EQ(layout->frames[0]->coverFit(100.0, 100.0), identity);
  auto box = BoxLayout(200, 100);
  EXPECT_EQ(box->frames[0]->coverFit(0.0, 100.0), identity);
  EXPECT_EQ(box->frames[0]->coverFit(100.0, -1.0), identity);
  EXPECT_EQ(box->frames[0]->coverFit(std::numeric_limits<double>::quiet_NaN(), 1.0), identity);
}

// Placing an image: each transform sends `from` to `to`.
TEST(AffineMaths, TransformsSendPointsWhereTheyBelong) {
  const double quarter = 90 * 0.017453292519943;  // the slightly small degree factor, kept exactly
  const AffineTransform scale = {2, 0, 0, 0, 2, 0};
  const AffineTransform shift = {1, 0, 5, 0, 1, 7};
  const AffineTransform cover = {2, 0, 100, 0, 2, 0};
  const AffineTransform identity = {1, 0, 0, 0, 1, 0};
  struct Case {
    const char* what;
    AffineTransform t;
    Vec2d from, to;
  };
  for (const Case& c : {
           Case{"anchor on position", MakeAffineTransform(5, 5, 8, -2, 1, 3, 0), {5, 5}, {8, -2}},
           Case{"axes scale apart", MakeAffineTransform(5, 5, 8, -2, 1, 3, 0), {6, 6}, {9, 1}},
           Case{"quarter turn", MakeAffineTransform(0, 0, 0, 0, 1, 1, 90), {1, 0},
                {std::cos(quarter), std::sin(quarter)}},
           Case{"first argument last", ComposeAffine(scale, shift), {1, 1}, {12, 16}},
           Case{"second argument first", ComposeAffine(shift, scale), {1, 1}, {7, 9}},
           Case{"offset scales with cover", FrameImageTransform(cover, 40, 30, 1.0, 50, 0), {0, 0}, {200, 0}},
           Case{"zoom about the centre", FrameImageTransform(identity, 40, 30, 2, 0, 0), {20, 15}, {20, 15}},
           Case{"zoom moves corners", FrameImageTransform(identity, 40, 30, 2, 0, 0), {0, 0}, {-20, -15}},
       }) {
    const AffineTransform& t = c.t;
    EXPECT_DOUBLE_EQ(t[0] * c.from.x + t[1] * c.from.y + t[2], c.to.x) << c.what;
    EXPECT_DOUBLE_EQ(t[3] * c.from.x + t[4] * c.from.y + t[5], c.to.y) << c.what;
  }
}

}  // namespace
}  // namespace Orvane::Mosaira
