// The composition-window controls of the plug-in in the simulated host: the overlay drawn over
// layout "3-1" at 1920 x 1080, the cursor over its buttons and points, and drags that reshape the
// layout through the "Point" and "Slider" parameters, seen in a render and kept by a project.
//
// "3-1" at 1920 x 1080: free points P5 (0, 540), P6 (1920, 540), P8 (960, 1080) and the sliding
// point P7 halfway along P5 -> P6 (960, 540). Button B1 (up-down) sits between P5 and P6 at
// (960, 540), over P7; button B2 (left-right) between P7 and P8 at (960, 810). Frame 1 is the top
// half, frame 2 the bottom left, frame 3 the bottom right.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <unistd.h>

#include "host/HostUi.h"
#include "host/HostWorld.h"
#include "host/SimulatedHost.h"
#include "host/SmartFx.h"
#include "tests/controls/ControlsFixture.h"

namespace Orvane::Mosaira {
namespace {

constexpr PF_ParamIndex kSliderP7 = kParamSliderFirst;  // the first slider of 3-1

class CompOverlay : public Testing::ControlsFixture {
 protected:
  void SetUp() override {
    StartInstance(1920, 1080, "3-1");
  }
  A_long CursorAt(A_long h, A_long v) { return host.Ui().AdjustCursor(id, PF_Window_COMP, {h, v}).cursor; }
};

// Outlines follow the frame corners, the buttons and the point marker keep their pixel sizes at
// any zoom, and the layer window maps without the layer's place in the composition.
TEST_F(CompOverlay, DrawsOutlinesButtonsAndPointsWhereTheWindowShowsThem) {
  struct Case {
    PF_WindowType window;
    double zoom, offsetX, offsetY, scale;  // window zoom; layer placed in the composition
  };
  for (const Case c : {Case{PF_Window_COMP, 1.0, 0, 0, 1}, Case{PF_Window_COMP, 0.5, 0, 0, 1},
                       Case{PF_Window_COMP, 1.0, 100, 50, 0.5}, Case{PF_Window_LAYER, 1.0, 100, 50, 0.5}}) {
    SCOPED_TRACE("window " + std::to_string(c.window) + " zoom " + std::to_string(c.zoom));
    ASSERT_TRUE(host.Ui().SetView(c.window, {0, 0, c.zoom, 0, 0}));
    ASSERT_TRUE(host.Ui().SetPlacement({c.offsetX, c.offsetY, c.scale}));
    DrawIn(c.window);
    const bool comp = c.window == PF_Window_COMP;
    const double k = c.zoom * (comp ? c.scale : 1.0);
    const auto X = [&](double layerX) { return A_long(c.zoom * (comp ? c.offsetX : 0) + k * layerX + 0.5); };
    const auto Y = [&](double layerY) { return A_long(c.zoom * (comp ? c.offsetY : 0) + k * layerY + 0.5); };
    // Outline between frames 2 and 3 (x = 960, y 540..1080), and the middle edge (y = 540).
    EXPECT_TRUE(AccentNear(X(960), Y(1000)));
    EXPECT_TRUE(AccentNear(X(300), Y(540)));
    EXPECT_FALSE(AccentNear(X(300), Y(700), 3));
    // Button B2: an upright capsule 10 wide, 30 tall, whatever the zoom.
    // (Probes keep off the frame outlines through the buttons' centres.)
    EXPECT_TRUE(AccentNear(X(960) + 3, Y(810) + 12, 0));
    EXPECT_FALSE(AccentNear(X(960) + 3, Y(810) + 17, 0));
    EXPECT_TRUE(AccentNear(X(960) + 3, Y(810), 0));
    EXPECT_FALSE(AccentNear(X(960) + 7, Y(810), 0));
    EXPECT_FALSE(AccentNear(X(960) + 6, Y(810) - 13, 0));  // beside the round top end
    // Button B1 lies along its edge: 30 wide, 10 tall.
    EXPECT_TRUE(AccentNear(X(960) + 13, Y(540) + 3, 0));
    EXPECT_FALSE(AccentNear(X(960) + 18, Y(540) + 3, 0));
    EXPECT_TRUE(AccentNear(X(960) - 10, Y(540) + 4, 0));
    EXPECT_FALSE(AccentNear(X(960) - 10, Y(540) + 8, 0));
    // Numbers at the frames' centres; none in between.
    EXPECT_TRUE(AccentNear(X(960), Y(270), 12));
    EXPECT_TRUE(AccentNear(X(480), Y(810), 12));
    EXPECT_TRUE(AccentNear(X(1440), Y(810), 12));
    EXPECT_FALSE(AccentNear(X(480), Y(270), 12));
  }
  EXPECT_EQ(host.Ui().Drawbot().LiveObjects(), 0u);
}

// What the overlay draws, read from the host's record of Drawbot calls, against values worked out
// by hand: the frames' corners, each frame's number at its inset's centre (less and plus half the
// font's 24 px), the capsules of B1 (lying) and B2 (upright), and P7's ellipse, all in the accent
// colour. The layer window draws the same at this placement without the layer-to-composition
// mapping.
TEST_F(CompOverlay, DrawsTheHandWorkedGeometry) {
  const char* const expected[] = {
      "StrokePath 1|MoveTo 0,0 LineTo 1920,0 LineTo 1920,540 LineTo 0,540 Close",
      "DrawString 24|DrawString 948,282,0,1,72 \"1\"",
      "StrokePath 1|MoveTo 0,540 LineTo 960,540 LineTo 960,1080 LineTo 0,1080 Close",
      "DrawString 24|DrawString 468,822,0,1,72 \"2\"",
      "StrokePath 1|MoveTo 960,540 LineTo 1920,540 LineTo 1920,1080 LineTo 960,1080 Close",
      "DrawString 24|DrawString 1428,822,0,1,72 \"3\"",
      "FillPath|MoveTo 950,545 AddArc 950,540,5,-270,180 LineTo 970,535 AddArc 970,540,5,270,180 Close",
      "FillPath|MoveTo 955,800 AddArc 960,800,5,-180,180 LineTo 965,820 AddArc 960,820,5,0,180 Close"};
  // Vertices 0, 5, 15 and 20 of the ellipse: (960 + 10 sin t, 540 + 5 cos t), t = i * 12 degrees.
  const std::pair<int, Vec2d> vertices[] = {
      {0, {960, 545}}, {5, {968.660254, 542.5}}, {15, {960, 535}}, {20, {951.339746, 537.5}}};
  for (PF_WindowType window : {PF_Window_COMP, PF_Window_LAYER}) {
    host.Ui().Drawbot().ClearCalls();
    const uint64_t mapped = host.Faults().Calls("layer_to_comp");
    DrawIn(window);
    EXPECT_EQ(host.Faults().Calls("layer_to_comp") > mapped, window == PF_Window_COMP);
    const std::vector<Testing::Drawn> drawn = Testing::Drawings(host.Ui().Drawbot().Calls());
    ASSERT_EQ(drawn.size(), std::size(expected) + 1);
    for (size_t i = 0; i < drawn.size(); ++i) {
      const std::vector<double> accent = {0.16862746f, 0.53333336f, 0.8039216f, 1.0f};
      EXPECT_EQ(drawn[i].colour, accent) << i;
      if (i == std::size(expected)) break;
      EXPECT_EQ(drawn[i].text, expected[i]);
    }
    const std::vector<DrawbotCall>& ellipse = drawn.back().steps;
    ASSERT_EQ(ellipse.size(), 31u);
    EXPECT_EQ(drawn.back().text.substr(0, 16), "FillPath|MoveTo ");
    EXPECT_EQ(drawn.back().text.substr(drawn.back().text.size() - 6), " Close");
    for (size_t i = 0; i < 30; ++i) {
      const double dx = (ellipse[i].numbers[0] - 960) / 10, dy = (ellipse[i].numbers[1] - 540) / 5;
      EXPECT_NEAR(dx * dx + dy * dy, 1.0, 1e-5) << i;
    }
    for (const auto& [i, at] : vertices) {
      EXPECT_NEAR(ellipse[size_t(i)].numbers[0], at.x, 1e-4) << i;
      EXPECT_NEAR(ellipse[size_t(i)].numbers[1], at.y, 1e-4) << i;
    }
  }
}

// A layout read back from a save at another layer size stands at the new size, and so does the
// overlay of the first draw, which brings the first reading of the point parameters (written at
// 1920 x 1080): on this 960 x 540 layer the outline between frames 2 and 3 runs at x = 480 and the
// middle edge at y = 270.
TEST_F(CompOverlay, FirstDrawAfterReloadAtAnotherSizeDrawsTheLayoutAtThatSize) {
  ASSERT_EQ(host.Send(id, PF_Cmd_SEQUENCE_FLATTEN), PF_Err_NONE);
  ASSERT_TRUE(host.SetLayerSize(id, 960, 540));
  ASSERT_EQ(host.Send(id, PF_Cmd_SEQUENCE_RESETUP), PF_Err_NONE);
  DrawIn(PF_Window_COMP);
  EXPECT_TRUE(AccentNear(480, 400));
  EXPECT_TRUE(AccentNear(300, 270));
  EXPECT_FALSE(AccentNear(300, 400, 3));
}

// The pointer over a button shows its resize cursor up to the hit limit and not one pixel beyond;
// over the sliding point (here under button B1) the hand wins, in the layer window too. The
// effect-controls window's cursor is left to the host, and so is every cursor while a drag is not
// yet redrawn.
TEST_F(CompOverlay, CursorShowsWhatAClickWouldGrab) {
  struct Case {
    A_long h, v;
    A_long cursor;
  };
  for (const Case c : {Case{967, 810, PF_Cursor_RESIZE_HORIZONTAL}, Case{968, 810, PF_Cursor_NONE},
                       Case{960, 825, PF_Cursor_RESIZE_HORIZONTAL}, Case{960, 826, PF_Cursor_NONE},
                       Case{975, 540, PF_Cursor_RESIZE_VERTICAL}, Case{976, 540, PF_Cursor_NONE},
                       Case{971, 540, PF_Cursor_RESIZE_VERTICAL}, Case{970, 540, PF_Cursor_HAND},
                       Case{960, 550, PF_Cursor_HAND}, Case{960, 551, PF_Cursor_NONE},
                       Case{300, 300, PF_Cursor_NONE}}) {
    EXPECT_EQ(CursorAt(c.h, c.v), c.cursor) << c.h << "," << c.v;
  }
  EXPECT_EQ(host.Ui().AdjustCursor(id, PF_Window_LAYER, {967, 810}).cursor, PF_Cursor_RESIZE_HORIZONTAL);
  EXPECT_EQ(host.Ui().AdjustCursor(id, PF_Window_EFFECT, {60, 60}).cursor, kCursorLeftAlone);
  Drag({960, 810}, {962, 810});
  EXPECT_EQ(CursorAt(962, 810), PF_Cursor_NONE);
  DrawIn(PF_Window_COMP);
  EXPECT_EQ(CursorAt(962, 810), PF_Cursor_RESIZE_HORIZONTAL);
}

// A button drag moves its points along its axis; a sliding point dragged past the end of its
// vector stops there. The parameters take the new positions, the render shows the new frame
// boundary, and a project saved and opened again keeps it.
TEST_F(CompOverlay, DragsReshapeTheLayoutThroughParametersRenderAndProject) {
  const PF_ParamIndex kPointP8 = PointParamAt(960, 1080);  // the "Point" parameter that holds P8
  ASSERT_NE(kPointP8, 0);
  Drag({960, 810}, {1060, 815});  // B2 to the right: P7 and P8 move by 100 px
  EXPECT_EQ(host.Stream(id, kPointP8).ValueAt(0).td.x_value, 1060 * 65536);
  EXPECT_EQ(host.Stream(id, kPointP8).ValueAt(0).td.y_value, 1080 * 65536);
  EXPECT_EQ(host.Stream(id, kSliderP7).ValueAt(0).fs_d.value, 55.20833206176758);  // 100 * 1060 / 1920

  Drag({1060, 540}, {4000, 500});  // P7, now clear of B1, past the end of P5 -> P6
  EXPECT_NEAR(host.Stream(id, kSliderP7).ValueAt(0).fs_d.value, 100.0, 1e-9);
  EXPECT_EQ(host.Stream(id, kPointP8).ValueAt(0).td.x_value, 1060 * 65536);

  // Frame 2 now reaches from P5 over P7 (1920, 540) to P8 (1060, 1080): its right edge runs
  // from (1920, 540) to (1060, 1080).
  auto before = Render();
  EXPECT_EQ(FrameColourAt(*before, 1100, 1000), 2);  // left of the slanted edge
  EXPECT_EQ(FrameColourAt(*before, 1800, 1000), 3);
  EXPECT_EQ(FrameColourAt(*before, 1700, 620), 2);

  const std::string path = testing::TempDir() + "controls_drag_" + std::to_string(getpid()) + ".proj";
  std::string error;
  ASSERT_TRUE(host.SaveProject(path, &error)) << error;
  auto saved = Render();
  EXPECT_EQ(saved->Bytes(), before->Bytes());
  ASSERT_TRUE(host.OpenProject(path, &error)) << error;
  const InstanceId reopened = host.Instances().back();
  ASSERT_NE(reopened, id);
  UseLayers(reopened);
  auto again = Render(reopened);
  EXPECT_EQ(again->Bytes(), before->Bytes());
  std::remove(path.c_str());
}

// Without a layout the composition window's events are not answered; a drag whose click grabbed
// nothing moves nothing.
TEST_F(CompOverlay, NothingGrabbedOrNoLayoutMovesNothing) {
  const std::vector<uint8_t> before = host.SequenceBytes(id);
  EventReport r = host.Ui().Click(id, PF_Window_COMP, {300, 300});
  EXPECT_EQ(r.outFlags, PF_EO_HANDLED_EVENT);
  EXPECT_FALSE(r.sendDrag);
  EXPECT_FALSE(host.Ui().Drag({400, 400}).sent);
  host.Ui().MouseUp({400, 400});
  EXPECT_EQ(host.SequenceBytes(id), before);

  ASSERT_EQ(host.SetPopup(id, kParamLayouts, kLayoutsNone), PF_Err_NONE);
  for (PF_WindowType w : {PF_Window_COMP, PF_Window_LAYER}) {
    EXPECT_EQ(host.Ui().Draw(id, w).outFlags, PF_EO_NONE);
    EXPECT_EQ(host.Ui().Click(id, w, {960, 810}).outFlags, PF_EO_NONE);
    host.Ui().MouseUp({960, 810});
    EXPECT_EQ(host.Ui().AdjustCursor(id, w, {960, 810}).cursor, kCursorLeftAlone);
  }
}

}  // namespace
}  // namespace Orvane::Mosaira
