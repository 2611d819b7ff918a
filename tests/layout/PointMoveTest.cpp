#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "LayoutFixtures.h"

namespace Orvane::Mosaira {
namespace {

using testing::MakeLayout;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// 100 x 100: a horizontal vector H (10,50)-(90,50) with slider S at 0.25, a vertical vector V
// (50,0)-(50,100), their crossing C, a parallel of H, and a free point F at (90,10).
constexpr const char* kGeometry =
    R"({"points":[{"id":"A","x":0.1,"y":0.5},{"id":"B","x":0.9,"y":0.5},)"
    R"({"id":"T","x":0.5,"y":0},{"id":"U","x":0.5,"y":1},{"id":"D","x":0.1,"y":0.6},{"id":"E","x":0.9,"y":0.6},)"
    R"({"id":"S","vector":"H","scalar":0.25},{"id":"C","crossVector":"H","vector":"V"},)"
    R"({"id":"PAR","crossVector":"H","vector":"H2"},{"id":"F","x":0.9,"y":0.1},)"
    R"({"id":"G","x":0.3,"y":0.3},{"id":"Z","vector":"ZERO","scalar":0.5},{"id":"M","vector":"MISSING","scalar":0.5}],)"
    R"("vectors":[{"id":"H","start":"A","end":"B"},{"id":"V","start":"T","end":"U"},)"
    R"({"id":"H2","start":"D","end":"E"},{"id":"ZERO","start":"G","end":"G"}]})";

class PointGeometry : public ::testing::Test {
 protected:
  std::unique_ptr<GridLayoutModel> layout = MakeLayout(kGeometry, 100.0, 100.0);
  PointModel& point(const std::string& key) { return *layout->findPoint(key); }
};

TEST_F(PointGeometry, SliderSitsAtItsFractionAlongTheVector) {
  const PointPosition p = point("S").getPosition();
  ASSERT_TRUE(p.valid);
  EXPECT_DOUBLE_EQ(p.x, 30.0);
  EXPECT_FLOAT_EQ(static_cast<float>(p.y), 50.0f);
}

TEST_F(PointGeometry, SliderFollowsItsVectorEndsThroughTheTwins) {
  layout->movePoint("B", 0.0, 40.0);  // B to (90, 90)
  const PointPosition p = point("S").getPosition();
  EXPECT_NEAR(p.x, 30.0, 1e-4);
  EXPECT_NEAR(p.y, 60.0, 1e-4);
  // Only the listed point moved, not its twin: geometry still reads the twin.
  point("A").moveBy(0.0, -50.0);
  EXPECT_NEAR(point("S").getPosition().y, 60.0, 1e-4);
}

TEST_F(PointGeometry, CrossingOfTwoLines) {
  const PointPosition p = point("C").getPosition();
  ASSERT_TRUE(p.valid);
  EXPECT_FLOAT_EQ(static_cast<float>(p.x), 50.0f);
  EXPECT_FLOAT_EQ(static_cast<float>(p.y), 50.0f);
  EXPECT_TRUE(layout->findVector("H")->intersect(*layout->findVector("V")).valid);
}

TEST_F(PointGeometry, ParallelLinesHaveNoCrossing) {
  const PointPosition p = point("PAR").getPosition();
  EXPECT_FALSE(p.valid);
  EXPECT_EQ(p.x, 0.0);
  EXPECT_EQ(p.y, 0.0);
}

TEST_F(PointGeometry, MissingVectorOrNoKindHasNoPosition) {
  EXPECT_FALSE(point("M").getPosition().valid);
}

TEST_F(PointGeometry, FreePointIgnoresNaNAndIsClampedToTheLayout) {
  point("F").moveBy(kNaN, 5.0);  // a NaN delta is ignored on its axis
  EXPECT_EQ(point("F").x, 90.0f);
  EXPECT_EQ(point("F").y, 15.0f);
  point("F").moveBy(25.0, -30.0);
  EXPECT_EQ(point("F").x, 100.0f);
  EXPECT_EQ(point("F").y, 0.0f);
  point("F").moveBy(-300.0, 40.0);
  EXPECT_EQ(point("F").x, 0.0f);
  EXPECT_EQ(point("F").y, 40.0f);
}

// A moved slider takes the fraction of its target projected onto its vector, clamped to 0..1; one
// without a vector, or moved by NaN, stays.
TEST_F(PointGeometry, SliderMovedProjectsAndClamps) {
  struct Case {
    const char* key;
    double dx, dy;
    float scalar;
  };
  for (const Case& c : {Case{"S", 0.0, 30.0, 0.25f}, Case{"S", 20.0, -7.0, 0.5f}, Case{"S", 1000.0, 0.0, 1.0f},
                        Case{"S", -1000.0, 0.0, 0.0f}, Case{"Z", 3.0, 4.0, 0.0f}, Case{"M", 3.0, 4.0, 0.5f},
                        Case{"S", kNaN, 0.0, 0.25f}}) {
    layout = MakeLayout(kGeometry, 100.0, 100.0);
    point(c.key).moveBy(c.dx, c.dy);
    EXPECT_EQ(point(c.key).scalar, c.scalar) << c.key << " by " << c.dx << "," << c.dy;
  }
}

TEST_F(PointGeometry, CrossingNeverMoves) {
  point("C").moveBy(10.0, 10.0);
  point("C").moveTo(0.0, 0.0);
  EXPECT_FLOAT_EQ(static_cast<float>(point("C").getPosition().x), 50.0f);
}

TEST_F(PointGeometry, MoveToSetsAndClamps) {
  point("F").moveTo(-5.0, 250.0);
  EXPECT_EQ(point("F").x, 0.0f);
  EXPECT_EQ(point("F").y, 100.0f);
  point("S").moveTo(70.0, 0.0);  // projected: (70 - 10) / 80
  EXPECT_FLOAT_EQ(point("S").scalar, 0.75f);
}

// One call on the layout moves a point and its twin alike, whatever the kind; an unknown key is no move.
TEST_F(PointGeometry, LayoutMovesPointAndTwinInStep) {
  struct Case {
    const char* key;
    double dx, dy;
    float x, y, scalar;
  };
  for (const Case& c : {Case{"F", -25.0, 30.0, 65.0f, 40.0f, 0.0f}, Case{"S", 20.0, 9.0, 0.0f, 0.0f, 0.5f},
                        Case{"C", 10.0, 10.0, 0.0f, 0.0f, 0.0f}, Case{"NOPE", 1.0, 1.0, 0.0f, 0.0f, 0.0f}}) {
    layout = MakeLayout(kGeometry, 100.0, 100.0);
    const std::string before = testing::ToJsonText(*layout);
    layout->movePoint(c.key, c.dx, c.dy);
    if (layout->findPoint(c.key) == nullptr) {
      EXPECT_EQ(testing::ToJsonText(*layout), before);
      continue;
    }
    for (const PointModel* p : {layout->findPoint(c.key), layout->findPointCopy(c.key)}) {
      EXPECT_EQ(p->x, c.x) << c.key;
      EXPECT_EQ(p->y, c.y) << c.key;
      EXPECT_EQ(p->scalar, c.scalar) << c.key;
    }
  }
  layout->setSliderScalar("S", 0.75f);
  layout->setSliderScalar("F", 0.75f);  // not a sliding point: nothing changes
  EXPECT_EQ(point("S").scalar, 0.75f);
  EXPECT_EQ(layout->findPointCopy("S")->scalar, 0.75f);
  EXPECT_EQ(layout->findPointCopy("F")->scalar, 0.0f);
}

// A chain of positions that leads back to where it started must end, as "no position".
TEST(PointCycles, SliderOnAVectorEndingAtItself) {
  auto layout = MakeLayout(
      R"({"points":[{"id":"A","x":0,"y":0},{"id":"S","vector":"V","scalar":0.5}],)"
      R"("vectors":[{"id":"V","start":"A","end":"S"}]})",
      100.0, 100.0);
  PointModel& s = *layout->findPoint("S");
  EXPECT_FALSE(s.getPosition().valid);
  s.moveBy(10.0, 10.0);
  EXPECT_EQ(s.scalar, 0.5f);
}

TEST(PointCycles, TwoCrossingsOnEachOther) {
  auto layout = MakeLayout(
      R"({"points":[{"id":"A","x":0,"y":0},{"id":"B","x":1,"y":1},)"
      R"({"id":"C1","crossVector":"V1","vector":"V2"},{"id":"C2","crossVector":"V3","vector":"V2"}],)"
      R"("vectors":[{"id":"V1","start":"C2","end":"A"},{"id":"V2","start":"A","end":"B"},)"
      R"({"id":"V3","start":"C1","end":"B"}]})",
      100.0, 100.0);
  EXPECT_FALSE(layout->findPoint("C1")->getPosition().valid);
  EXPECT_FALSE(layout->findPoint("C2")->getPosition().valid);
  EXPECT_FALSE(layout->findVector("V1")->intersect(*layout->findVector("V3")).valid);
}

TEST(PointCycles, DeepSharedChainIsResolvedQuickly) {
  // Each level slides on a vector whose two ends are the level before, so it is reached twice per
  // level (shared, but no cycle); without remembering placed points this would take 2^60 steps.
  std::string points = R"([{"id":"L0","x":0.5,"y":0.25})";
  std::string vectors = "[";
  for (int i = 1; i <= 60; ++i) {
    const std::string prev = "L" + std::to_string(i - 1);
    const std::string cur = "L" + std::to_string(i);
    points += R"(,{"id":")" + cur + R"(","vector":"W)" + cur + R"(","scalar":0.5})";
    vectors += std::string(i > 1 ? "," : "") + R"({"id":"W)" + cur + R"(","start":")" + prev +
               R"(","end":")" + prev + R"("})";
  }
  auto layout = MakeLayout(R"({"points":)" + points + R"(],"vectors":)" + vectors + "]}", 100.0, 100.0);
  const PointPosition p = layout->findPoint("L60")->getPosition();
  ASSERT_TRUE(p.valid);
  EXPECT_DOUBLE_EQ(p.x, 50.0);
  EXPECT_DOUBLE_EQ(p.y, 25.0);
}

// Positions that need every bit: results carry the single-precision steps of the arithmetic, one float
// step away from the exact values. The layout is 1 x 1, so fractions are pixels.
constexpr const char* kOddGeometry =
    R"({"points":[{"id":"A","x":0.1,"y":0.2},{"id":"B","x":300.7,"y":100.3},)"
    R"({"id":"C","x":0.3,"y":70.9},{"id":"D","x":210.1,"y":0.7},)"
    R"({"id":"X","crossVector":"AB","vector":"CD"},)"
    R"({"id":"E","x":1000.1,"y":3.3},{"id":"S","vector":"AE","scalar":0.5}],)"
    R"("vectors":[{"id":"AB","start":"A","end":"B"},{"id":"CD","start":"C","end":"D"},)"
    R"({"id":"AE","start":"A","end":"E"}]})";

TEST(PointArithmetic, CrossingIsDividedInSinglePrecision) {
  auto layout = MakeLayout(kOddGeometry, 1.0, 1.0);
  const PointPosition p = layout->findPoint("X")->getPosition();
  ASSERT_TRUE(p.valid);
  // The exact crossing is x = 106.1011798...; the narrowed numerator and denominator give this.
  EXPECT_EQ(p.x, static_cast<double>(106.1011887f));
  EXPECT_EQ(p.y, static_cast<double>(35.4984627f));
}

TEST(PointArithmetic, ProjectionDividesNarrowedDotProducts) {
  auto layout = MakeLayout(kOddGeometry, 1.0, 1.0);
  PointModel& s = *layout->findPoint("S");
  s.moveTo(517.3, 411.7);
  // In double precision throughout the fraction would be 0.51847070f.
  EXPECT_EQ(s.scalar, 0.51847064f);
}

// Level i slides on a vector from level i - 1 to the fixed point Z, so asking for level n walks n
// levels down. A stored layout can hold any chain; following a very long one must not run the stack out.
std::unique_ptr<GridLayoutModel> SliderChain(int levels) {
  std::string points = R"([{"id":"L0","x":0.5,"y":0.25},{"id":"Z","x":0.5,"y":0.75})";
  std::string vectors = "[";
  for (int i = 1; i <= levels; ++i) {
    const std::string cur = std::to_string(i);
    points += R"(,{"id":"L)" + cur + R"(","vector":"W)" + cur + R"(","scalar":0.5})";
    vectors += std::string(i > 1 ? "," : "") + R"({"id":"W)" + cur + R"(","start":"L)" +
               std::to_string(i - 1) + R"(","end":"Z"})";
  }
  return MakeLayout(R"({"points":)" + points + R"(],"vectors":)" + vectors + "]}", 100.0, 100.0);
}

TEST(PointChains, AbsurdlyDeepChainHasNoPositionInsteadOfOverflowingTheStack) {
  auto layout = SliderChain(100000);
  EXPECT_FALSE(layout->findPoint("L100000")->getPosition().valid);
  const PointPosition p = layout->findPoint("L200")->getPosition();  // a moderately deep one is followed
  ASSERT_TRUE(p.valid);
  EXPECT_DOUBLE_EQ(p.x, 50.0);
  EXPECT_NEAR(p.y, 75.0, 1e-9);
  layout->findPoint("L100000")->moveBy(1.0, 1.0);  // a slider without a position stays put
  EXPECT_EQ(layout->findPoint("L100000")->scalar, 0.5f);
}

TEST(PointExtremes, HugeCoordinatesGiveNoCrossingRatherThanInfinity) {
  auto layout = MakeLayout(
      R"({"points":[{"id":"A","x":0,"y":0},{"id":"B","x":1e30,"y":1e29},)"
      R"({"id":"C","x":0,"y":1e30},{"id":"D","x":1e30,"y":0},)"
      R"({"id":"X","crossVector":"V1","vector":"V2"}],)"
      R"("vectors":[{"id":"V1","start":"A","end":"B"},{"id":"V2","start":"C","end":"D"}]})",
      100.0, 100.0);
  const PointPosition p = layout->findPoint("X")->getPosition();
  EXPECT_FALSE(p.valid);
  EXPECT_EQ(p.x, 0.0);
}

}  // namespace
}  // namespace Orvane::Mosaira
