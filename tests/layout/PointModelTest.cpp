#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <stdexcept>

#include "LayoutFixtures.h"
#include "layout/CornerPoints.h"

namespace Orvane::Mosaira {
namespace {

using testing::ElementJson;
using testing::MakeLayout;
using testing::ParseJson;

PointModel ReadPoint(const std::string& text, GridLayoutModel& owner, int32_t index = 0) {
  const rapidjson::Document doc = ParseJson(text);
  return PointModel(doc, LayoutSize{owner.width, owner.height}, &owner, index);
}

TEST(CornerNames, OnlyTheFourExactNames) {
  for (const char* name : {"LEFT_TOP", "RIGHT_TOP", "RIGHT_BOTTOM", "LEFT_BOTTOM"}) EXPECT_TRUE(IsCornerName(name));
  for (const char* name : {"left_bottom", "LEFT_TOP ", ""}) EXPECT_FALSE(IsCornerName(name)) << name;
}

class PointReading : public ::testing::Test {
 protected:
  std::unique_ptr<GridLayoutModel> layout = MakeLayout("{}", 1920.0, 1080.0);
};

TEST_F(PointReading, AbsoluteFromNumberAndDecimalString) {
  const PointModel p = ReadPoint(R"({"id":"P1","x":0,"y":"0.5"})", *layout);
  EXPECT_EQ(p.kind, PointKind::kAbsolute);
  EXPECT_EQ(p.x, 0.0f);
  EXPECT_EQ(p.y, 540.0f);
}

TEST_F(PointReading, CoordinatesAreNarrowedBeforeAndAfterSizing) {
  // 0.33 is first narrowed to 0.330000013f, so sized it lands one float step away from 0.33 * size.
  const PointModel p = ReadPoint(R"({"id":"P1","x":0.33,"y":0.33})", *layout);
  EXPECT_EQ(p.x, 633.6000366f);
  EXPECT_EQ(p.y, 356.4000244f);
  EXPECT_NE(p.x, static_cast<float>(0.33 * 1920.0));
  EXPECT_NE(p.y, static_cast<float>(0.33 * 1080.0));
}

TEST_F(PointReading, CornerIdWithoutBothCoordinatesSitsAtTheCorner) {
  const PointModel p = ReadPoint(R"({"id":"LEFT_BOTTOM","x":0.5})", *layout);
  EXPECT_EQ(p.kind, PointKind::kAbsolute);
  EXPECT_EQ(p.x, 0.0f);
  EXPECT_EQ(p.y, 1080.0f);
  EXPECT_EQ(ReadPoint(R"({"id":"RIGHT_TOP"})", *layout).x, 1920.0f);
}

// A lower-case corner, one coordinate only, or no string id.
TEST_F(PointReading, IncompletePointHasNoKind) {
  for (const char* text :
       {R"({"id":"left_bottom"})", R"({"id":"P1","x":0.5})", R"({"x":0.5,"y":0.5})", R"({"id":5,"x":0.5,"y":0.5})"}) {
    const PointModel p = ReadPoint(text, *layout);
    EXPECT_EQ(p.kind, PointKind::kNone) << text;
    EXPECT_FALSE(p.getPosition().valid) << text;
  }
}

TEST_F(PointReading, SliderNeedsBothVectorAndScalar) {
  const PointModel slider = ReadPoint(R"({"id":"P1","vector":"V1","scalar":0.33})", *layout);
  EXPECT_EQ(slider.kind, PointKind::kSlider);
  EXPECT_EQ(slider.scalar, 0.33f);
  EXPECT_EQ(slider.sliderVector, "V1");
  EXPECT_EQ(ReadPoint(R"({"id":"P1","vector":"V1","scalar":1.5})", *layout).scalar, 1.5f);  // not clamped
  // A "vector" without "scalar" falls through to the crossing test.
  EXPECT_EQ(ReadPoint(R"({"id":"P1","vector":"V1"})", *layout).kind, PointKind::kNone);
  const PointModel crossing = ReadPoint(R"({"id":"P1","vector":"V1","crossVector":"V2"})", *layout);
  EXPECT_EQ(crossing.kind, PointKind::kCrossing);
  EXPECT_EQ(crossing.baseVector, "V1");
  EXPECT_EQ(crossing.crossVector, "V2");
  EXPECT_TRUE(crossing.sliderVector.empty());
}

TEST_F(PointReading, MovableOnlyAsBoolean) {
  EXPECT_TRUE(ReadPoint(R"({"id":"P1","movable":"NO","x":0,"y":0})", *layout).movable);
  EXPECT_FALSE(ReadPoint(R"({"id":"P1","movable":false,"x":0,"y":0})", *layout).movable);
  EXPECT_FALSE(ReadPoint(R"({"id":"P1","movable":true,"crossVector":"V"})", *layout).movable);
}

TEST_F(PointReading, IndexOnlyAsThirtyTwoBitInteger) {
  EXPECT_EQ(ReadPoint(R"({"id":"P1","index":7,"x":0,"y":0})", *layout, 3).index, 7);
  EXPECT_EQ(ReadPoint(R"({"id":"P1","index":3.0,"x":0,"y":0})", *layout, 3).index, 3);
  EXPECT_EQ(ReadPoint(R"({"id":"P1","index":4294967296,"x":0,"y":0})", *layout, 3).index, 3);
  EXPECT_EQ(ReadPoint(R"({"id":"P1","index":"7","x":0,"y":0})", *layout, 3).index, 3);
}

TEST_F(PointReading, NonFiniteCoordinatesAreRefused) {
  EXPECT_THROW(ReadPoint(R"({"id":"P1","x":"nan","y":0})", *layout), std::invalid_argument);
  EXPECT_THROW(ReadPoint(R"({"id":"P1","x":"inf","y":0})", *layout), std::invalid_argument);
  // Finite as a double, infinite once narrowed to single precision.
  EXPECT_THROW(ReadPoint(R"({"id":"P1","x":1e300,"y":0})", *layout), std::out_of_range);
  EXPECT_THROW(ReadPoint(R"({"id":"P1","vector":"V","scalar":1e300})", *layout), std::out_of_range);
}

TEST_F(PointReading, OtherCoordinateTypesReadAsZero) {
  const PointModel p = ReadPoint(R"({"id":"P1","x":true,"y":[1]})", *layout);
  EXPECT_EQ(p.kind, PointKind::kAbsolute);
  EXPECT_EQ(p.x, 0.0f);
  EXPECT_EQ(p.y, 0.0f);
}

TEST(PointWriting, EachKindWritesItsMembers) {
  struct Case {
    const char* in;
    double size;
    int32_t index;
    const char* out;
  };
  const Case cases[] = {
      // Absolute: fractions of the layout size; movable is written true whatever was read.
      {R"({"id":"P1","movable":"NO","index":4,"x":0.25,"y":0.5})", 200.0, 0,
       R"({"index":4,"movable":true,"id":"P1","x":0.25,"y":0.5})"},
      {R"({"id":"P7","vector":"V1","scalar":0.33})", 200.0, 2,
       R"({"index":2,"movable":true,"id":"P7","vector":"V1","scalar":0.33000001311302185})"},
      {R"({"id":"X","movable":true,"vector":"A","crossVector":"B"})", 200.0, 0,
       R"({"index":0,"movable":false,"id":"X","crossVector":"B","vector":"A"})"},
      {R"({"id":"Q"})", 200.0, 0, R"({"index":0,"movable":true,"id":"Q"})"},
      // A zero-sized layout writes zero, not an empty value.
      {R"({"id":"P1","x":0.5,"y":0.5})", 0.0, 0, R"({"index":0,"movable":true,"id":"P1","x":0.0,"y":0.0})"},
  };
  for (const Case& c : cases) {
    auto layout = MakeLayout("{}", c.size, c.size / 2);
    EXPECT_EQ(ElementJson(ReadPoint(c.in, *layout, c.index)), c.out);
  }
}

}  // namespace
}  // namespace Orvane::Mosaira
