// Counts and limits of the built-in templates, read through the layout model itself.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "tests/registry/RegistryFixtures.h"

namespace Orvane::Mosaira::testing {
namespace {

const std::set<std::string> kCorners = {"LEFT_TOP", "RIGHT_TOP", "RIGHT_BOTTOM", "LEFT_BOTTOM"};

int CountKind(const GridLayoutModel& layout, PointKind kind) {
  return static_cast<int>(std::count_if(layout.points.begin(), layout.points.end(),
                                        [kind](const auto& e) { return e.second->kind == kind; }));
}

TEST(BuiltinCounts, FramesMatchTheNumberBeforeTheHyphen) {
  for (const auto& preview : Builtin().previews) {
    const int n = std::stoi(preview->id.substr(0, preview->id.find('-')));
    EXPECT_EQ(static_cast<int>(preview->frames.size()), n) << preview->id;
  }
}

// Every listed point is read as one of the three kinds, and every template has all four corners.
TEST(BuiltinCounts, PointKinds) {
  for (const auto& preview : Builtin().previews) {
    EXPECT_EQ(CountKind(*preview, PointKind::kNone), 0) << preview->id;
    for (const std::string& c : kCorners) EXPECT_EQ(preview->points.count(c), 1u) << preview->id << " " << c;
  }
}

TEST(BuiltinCounts, ParameterListsCoverEveryPoint) {
  for (const auto& preview : Builtin().previews) {
    EXPECT_EQ(static_cast<int>(preview->pointIds.size()), CountKind(*preview, PointKind::kAbsolute)) << preview->id;
    EXPECT_EQ(static_cast<int>(preview->sliderIds.size()), CountKind(*preview, PointKind::kSlider)) << preview->id;
    for (std::size_t i = 0; i < preview->pointIds.size(); ++i) {
      EXPECT_EQ(preview->points.at(preview->pointIds[i])->index, static_cast<int32_t>(i));
    }
    for (std::size_t i = 0; i < preview->sliderIds.size(); ++i) {
      EXPECT_EQ(preview->points.at(preview->sliderIds[i])->index, static_cast<int32_t>(i));
    }
  }
}

TEST(BuiltinCounts, MaximaReachedByExactlyTheNamedTemplates) {
  std::set<std::string> maxAbsolute, maxSlider;
  for (const auto& preview : Builtin().previews) {
    EXPECT_LE(preview->pointIds.size(), 16u) << preview->id;
    EXPECT_LE(preview->sliderIds.size(), 9u) << preview->id;
    EXPECT_LE(preview->vectors.size(), 8u) << preview->id;
    EXPECT_LE(preview->moveButtons.size(), 8u) << preview->id;
    if (preview->pointIds.size() == 16) maxAbsolute.insert(preview->id);
    if (preview->sliderIds.size() == 9) maxSlider.insert(preview->id);
  }
  EXPECT_EQ(maxAbsolute, (std::set<std::string>{"5-11", "9-1", "9-10", "9-11", "9-12"}));
  EXPECT_EQ(maxSlider, (std::set<std::string>{"9-3", "9-5", "9-8"}));
}

// The parameter orders of "1-1", "2-1" and "3-1" are checked on copies of them in the layout tests.
TEST(BuiltinCounts, CrossingPointReadsBothVectors) {
  const auto& ids = Builtin().layoutIds;
  const auto it = std::find_if(ids.begin(), ids.end(), [](const LayoutIdEntry& e) { return e.id == "6-5"; });
  ASSERT_NE(it, ids.end());
  const PointModel& p13 = *Builtin().previews.at(static_cast<std::size_t>(it - ids.begin()))->points.at("P13");
  EXPECT_EQ(p13.kind, PointKind::kCrossing);
  EXPECT_EQ(p13.crossVector, "V2");
  EXPECT_EQ(p13.baseVector, "V1");
}

}  // namespace
}  // namespace Orvane::Mosaira::testing
