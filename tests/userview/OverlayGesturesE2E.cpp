// The composition-window overlay as a user meets it: grabbing at a zoom, dragging a move button
// up or down, and the frames' numbers as the effect's parameters count them.
#include <gtest/gtest.h>

#include <string>
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

// A drag straight down moves the middle edge down by the mouse's travel: its ends' "Point"
// parameters follow, nothing moves sideways.
TEST_F(OverlayGestures, DraggingAnUpDownButtonMovesItsEdgeByTheTravel) {
  ASSERT_EQ(host.Ui().Click(id, PF_Window_COMP, {975, 540}).err, PF_Err_NONE);
  host.Ui().Drag({975, 570});
  host.Ui().MouseUp({975, 600});
  EXPECT_NE(PointParamAt(0, 600), 0);
  EXPECT_NE(PointParamAt(1920, 600), 0);
  EXPECT_EQ(PointParamAt(0, 540), 0);
}

// Frames are numbered from 1 on screen, as their "Polygon 1" ... groups are.
TEST_F(OverlayGestures, FrameNumbersCountFromOne) {
  host.Ui().Drawbot().ClearCalls();
  DrawIn(PF_Window_COMP);
  std::vector<std::string> numbers;
  for (const DrawbotCall& c : host.Ui().Drawbot().Calls()) {
    if (c.function == "DrawString") numbers.push_back(c.text);
  }
  EXPECT_EQ(numbers, (std::vector<std::string>{"1", "2", "3"}));
}

}  // namespace
}  // namespace Orvane::Mosaira::Testing
