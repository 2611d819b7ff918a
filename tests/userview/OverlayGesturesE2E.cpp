// The composition-window overlay as a user meets it: grabbing at a zoom, dragging a move button
// up or down, and the frames' numbers as the effect's parameters count them.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/controls/ControlsFixture.h"

namespace Orvane::Mosaira::Testing {
namespace {

// "3-1" at 1920 x 1080: button B1 on the middle edge (y = 540) moves it up or down, button B2 on
// the edge between frames 2 and 3 (x = 960) moves that edge sideways.
class OverlayGestures : public ControlsFixture {
 protected:
  void SetUp() override { StartInstance(1920, 1080, "3-1"); }
  A_long CursorAt(A_long h, A_long v) { return host.Ui().AdjustCursor(id, PF_Window_COMP, {h, v}).cursor; }
};

// At 50 % the buttons are grabbed where the window shows them, half their layer coordinates.
TEST_F(OverlayGestures, ZoomedWindowGrabsWhereTheButtonsShow) {
  ASSERT_TRUE(host.Ui().SetView(PF_Window_COMP, {0, 0, 0.5, 0, 0}));
  EXPECT_EQ(CursorAt(480, 405), PF_Cursor_RESIZE_HORIZONTAL);  // B2 at (960, 810)
  EXPECT_EQ(CursorAt(487, 270), PF_Cursor_RESIZE_VERTICAL);    // B1 at (975, 540)
  EXPECT_EQ(CursorAt(960, 810), PF_Cursor_NONE);
}

// A drag straight down moves the middle edge down by the mouse's travel, and no further than the
// bottom of the layer: its ends' "Point" parameters follow, nothing moves sideways.
TEST_F(OverlayGestures, DraggingAnUpDownButtonMovesItsEdgeByTheTravel) {
  const PF_ParamIndex left = PointParamAt(0, 540), right = PointParamAt(1920, 540);
  ASSERT_TRUE(left != 0 && right != 0);
  const auto dragTo = [&](A_long from, A_long to) {
    ASSERT_EQ(host.Ui().Click(id, PF_Window_COMP, {975, from}).err, PF_Err_NONE);
    host.Ui().Drag({975, (from + to) / 2});
    host.Ui().MouseUp({975, to});
  };
  const auto at = [&](PF_ParamIndex p) {
    const PF_PointDef& v = host.Stream(id, p).ValueAt(0).td;
    return std::make_pair(v.x_value / 65536.0, v.y_value / 65536.0);
  };
  dragTo(540, 600);
  EXPECT_EQ(at(left), std::make_pair(0.0, 600.0));
  EXPECT_EQ(at(right), std::make_pair(1920.0, 600.0));
  DrawIn(PF_Window_COMP);
  dragTo(600, 1500);
  EXPECT_EQ(at(left), std::make_pair(0.0, 1080.0));
  EXPECT_EQ(at(right), std::make_pair(1920.0, 1080.0));
}

// Outlines are strokes one pixel wide: where two frames meet, their two strokes together cover
// less than two whole columns.
TEST_F(OverlayGestures, OutlinesAreOnePixelWide) {
  DrawIn(PF_Window_COMP);
  int coverage = 0;
  for (A_long x = 950; x < 970; ++x) coverage += host.Ui().LastSurface()->Pixel(x, 1000).alpha;
  EXPECT_GT(coverage, 200);
  EXPECT_LT(coverage, 2 * 255 - 40);
}

}  // namespace
}  // namespace Orvane::Mosaira::Testing
