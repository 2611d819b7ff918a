#include <gtest/gtest.h>

#include "LayoutFixtures.h"

namespace Orvane::Mosaira {
namespace {

using testing::ElementJson;
using testing::MakeLayout;
using testing::ParseJson;

MoveButtonModel ReadButton(const std::string& text, GridLayoutModel& owner) {
  const rapidjson::Document doc = ParseJson(text);
  return MoveButtonModel(doc, &owner);
}

TEST(MoveButtonReading, DirectionIsUpDownOnlyForTheExactWord) {
  auto layout = MakeLayout("{}", 100.0, 100.0);
  EXPECT_EQ(ReadButton(R"({"direction":"UP_DOWN"})", *layout).direction, MoveDirection::UP_DOWN);
  EXPECT_EQ(ReadButton(R"({"direction":"up_down"})", *layout).direction, MoveDirection::LEFT_RIGHT);
  EXPECT_EQ(ReadButton(R"({"direction":0})", *layout).direction, MoveDirection::LEFT_RIGHT);
  EXPECT_EQ(ReadButton(R"({})", *layout).direction, MoveDirection::LEFT_RIGHT);
}

TEST(MoveButtonReading, DisplayPointsAndMoveWithKeepStringsOnlyAndWriteBack) {
  auto layout = MakeLayout("{}", 100.0, 100.0);
  const MoveButtonModel b =
      ReadButton(R"({"id":"B","displayPoints":["P1",2,"P3"],"moveWith":["Q",7,"Q"]})", *layout);
  EXPECT_EQ(b.displayPoints[0], "P1");
  EXPECT_EQ(b.displayPoints[1], "");
  EXPECT_EQ(b.moveWith, (std::vector<std::string>{"Q", "Q"}));
  EXPECT_EQ(b.index, 0);
  // Both display points are always written, and moveWith even when empty.
  EXPECT_EQ(ElementJson(ReadButton(R"({"id":"B","displayPoints":["P1"]})", *layout)),
            R"({"id":"B","direction":"LEFT_RIGHT","displayPoints":["P1",""],"moveWith":[]})");
  EXPECT_EQ(ElementJson(ReadButton(R"({"id":"B","direction":"UP_DOWN","moveWith":["A"]})", *layout)),
            R"({"id":"B","direction":"UP_DOWN","displayPoints":["",""],"moveWith":["A"]})");
}

// P1 (20,20) and P2 (20,80) are the display points; P3 (50,50) moves with the buttons.
constexpr const char* kButtons =
    R"({"points":[{"id":"P1","x":0.2,"y":0.2},{"id":"P2","x":0.2,"y":0.8},{"id":"P3","x":0.5,"y":0.5}],)"
    R"("moveButtons":[{"id":"H","displayPoints":["P1","P2"],"moveWith":["P3","NOPE"]},)"
    R"({"id":"V","direction":"UP_DOWN","displayPoints":["P1","P2"]},)"
    R"({"id":"TWICE","displayPoints":["P1","P1"],"moveWith":["P1"]}]})";

// A left-right button moves its points and their twins along x only, an up-down one along y only;
// an id listed three times moves three times, and a button is only moved by deltas.
TEST(MoveButtonMoves, AlongItsDirectionOncePerListing) {
  struct Case {
    const char* button;
    const char* point;
    float x, y;
  };
  for (const Case& c : {Case{"H", "P1", 25, 20}, Case{"H", "P2", 25, 80}, Case{"H", "P3", 55, 50},
                        Case{"V", "P1", 20, 27}, Case{"V", "P2", 20, 87}, Case{"V", "P3", 50, 50},
                        Case{"TWICE", "P1", 35, 20}}) {
    auto layout = MakeLayout(kButtons, 100.0, 100.0);
    layout->moveButtons.at(c.button)->moveBy(5.0, 7.0);
    layout->moveButtons.at(c.button)->moveTo(90.0, 90.0);
    for (const PointModel* p : {layout->findPoint(c.point), layout->findPointCopy(c.point)}) {
      EXPECT_EQ(p->x, c.x) << c.button << " " << c.point;
      EXPECT_EQ(p->y, c.y) << c.button << " " << c.point;
    }
  }
}

// The button moves the vector's end P2 first and then the slider S, which is projected onto the vector
// as P2 has already moved.
TEST(MoveButtonMoves, VectorEndFirstThenSliderOnIt) {
  auto layout = MakeLayout(
      R"({"points":[{"id":"P1","x":0,"y":0},{"id":"P2","x":0,"y":1},{"id":"S","vector":"V","scalar":0.5}],)"
      R"("vectors":[{"id":"V","start":"P1","end":"P2"}],)"
      R"("moveButtons":[{"id":"B","displayPoints":["P2","NONE"],"moveWith":["S"]}]})",
      100.0, 100.0);
  // S sits at (0, 50). P2 moves to (100, 100); the vector now runs from (0,0) to (100,100). S's own
  // position is (50, 50), its target (150, 50), projected to (100, 100): fraction 1.
  layout->moveButtons.at("B")->moveBy(100.0, 0.0);
  EXPECT_EQ(layout->findPoint("P2")->x, 100.0f);
  EXPECT_EQ(layout->findPoint("S")->scalar, 1.0f);
  EXPECT_EQ(layout->findPointCopy("S")->scalar, 1.0f);
}

}  // namespace
}  // namespace Orvane::Mosaira
