#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "LayoutFixtures.h"

namespace Orvane::Mosaira {
namespace {

using testing::MakeLayout;
using testing::ToJsonText;

TEST(LayoutWriting, EmptyLayoutWritesIndexIdAndFourEmptyArrays) {
  EXPECT_EQ(ToJsonText(*MakeLayout("{}", 10.0, 10.0, 7)),
            R"({"index":7,"id":"","points":[],"vectors":[],"moveButtons":[],"frames":[]})");
  EXPECT_EQ(ToJsonText(*MakeLayout("{}", 10.0, 10.0, -1)),
            R"({"index":-1,"id":"","points":[],"vectors":[],"moveButtons":[],"frames":[]})");
}

TEST(LayoutWriting, CompactTextInTheFixedKeyOrder) {
  auto layout = MakeLayout(testing::kTwoFrames, 200.0, 100.0, 1);
  layout->activePoint = "P5";
  layout->activeMoveButton = "B1";
  EXPECT_EQ(ToJsonText(*layout),
            R"({"activeMoveButton":"B1","activePoint":"P5","index":1,"id":"2-1","points":[)"
            R"({"index":3,"movable":true,"id":"LEFT_BOTTOM","x":0.0,"y":1.0},)"
            R"({"index":1,"movable":true,"id":"LEFT_TOP","x":0.0,"y":0.0},)"
            R"({"index":0,"movable":true,"id":"P5","x":0.5,"y":0.0},)"
            R"({"index":2,"movable":true,"id":"P6","x":0.5,"y":1.0},)"
            R"({"index":5,"movable":true,"id":"RIGHT_BOTTOM","x":1.0,"y":1.0},)"
            R"({"index":4,"movable":true,"id":"RIGHT_TOP","x":1.0,"y":0.0}],)"
            R"("vectors":[{"index":0,"id":"V1","start":"P5","end":"P6"}],)"
            R"("moveButtons":[{"id":"B1","direction":"LEFT_RIGHT","displayPoints":["P5","P6"],"moveWith":[]}],)"
            R"("frames":[{"id":"F1","polygon":["LEFT_TOP","P5","P6","LEFT_BOTTOM"]},)"
            R"({"id":"F2","polygon":["P5","RIGHT_TOP","RIGHT_BOTTOM","P6"]}]})");
}

TEST(LayoutWriting, ArraysFollowByteWiseKeyOrderNotReadingOrder) {
  auto layout = MakeLayout(
      R"({"points":[{"id":"P2","x":0,"y":0},{"id":"P10","x":0,"y":0},{"id":"P1","x":0,"y":0},)"
      R"({"id":"LEFT_TOP","x":0,"y":0},{"id":"LEFT_BOTTOM","x":0,"y":0},{"id":"Pz","x":0,"y":0},)"
      R"({"id":"P\u00e9","x":0,"y":0}],)"
      R"("vectors":[{"id":"b"},{"id":"a"},{"id":"B"}],"moveButtons":[{"id":"M2"},{"id":"M10"}]})",
      100.0, 100.0);
  const std::string text = ToJsonText(*layout);
  std::vector<size_t> at;
  for (const char* key : {"\"LEFT_BOTTOM\"", "\"LEFT_TOP\"", "\"P1\"", "\"P10\"", "\"P2\"", "\"Pz\"",
                          "\"P\xC3\xA9\""}) {
    at.push_back(text.find(key));
    ASSERT_NE(at.back(), std::string::npos) << key;
  }
  EXPECT_TRUE(std::is_sorted(at.begin(), at.end())) << text;
  EXPECT_LT(text.find("\"id\":\"B\""), text.find("\"id\":\"a\""));
  EXPECT_LT(text.find("\"id\":\"a\""), text.find("\"id\":\"b\""));
  EXPECT_LT(text.find("\"M10\""), text.find("\"M2\""));
}

TEST(LayoutWriting, ZeroSizeOrNonFiniteValuesStillWriteValidJson) {
  auto zero = MakeLayout(testing::kTwoFrames, 0.0, 0.0);
  auto moved = MakeLayout(testing::kThreeFrames, 100.0, 100.0);
  moved->findPoint("P7")->scalar = std::numeric_limits<float>::quiet_NaN();
  moved->findPoint("P5")->x = std::numeric_limits<float>::infinity();
  for (const GridLayoutModel* layout : {zero.get(), moved.get()}) {
    const std::string text = ToJsonText(*layout);
    rapidjson::Document doc;
    doc.Parse(text.c_str());
    ASSERT_FALSE(doc.HasParseError()) << text;
  }
  const rapidjson::Document doc = testing::ParseJson(ToJsonText(*zero));
  EXPECT_EQ(doc["points"].Size(), 6u);
  EXPECT_EQ(doc["points"][0]["x"].GetDouble(), 0.0);
}

class LayoutRoundTrip : public ::testing::Test {
 protected:
  void SetUp() override {
    original = MakeLayout(testing::kThreeFrames, 1920.0, 1080.0, 5);
    // Reshape it so that nothing is at a template value any more.
    original->moveButtons.at("B1")->moveBy(0.0, 123.4);
    original->movePoint("P8", -77.7, 0.0);
    original->movePoint("P7", -100.0, 0.0);
    original->activePoint = "P7";
    text = ToJsonText(*original);
  }
  std::unique_ptr<GridLayoutModel> original;
  std::string text;
};

TEST_F(LayoutRoundTrip, SameSizeReproducesEverything) {
  auto copy = MakeLayout(text, 1920.0, 1080.0, -1);
  EXPECT_EQ(copy->index, 5);
  EXPECT_EQ(copy->id, "3-1");
  EXPECT_EQ(copy->pointIds, original->pointIds);
  EXPECT_EQ(copy->sliderIds, original->sliderIds);
  EXPECT_EQ(copy->activePoint, "P7");
  ASSERT_EQ(copy->points.size(), original->points.size());
  for (const auto& [key, point] : original->points) {
    const PointModel& back = *copy->findPoint(key);
    EXPECT_EQ(back.kind, point->kind) << key;
    EXPECT_EQ(back.index, point->index) << key;
    // Within one single-precision step of the original position.
    EXPECT_NEAR(back.x, point->x, std::nextafter(point->x, 1e30f) - point->x) << key;
    EXPECT_NEAR(back.y, point->y, std::nextafter(point->y, 1e30f) - point->y) << key;
    EXPECT_EQ(back.scalar, point->scalar) << key;
  }
  EXPECT_EQ(copy->vectors.size(), 1u);
  EXPECT_EQ(copy->moveButtons.at("B1")->direction, MoveDirection::UP_DOWN);
  ASSERT_EQ(copy->frames.size(), 3u);
  EXPECT_EQ(copy->frames[2]->polygon, original->frames[2]->polygon);
}

// Every number a layout writes reads back as the very same double (points at odd pixels give
// 17-digit fractions, which a fast parse may miss by a unit in the last place).
TEST(LayoutReading, WrittenNumbersReadBackBitIdentical) {
  std::string points = R"({"points":[{"id":"P0","x":0,"y":0})";
  for (int i = 1; i <= 60; ++i) {
    points += R"(,{"id":"P)" + std::to_string(i) + R"(","x":)" + std::to_string(i * 0.0137) + R"(,"y":0.5})";
  }
  auto layout = MakeLayout(points + "]}", 1920.0, 1080.0, 0);
  for (auto& entry : layout->points) entry.second->moveBy(0.37, -0.21);
  const std::string text = ToJsonText(*layout);
  rapidjson::Document doc;
  ASSERT_TRUE(ParseOwnJson(&doc, text.c_str(), text.size()));
  for (const JsonValue& point : doc["points"].GetArray()) {
    const PointModel& written = *layout->findPoint(point["id"].GetString());
    EXPECT_EQ(point["x"].GetDouble(), double(written.x) / 1920.0) << point["id"].GetString();
    EXPECT_EQ(point["y"].GetDouble(), double(written.y) / 1080.0) << point["id"].GetString();
  }
}

// Numbers by input class: integers keep their integer kinds, a zero with a huge exponent is zero,
// a number beyond a double or text after the value fails the whole parse.
TEST(LayoutReading, OwnJsonNumbersByKind) {
  rapidjson::Document doc;
  const std::string ok = R"([7, -7, 3000000000, 0e308, 2.5e-3] )";
  ASSERT_TRUE(ParseOwnJson(&doc, ok.c_str(), ok.size()));
  EXPECT_TRUE(doc[0].IsInt() && doc[1].IsInt() && doc[2].IsUint() && !doc[2].IsInt());
  EXPECT_EQ(doc[1].GetInt(), -7);
  EXPECT_EQ(doc[3].GetDouble(), 0.0);
  EXPECT_EQ(doc[4].GetDouble(), 2.5e-3);
  for (const std::string bad : {"[1e400]", "[1] 2", "[1,]", ""}) {
    EXPECT_FALSE(ParseOwnJson(&doc, bad.c_str(), bad.size())) << bad;
    EXPECT_TRUE(doc.IsNull()) << bad;
  }
}

TEST(LayoutReading, IndexWrittenAsNonIntegerIsIgnored) {
  EXPECT_EQ(MakeLayout(R"({"index":3.0})", 10.0, 10.0, 8)->index, 8);
  EXPECT_EQ(MakeLayout(R"({"index":3})", 10.0, 10.0, 8)->index, 3);
  EXPECT_EQ(MakeLayout(R"({"index":-2147483649})", 10.0, 10.0, 8)->index, 8);
}

}  // namespace
}  // namespace Orvane::Mosaira
