// The frame's pattern transform, without pixels.
#include <gtest/gtest.h>

#include <cmath>

#include "render/FrameDrawing.h"

namespace Orvane::Mosaira {
namespace {

struct Point {
  double x, y;
};

Point Apply(const AffineTransform& t, Point p) {
  return {t[0] * p.x + t[1] * p.y + t[2], t[3] * p.x + t[4] * p.y + t[5]};
}

void ExpectPoint(Point got, double x, double y) {
  EXPECT_NEAR(got.x, x, 1e-9);
  EXPECT_NEAR(got.y, y, 1e-9);
}

TEST(MakeAffineTransform, AnchorLandsOnPositionAndAxesScale) {
  AffineTransform t = MakeAffineTransform(10, 20, 10, 20, 2, 2, 0);
  ExpectPoint(Apply(t, {10, 20}), 10, 20);
  ExpectPoint(Apply(t, {11, 20}), 12, 20);
  ExpectPoint(Apply(t, {10, 21}), 10, 22);
  t = MakeAffineTransform(5, 5, 8, -2, 1, 3, 0);
  ExpectPoint(Apply(t, {5, 5}), 8, -2);
  ExpectPoint(Apply(t, {6, 6}), 9, 1);
}

TEST(MakeAffineTransform, QuarterTurnUsesTheSlightlySmallFactor) {
  const AffineTransform t = MakeAffineTransform(0, 0, 0, 0, 1, 1, 90);
  const double theta = 90 * 0.017453292519943;
  EXPECT_DOUBLE_EQ(t[0], std::cos(theta));
  EXPECT_DOUBLE_EQ(t[1], -std::sin(theta));
  ExpectPoint(Apply(t, {1, 0}), std::cos(theta), std::sin(theta));
}

TEST(ComposeAffine, FirstArgumentAppliesLast) {
  const AffineTransform scale = {2, 0, 0, 0, 2, 0};
  const AffineTransform shift = {1, 0, 5, 0, 1, 7};
  ExpectPoint(Apply(ComposeAffine(scale, shift), {1, 1}), 12, 16);
  ExpectPoint(Apply(ComposeAffine(shift, scale), {1, 1}), 7, 9);
}

TEST(FrameImageTransform, OffsetScalesWithTheCoverFactor) {
  // Cover factor 2, image placed at (100, 0): an X offset of 50 moves the image 100 units.
  const AffineTransform cover = {2, 0, 100, 0, 2, 0};
  FrameLayer frame;
  frame.scale = 1.0f;
  frame.xOffset = 50;
  ExpectPoint(Apply(FrameImageTransform(cover, 40, 30, frame), {0, 0}), 200, 0);
}

TEST(FrameImageTransform, ScaleZoomsAboutTheImageCentre) {
  const AffineTransform identity = {1, 0, 0, 0, 1, 0};
  FrameLayer frame;
  frame.scale = 2.0f;
  const AffineTransform t = FrameImageTransform(identity, 40, 30, frame);
  ExpectPoint(Apply(t, {20, 15}), 20, 15);
  ExpectPoint(Apply(t, {0, 0}), -20, -15);
}

}  // namespace
}  // namespace Orvane::Mosaira
