#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "ui/ChooserGeometry.h"
#include "ui/RectClip.h"

namespace Orvane::Mosaira {
namespace {

const PanelStyle kStyle = MakePanelStyle(PF_App_Color{0x8000, 0x8000, 0x8000});

ThumbnailGrid Grid104() {
  ThumbnailGrid grid;
  grid.count = 104;
  return grid;
}

TEST(ComputeThumbnailRows, ColumnsRowsAndHeightByWidth) {
  const struct {
    float gridWidth;
    int32_t columns, rows;
    float contentHeight;
  } cases[] = {{185, 2, 52, 3390}, {305, 4, 26, 1700}, {71, 1, 104, 6770},
               {70, -1, 0, 0},     {0, -1, 0, 0},      {NAN, -1, 0, 0}};
  for (const auto& c : cases) {
    ThumbnailGrid grid = Grid104();
    grid.gridWidth = c.gridWidth;
    std::vector<float> rowTops{1.0f};
    int32_t columns = -1;
    ComputeThumbnailRows(grid, rowTops, columns);
    EXPECT_EQ(columns, c.columns) << c.gridWidth;
    EXPECT_EQ(int32_t(rowTops.size()), c.rows) << c.gridWidth;
    EXPECT_EQ(grid.contentHeight, c.contentHeight) << c.gridWidth;
    if (c.rows > 1) {
      EXPECT_EQ(rowTops[1] - rowTops[0], 65.0f);
    }
  }
}

TEST(ComputeVisibleThumbnails, NarrowOrShortControlsGiveFiniteGeometry) {
  const PF_Rect controls[] = {
      {0, 0, 85, 260}, {0, 0, 60, 260}, {0, 0, 200, 20}, {0, 0, 200, 5}, {0, 0, 85, 10}};
  for (const PF_Rect& control : controls) {
    ThumbnailGrid grid = Grid104();
    ScrollState scroll;
    std::vector<VisibleThumbnail> visible;
    float scrollStart = 0.5f;
    const ChooserLayout layout =
        ComputeVisibleThumbnails(kStyle, control, scrollStart, nullptr, grid, scroll, visible);
    SCOPED_TRACE(::testing::Message() << control.right << "x" << control.bottom);
    EXPECT_FALSE(HasScrollBar(scroll));
    EXPECT_TRUE(std::isfinite(scroll.thumbLength));
    EXPECT_TRUE(std::isfinite(scroll.offset));
    EXPECT_TRUE(visible.empty());
    EXPECT_FALSE(ThumbHit(scroll, layout.thumb, control.right - 1, control.top + 1));
  }
}

TEST(ClampScrollStart, KeepsTheThumbInItsTrack) {
  // The 200 x 260 control: a 240 px viewport over 3390 px; the end leaves room for the thumb.
  ScrollState scroll{3390.0f, 240.0f, 0.0f, 240.0f / 3390.0f * 240.0f};
  const float end = 0.9292035698890686f;
  const float inf = std::numeric_limits<float>::infinity();
  const struct {
    float in, out;
  } cases[] = {{0.5f, 0.5f}, {-0.5f, 0.0f}, {2.0f, end}, {NAN, 0.0f}, {inf, 0.0f}, {-inf, 0.0f}};
  for (const auto& c : cases) EXPECT_EQ(ClampScrollStart(c.in, scroll), c.out) << c.in;
  // A control that grew until everything fits is never left scrolled.
  const ScrollState fits{1700.0f, 2000.0f, 0.0f, 2000.0f / 1700.0f * 2000.0f};
  EXPECT_EQ(ClampScrollStart(0.5f, fits), 0.0f);
}

TEST(RectClip, CellsAndPolygonsStayInsideTheControl) {
  const PF_Rect control{0, 0, 200, 260};
  const PF_Rect cell = ClipRect(PF_Rect{5, -60, 65, 0}, control);
  EXPECT_TRUE(IsEmptyRect(cell));
  const PF_Rect partly = ClipRect(PF_Rect{5, -9, 65, 51}, control);
  EXPECT_EQ(partly.top, 0);
  EXPECT_EQ(partly.bottom, 51);
  // A triangle poking out of the top edge loses its tip.
  const Polygon clipped = ClipPolygonToRect(Polygon{{10, 20}, {50, -20}, {90, 20}}, control);
  ASSERT_EQ(clipped.size(), 4u);
  for (const Vec2d& p : clipped) EXPECT_GE(p.y, 0.0);
  EXPECT_TRUE(ClipPolygonToRect(Polygon{{10, -30}, {50, -20}, {90, -30}}, control).empty());
  EXPECT_EQ(ClipPolygonToRect(Polygon{{10, 10}, {50, 20}, {90, 10}}, control).size(), 3u);
}

}  // namespace
}  // namespace Orvane::Mosaira
