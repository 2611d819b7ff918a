// Geometry of the built-in templates through the model: previews, tiling, insets, drags, round trips.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <string>

#include "effect/ParamIndices.h"
#include "tests/registry/RegistryFixtures.h"

namespace Orvane::Mosaira::testing {
namespace {

double TotalArea(const GridLayoutModel& layout) {
  double sum = 0.0;
  for (const auto& frame : layout.frames) sum += std::fabs(FrameArea(layout, *frame));
  return sum;
}

bool MovesACorner(const MoveButtonModel& button) {
  static const std::set<std::string> corners = {"LEFT_TOP", "RIGHT_TOP", "RIGHT_BOTTOM", "LEFT_BOTTOM"};
  return corners.count(button.displayPoints[0]) != 0 || corners.count(button.displayPoints[1]) != 0;
}

// Every template has as many frames as its id's number, and fits the effect's stored parameters.
TEST(BuiltinGeometry, FramesMatchTheIdAndFitTheParameters) {
  for (const auto& preview : Builtin().previews) {
    EXPECT_EQ(int(preview->frames.size()), std::stoi(preview->id.substr(0, preview->id.find('-')))) << preview->id;
    EXPECT_LE(int(preview->frames.size()), kPolygonGroupCount) << preview->id;
    EXPECT_LE(int(preview->pointIds.size()), kPointParamCount) << preview->id;
    EXPECT_LE(int(preview->sliderIds.size()), kSliderParamCount) << preview->id;
  }
}

TEST(BuiltinGeometry, FramesTileTheLayout) {
  for (const auto& preview : Builtin().previews) {
    ASSERT_TRUE(AllFramePointsPlaced(*preview)) << preview->id;
    EXPECT_NEAR(TotalArea(*preview), 3600.0, 1e-2) << preview->id;
    for (const auto& frame : preview->frames) {
      // No sliver frames: each takes at least one per cent of the picture.
      EXPECT_GT(std::fabs(FrameArea(*preview, *frame)), 36.0) << preview->id << " " << frame->id;
    }
  }
}

TEST(BuiltinGeometry, PointsInsideTheLayout) {
  for (const auto& preview : Builtin().previews) {
    for (const auto& [id, point] : preview->pointCopies) {
      const PointPosition pos = point->getPosition();
      ASSERT_TRUE(pos.valid) << preview->id << " " << id;
      EXPECT_TRUE(pos.x >= -1e-3 && pos.x <= 60.001 && pos.y >= -1e-3 && pos.y <= 60.001) << preview->id << " " << id;
    }
  }
}

TEST(BuiltinGeometry, ReferencesResolve) {
  for (const auto& preview : Builtin().previews) {
    const GridLayoutModel& p = *preview;
    for (const auto& [id, v] : p.vectors) {
      EXPECT_NE(p.findPoint(v->start), nullptr) << p.id << " " << id;
      EXPECT_NE(p.findPoint(v->end), nullptr) << p.id << " " << id;
    }
    for (const auto& [id, b] : p.moveButtons) {
      for (const std::string& q : b->displayPoints) EXPECT_NE(p.findPoint(q), nullptr) << p.id << " " << id;
      for (const std::string& q : b->moveWith) EXPECT_NE(p.findPoint(q), nullptr) << p.id << " " << id;
    }
    for (const auto& [id, point] : p.points) {
      if (point->kind == PointKind::kSlider) {
        EXPECT_NE(p.findVector(point->sliderVector), nullptr) << p.id << " " << id;
        EXPECT_GE(point->scalar, 0.25f);
        EXPECT_LE(point->scalar, 0.75f);
      }
    }
  }
}

// Previews are inset at spacing 0; at full HD every frame survives an edge inset of 10.
TEST(BuiltinGeometry, EveryFrameHasAnInset) {
  for (std::size_t i = 0; i < Builtin().layoutIds.size(); ++i) {
    const GridLayoutModel& preview = *Builtin().previews[i];
    EXPECT_EQ(preview.spacing, 0.0f);
    for (const auto& frame : preview.frames) EXPECT_FALSE(frame->insetPolygons.empty()) << preview.id;
    const auto layout = BuildTemplate(i, 1920, 1080);
    layout->setSpacing(10.0f);
    for (const auto& frame : layout->frames) {
      EXPECT_FALSE(frame->insetPolygons.empty()) << layout->id << " " << frame->id;
    }
  }
}

// A move button shifts a cut; every frame that meets the cut follows, so the frames still tile.
TEST(BuiltinGeometry, DraggingAButtonKeepsTheTiling) {
  for (std::size_t i = 0; i < Builtin().layoutIds.size(); ++i) {
    for (const double d : {-4.0, 4.0}) {
      const auto layout = BuildTemplate(i, 600, 600);
      for (auto& [id, button] : layout->moveButtons) {
        if (MovesACorner(*button)) continue;  // outer-edge buttons crop the picture on purpose
        button->moveBy(d, d);
        EXPECT_NEAR(TotalArea(*layout), 360000.0, 1.0) << layout->id << " " << id << " by " << d;
      }
    }
  }
}

TEST(BuiltinRoundTrip, ToJsonParseRebuildIsUnchanged) {
  for (std::size_t i = 0; i < Builtin().layoutIds.size(); ++i) {
    const auto layout = BuildTemplate(i, 1920, 1080);
    const std::string text = ToJsonText(*layout);
    rapidjson::Document doc;
    doc.Parse(text.c_str(), text.size());
    ASSERT_FALSE(doc.HasParseError()) << layout->id;
    const GridLayoutModel rebuilt(doc, LayoutSize{1920, 1080}, -1);
    EXPECT_EQ(ToJsonText(rebuilt), text) << layout->id;
    EXPECT_EQ(rebuilt.index, static_cast<int32_t>(i));
    EXPECT_EQ(rebuilt.pointIds, layout->pointIds);
    EXPECT_EQ(rebuilt.sliderIds, layout->sliderIds);
    ASSERT_EQ(rebuilt.frames.size(), layout->frames.size());
    for (std::size_t k = 0; k < rebuilt.frames.size(); ++k) {
      EXPECT_EQ(rebuilt.frames[k]->polygon, layout->frames[k]->polygon);
    }
  }
}

}  // namespace
}  // namespace Orvane::Mosaira::testing
