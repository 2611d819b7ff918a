#include <gtest/gtest.h>

#include <stdexcept>

#include "LayoutFixtures.h"

namespace Orvane::Mosaira {
namespace {

using testing::MakeLayout;
using Ids = std::vector<std::string>;

Ids IndicesInOrder(const GridLayoutModel& layout, const Ids& ids) {
  Ids out;
  for (size_t i = 0; i < ids.size(); ++i) {
    if (layout.findPoint(ids[i])->index != static_cast<int32_t>(i)) {
      out.push_back(ids[i]);
    }
  }
  return out;  // ids whose index is not their list position
}

// Corners join after the listed points, tying by index and sorting by key; sliders get their own list.
TEST(Renumbering, ParameterOrderOfPointsAndSliders) {
  struct Case {
    const char* json;
    Ids points, sliders;
  };
  const Case cases[] = {
      {testing::kOneFrame, {"LEFT_TOP", "RIGHT_TOP", "RIGHT_BOTTOM", "LEFT_BOTTOM"}, {}},
      {testing::kTwoFrames, {"P5", "LEFT_TOP", "P6", "LEFT_BOTTOM", "RIGHT_TOP", "RIGHT_BOTTOM"}, {}},
      {testing::kThreeFrames, {"P5", "P6", "LEFT_TOP", "P8", "RIGHT_TOP", "LEFT_BOTTOM", "RIGHT_BOTTOM"}, {"P7"}},
  };
  for (const Case& c : cases) {
    for (const double size : {60.0, 1920.0}) {
      auto layout = MakeLayout(c.json, size, size / 2);
      EXPECT_EQ(layout->pointIds, c.points);
      EXPECT_EQ(layout->sliderIds, c.sliders);
      EXPECT_TRUE(IndicesInOrder(*layout, layout->pointIds).empty());
      for (const std::string& slider : c.sliders) EXPECT_EQ(layout->findPoint(slider)->index, 0);
    }
  }
}

TEST(Renumbering, ManyEqualIndicesKeepKeyOrder) {
  // Enough points that an unstable sort would shuffle the ties.
  std::string points;
  Ids expected;
  for (int i = 0; i < 40; ++i) {
    const std::string key = "P" + std::to_string(100 + (i * 17) % 40);  // listed out of key order
    points += (i ? "," : "") + std::string(R"({"id":")") + key + R"(","index":0,"x":0,"y":0})";
    expected.push_back("P" + std::to_string(100 + i));
  }
  auto layout = MakeLayout(R"({"points":[)" + points + "]}", 100.0, 100.0);
  EXPECT_EQ(layout->pointIds, expected);
  EXPECT_TRUE(IndicesInOrder(*layout, layout->pointIds).empty());
}

TEST(Renumbering, CrossingPointsKeepTheirIndexAndJoinNoList) {
  auto layout = MakeLayout(R"({"points":[{"id":"A","x":0,"y":0},{"id":"X","index":9,"crossVector":"V"}]})",
                           100.0, 100.0);
  EXPECT_EQ(layout->pointIds, (Ids{"A"}));
  EXPECT_EQ(layout->findPoint("X")->index, 9);
}

TEST(CornerPoints, AddedAtTheCornersInSinglePrecision) {
  auto layout = MakeLayout(testing::kOneFrame, 1000.5, 333.3);
  EXPECT_EQ(layout->findPoint("RIGHT_BOTTOM")->x, 1000.5f);
  EXPECT_EQ(layout->findPoint("RIGHT_BOTTOM")->y, 333.3f);
  EXPECT_EQ(layout->findPoint("LEFT_TOP")->kind, PointKind::kAbsolute);
  EXPECT_TRUE(layout->findPoint("LEFT_TOP")->movable);
  EXPECT_EQ(layout->findPointCopy("LEFT_BOTTOM")->y, 333.3f);
  EXPECT_EQ(layout->findPointCopy("LEFT_BOTTOM")->id, "");
}

TEST(CornerPoints, ListedCornerKeepsItsPositionAndIndex) {
  auto layout = MakeLayout(
      R"({"points":[{"id":"P1","x":0.5,"y":0},{"id":"LEFT_TOP","index":0,"x":0.1,"y":0.2}],)"
      R"("frames":[{"polygon":["LEFT_TOP","P1","RIGHT_BOTTOM"]}]})",
      100.0, 100.0);
  EXPECT_EQ(layout->points.size(), 3u);
  EXPECT_EQ(layout->findPoint("LEFT_TOP")->x, 10.0f);
  EXPECT_EQ(layout->findPoint("LEFT_TOP")->y, 20.0f);
  // LEFT_TOP (0) ties with P1 (0) and sorts first; RIGHT_BOTTOM got 2 - 1 = 1.
  EXPECT_EQ(layout->pointIds, (Ids{"LEFT_TOP", "P1", "RIGHT_BOTTOM"}));
}

TEST(CornerPoints, CornerNamedByTwoFramesIsAddedOnce) {
  auto layout = MakeLayout(
      R"({"points":[{"id":"P1","x":0.5,"y":0}],"frames":[{"polygon":["RIGHT_TOP","P1"]},)"
      R"({"polygon":["LEFT_TOP","RIGHT_TOP"]}]})",
      100.0, 100.0);
  EXPECT_EQ(layout->points.size(), 3u);
  EXPECT_EQ(layout->pointCopies.size(), 3u);
  // RIGHT_TOP joined first with index 0 (tying P1), LEFT_TOP second with 1.
  EXPECT_EQ(layout->pointIds, (Ids{"P1", "RIGHT_TOP", "LEFT_TOP"}));
}

TEST(CornerPoints, FirstCornerOfALayoutWithoutPointsGetsMinusOne) {
  auto layout = MakeLayout(R"({"frames":[{"polygon":["RIGHT_BOTTOM"]}]})", 10.0, 10.0);
  EXPECT_EQ(layout->pointIds, (Ids{"RIGHT_BOTTOM"}));
  EXPECT_EQ(layout->findPoint("RIGHT_BOTTOM")->index, 0);
}

TEST(Twins, EveryPointHasAnEqualTwinWithoutId) {
  auto layout = MakeLayout(testing::kThreeFrames, 1920.0, 1080.0);
  ASSERT_EQ(layout->points.size(), layout->pointCopies.size());
  for (const auto& [key, point] : layout->points) {
    const PointModel* twin = layout->findPointCopy(key);
    ASSERT_NE(twin, nullptr) << key;
    EXPECT_NE(twin, point.get());
    EXPECT_EQ(twin->id, "");
    EXPECT_EQ(twin->kind, point->kind);
    EXPECT_EQ(twin->x, point->x);
    EXPECT_EQ(twin->y, point->y);
    EXPECT_EQ(twin->scalar, point->scalar);
    EXPECT_EQ(twin->sliderVector, point->sliderVector);
    EXPECT_EQ(twin->owner, layout.get());
  }
}

TEST(Duplicates, FirstElementOfARepeatedIdStays) {
  auto layout = MakeLayout(
      R"({"points":[{"id":"P","x":0.1,"y":0.1},{"id":"P","x":0.9,"y":0.9}],)"
      R"("vectors":[{"id":"V","start":"A"},{"id":"V","start":"B"}],)"
      R"("moveButtons":[{"id":"B","direction":"UP_DOWN"},{"id":"B"}]})",
      100.0, 100.0);
  EXPECT_EQ(layout->points.size(), 1u);
  EXPECT_EQ(layout->findPoint("P")->x, 10.0f);
  EXPECT_EQ(layout->findPointCopy("P")->x, 10.0f);
  EXPECT_EQ(layout->findVector("V")->start, "A");
  EXPECT_EQ(layout->moveButtons.at("B")->direction, MoveDirection::UP_DOWN);
}

TEST(Duplicates, AddPointKeepsTheFirst) {
  auto layout = MakeLayout(R"({"points":[{"id":"P","x":0.1,"y":0.1}]})", 100.0, 100.0);
  const rapidjson::Document doc = testing::ParseJson(R"({"id":"P","x":0.5,"y":0.5})");
  layout->addPoint(std::make_unique<PointModel>(doc, LayoutSize{100.0, 100.0}, layout.get(), 0), "P");
  EXPECT_EQ(layout->findPoint("P")->x, 10.0f);
  layout->addPoint(nullptr, "Q");
  EXPECT_EQ(layout->findPoint("Q"), nullptr);
}

TEST(MalformedInput, ElementsThatAreNotObjectsAreSkippedButCounted) {
  auto layout = MakeLayout(
      R"({"points":[1,"P",null,{"id":"A","x":0,"y":0},[]],"vectors":[true,{"id":"V"}],)"
      R"("moveButtons":[[],{"id":"B"}],"frames":["F",{"id":"F","polygon":["A",3,"LEFT_TOP"]}]})",
      100.0, 100.0);
  EXPECT_EQ(layout->points.size(), 2u);  // A and the corner LEFT_TOP
  EXPECT_EQ(layout->findVector("V")->index, 1);
  EXPECT_EQ(layout->moveButtons.size(), 1u);
  ASSERT_EQ(layout->frames.size(), 1u);
  EXPECT_EQ(layout->frames[0]->polygon, (Ids{"A", "LEFT_TOP"}));
  // A keeps its array position 3 as index; the corner joined with 1 - 1 = 0.
  EXPECT_EQ(layout->pointIds, (Ids{"LEFT_TOP", "A"}));
}

TEST(MalformedInput, MembersOfTheWrongTypeAreIgnored) {
  auto layout = MakeLayout(R"({"id":5,"index":"3","points":{},"vectors":"V","frames":null,)"
                           R"("activePoint":1,"activeMoveButton":[]})",
                           100.0, 100.0, 12);
  EXPECT_EQ(layout->id, "");
  EXPECT_EQ(layout->index, 12);
  EXPECT_TRUE(layout->points.empty());
  EXPECT_TRUE(layout->frames.empty());
  EXPECT_EQ(layout->activePoint, "");
  GridLayoutModel array(testing::ParseJson("[1,2,3]"), LayoutSize{10.0, 10.0}, 4);
  EXPECT_EQ(array.index, 4);
  EXPECT_TRUE(array.points.empty());
}

TEST(MalformedInput, BadCoordinateAbortsTheLayoutWithoutLeaks) {
  // Built halfway (points, vectors) when the bad coordinate throws; the sanitizer build checks leaks.
  EXPECT_THROW(MakeLayout(R"({"vectors":[{"id":"V"}],"points":[{"id":"A","x":0,"y":0},)"
                          R"({"id":"B","x":"oops","y":0}]})",
                          100.0, 100.0),
               std::invalid_argument);
}

TEST(Selection, KeptOnlyWhenItNamesAnElement) {
  auto layout = MakeLayout(R"({"points":[{"id":"A","x":0,"y":0}],"moveButtons":[{"id":"B"}],)"
                           R"("activePoint":"A","activeMoveButton":"B"})",
                           100.0, 100.0);
  EXPECT_EQ(layout->activePoint, "A");
  EXPECT_EQ(layout->activeMoveButton, "B");
  auto other = MakeLayout(R"({"activePoint":"A","activeMoveButton":"B"})", 100.0, 100.0);
  EXPECT_EQ(other->activePoint, "");
  EXPECT_EQ(other->activeMoveButton, "");
}

}  // namespace
}  // namespace Orvane::Mosaira
