// The layout chooser in the effect-controls panel, through the plug-in in the simulated host: the
// thumbnail grid of the 200 x 260 control (and a wider one) and what it draws against values
// worked out by hand, loading a layout by double click, scrolling by dragging the thumb (and only
// that moving it), the thumb's hit area, each instance keeping its own scroll position, and every
// host call of the drawing failing in turn.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <unistd.h>

#include "host/HostUi.h"
#include "host/ProjectFile.h"
#include "tests/controls/ControlsFixture.h"

namespace Orvane::Mosaira {
namespace {

// Trace lines reach standard error only when this is set before the plug-in's first trace.
[[maybe_unused]] const bool kTraceToStderr = setenv("TILETTA_DEBUG_OUTPUT", "1", 1) == 0;

// The default control: L 40, T 40, R 240, B 300; viewport 240 high, content 3390, thumb 16 px.
constexpr A_long kL = 40, kT = 40, kR = 240, kB = 300;
constexpr float kViewport = 240.0f;
constexpr float kThumb = kViewport / 3390.0f * kViewport;

class Chooser : public Testing::ControlsFixture {
 protected:
  void SetUp() override { StartInstance(640, 360, ""); }

  void DrawChooser(InstanceId instance) { DrawIn(PF_Window_EFFECT, instance); }
  // The instance's stored scroll position, from its flattened copy.
  double ScrollStart(InstanceId instance) {
    EXPECT_EQ(host.Send(instance, PF_Cmd_GET_FLATTENED_SEQUENCE_DATA), PF_Err_NONE);
    const std::vector<uint8_t>& bytes = host.LastFlattenedCopy();
    const std::string text(bytes.begin() + std::min<size_t>(24, bytes.size()), bytes.end());
    const size_t at = text.find("\"scrollStart\":");
    return at == std::string::npos ? -1.0 : std::atof(text.c_str() + at + 14);
  }
  // Presses on the thumb at height v and drags it by dy; returns the trace lines.
  std::string DragThumb(InstanceId instance, A_long v, A_long dy) {
    testing::internal::CaptureStderr();
    EventReport r = host.Ui().Click(instance, PF_Window_EFFECT, {kR - 7, v});
    EXPECT_TRUE(r.sendDrag) << "thumb not hit at " << v;
    r = host.Ui().Drag({kR - 7, v + dy});
    EXPECT_EQ(r.outFlags, PF_EO_HANDLED_EVENT);
    host.Ui().MouseUp({kR - 7, v + dy});
    return testing::internal::GetCapturedStderr();
  }
  // The first row of the scroll bar's thumb below the control's top, as the instance draws it
  // now; -1 when no thumb shows.
  A_long ThumbTop(InstanceId instance) {
    DrawChooser(instance);
    for (A_long y = kT; y < host.Ui().Panel().control.bottom - 20; ++y) {
      if (Testing::IsAccent(host.Ui().LastSurface()->Pixel(kR - 7, y))) return y - kT;
    }
    return -1;
  }
};

// What the chooser draws, read from the host's record of Drawbot calls, against values worked
// out by hand: the control in the panel's background (0x3333 of 0xffff, as 0x3333 * 1.5259e-5),
// the track in the shade (0.8 of that), the thumb (240 / 3390 * 240 px, cut to 16) in the accent,
// the first cell, and the hint strip with its text a line of 12 px centred in it.
TEST_F(Chooser, DrawsTheHandWorkedColoursAndThumb) {
  const std::vector<double> background = {0.19999972f, 0.19999972f, 0.19999972f, 1.0f};
  const std::vector<double> shade = {0.15999977f, 0.15999977f, 0.15999977f, 1.0f};
  const std::vector<double> accent = {0.16862746f, 0.53333336f, 0.8039216f, 1.0f};
  const struct {
    int at;  // from the first drawing, or (below 0) from the end
    const char* drawing;
    const std::vector<double>& colour;
  } expected[] = {{0, "FillPath|AddRect 40,40,200,260", background},
                  {1, "FillPath|AddRect 225,40,15,240", shade},
                  {2, "FillPath|AddRect 225,40,15,16", accent},
                  {3, "FillPath|AddRect 45,45,60,60", shade},
                  {-2, "FillPath|AddRect 40,280,200,20", background},
                  {-1, "DrawString 12|DrawString 40,296,0,1,200 \"Double click to load layout\"", accent}};
  host.Ui().Drawbot().ClearCalls();
  DrawChooser(id);
  const std::vector<Testing::Drawn> drawn = Testing::Drawings(host.Ui().Drawbot().Calls());
  ASSERT_GT(drawn.size(), 6u);
  for (const auto& e : expected) {
    const Testing::Drawn& d = drawn[size_t(e.at < 0 ? int(drawn.size()) + e.at : e.at)];
    EXPECT_EQ(d.text, e.drawing);
    EXPECT_EQ(d.colour, e.colour) << e.drawing;
  }
}

// Two columns of 60 px cells 65 px apart at 200 px wide, four at 320; the scroll thumb at the top
// of the track; the hint text in the strip; nothing beyond the control.
TEST_F(Chooser, GridFollowsTheControlWidth) {
  DrawChooser(id);
  EXPECT_GT(AccentPixels(kL + 5, kT + 5, kL + 65, kT + 65), 100);   // thumbnail 0
  EXPECT_GT(AccentPixels(kL + 70, kT + 5, kL + 130, kT + 65), 100);  // thumbnail 1
  EXPECT_GT(AccentPixels(kL + 70, kT + 70, kL + 130, kT + 130), 100);  // thumbnail 3
  EXPECT_GT(AccentPixels(kL + 5, kT + 200, kL + 65, kB - 20), 40);     // thumbnail 6, cut by the strip
  EXPECT_EQ(AccentPixels(kL + 135, kT, kR - 16, kB - 20), 0);        // no third column
  EXPECT_EQ(AccentPixels(kR - 15, kT, kR, kT + 16), 15 * 16);        // the thumb
  EXPECT_EQ(AccentPixels(kR - 15, kT + 18, kR, kB - 20), 0);         // the rest of the track
  EXPECT_GT(AccentPixels(kL, kB - 20, kR, kB), 40);                  // the hint text
  EXPECT_EQ(AccentPixels(0, 0, 280, kT) + AccentPixels(kR, 0, 280, 330), 0);

  ASSERT_TRUE(host.Ui().SetEffectPanel({400, 330, 1, {kL, kT, kL + 320, kB}}));
  DrawChooser(id);
  EXPECT_GT(AccentPixels(kL + 200, kT + 5, kL + 260, kT + 65), 100);  // thumbnail 3, first row
  EXPECT_EQ(AccentPixels(kL + 265, kT, kL + 305, kB - 20), 0);

  // A viewport of 195 px ends exactly where the third row does (5 + 3 * 65): that row shows whole.
  ASSERT_TRUE(host.Ui().SetEffectPanel({400, 330, 1, {kL, kT, kR, kT + 215}}));
  DrawChooser(id);
  EXPECT_GT(AccentPixels(kL + 5, kT + 135, kL + 65, kT + 195), 100);  // thumbnail 4, third row
}

// A double click inside a cell loads that layout and marks it in the grid; one on the cell's
// border does nothing; a single click away from the thumb starts no drag.
TEST_F(Chooser, DoubleClickLoadsTheLayoutUnderIt) {
  const PF_Point onCell5 = {kL + 100, kT + 165};  // row 2, column 1
  EXPECT_EQ(host.Ui().Click(id, PF_Window_EFFECT, {kL + 70, kT + 165}, 2).changed.size(), 0u);
  EXPECT_EQ(host.Stream(id, kParamLayouts).ValueAt(0).pd.value, kLayoutsNone);
  DrawChooser(id);
  const int unmarked = AccentPixels(kL + 70, kT + 135, kL + 130, kT + 195);

  EventReport r = host.Ui().Click(id, PF_Window_EFFECT, onCell5, 2);
  EXPECT_EQ(r.outFlags, PF_EO_HANDLED_EVENT);
  EXPECT_FALSE(r.sendDrag);
  host.Ui().MouseUp(onCell5);
  EXPECT_EQ(host.Stream(id, kParamLayouts).ValueAt(0).pd.value, kLayoutsFirstLayout + 5);
  ASSERT_EQ(host.Send(id, PF_Cmd_GET_FLATTENED_SEQUENCE_DATA), PF_Err_NONE);
  const std::vector<uint8_t>& flat = host.LastFlattenedCopy();
  const std::string loaded = "\"id\":\"" + LayoutRegistry::instance().layoutIds[5].id + "\"";
  EXPECT_NE(std::string(flat.begin(), flat.end()).find(loaded), std::string::npos);

  DrawChooser(id);
  EXPECT_GT(AccentPixels(kL + 70, kT + 135, kL + 130, kT + 195), 2 * unmarked);
  EXPECT_FALSE(host.Ui().Click(id, PF_Window_EFFECT, {kL + 100, kT + 100}, 1).sendDrag);
}

// The thumb dragged far down stops at the end of the track, far up at the top; each step traces
// the pointer's own movement, each press whether it hit the thumb.
TEST_F(Chooser, ScrollDragIsClampedAtBothEnds) {
  std::string trace = DragThumb(id, kT + 8, 1000);
  EXPECT_NE(trace.find("hit scroll bar:yes"), std::string::npos) << trace;
  EXPECT_NE(trace.find("offsetY:1000"), std::string::npos) << trace;
  DrawChooser(id);
  EXPECT_EQ(AccentPixels(0, 0, 280, kT) + AccentPixels(0, kB, 280, 330), 0);  // rows cut at the edges

  trace = DragThumb(id, kB - 20 - 9, -5000);
  EXPECT_NE(trace.find("offsetY:-5000"), std::string::npos) << trace;
  EXPECT_EQ(ScrollStart(id), 0.0);

  testing::internal::CaptureStderr();
  host.Ui().Click(id, PF_Window_EFFECT, {kR - 7, kT + 100});
  EXPECT_NE(testing::internal::GetCapturedStderr().find("hit scroll bar:no"), std::string::npos);
}

// Scrolled by a 100 px drag of the thumb, the grid has moved up by 100 / 240 of its height: the top
// row is cut by the control's top edge, and the cut shows the thumbnails' open sides, not an
// outline along the edge. A drawing or a click of a control of another height leaves the stored
// position alone, so the thumb is back in its place when the control is; a damaged stored
// position draws the thumb at an end and stays as stored.
TEST_F(Chooser, ScrolledGridShowsOpenCutsAndKeepsItsPosition) {
  DragThumb(id, kT + 8, 100);
  EXPECT_EQ(ScrollStart(id), 0.4166666567325592);
  EXPECT_EQ(ThumbTop(id), 100);
  EXPECT_LT(AccentPixels(kL + 5, kT, kL + 130, kT + 2), 2 * 16);  // the cells' sides cross the cut
  EXPECT_GT(AccentPixels(kL + 5, kT, kL + 130, kT + 20), 100);
  host.Ui().Click(id, PF_Window_EFFECT, {kL + 30, kT + 10}, 2);  // the cut row: 1412.5 px up, row 21
  EXPECT_EQ(host.Stream(id, kParamLayouts).ValueAt(0).pd.value, kLayoutsFirstLayout + 42);

  DragThumb(id, kT + 108, 1000);
  EXPECT_EQ(ScrollStart(id), 0.9292035698890686);
  EXPECT_EQ(ThumbTop(id), 223);
  ASSERT_TRUE(host.Ui().SetEffectPanel({280, 570, 1, {kL, kT, kR, kT + 500}}));
  EXPECT_EQ(ThumbTop(id), 412);  // at the end of the 480 px track, 480 / 3390 * 480 px long
  EXPECT_FALSE(host.Ui().Click(id, PF_Window_EFFECT, {kR - 7, kT + 100}).sendDrag);
  host.Ui().Click(id, PF_Window_EFFECT, {kL + 30, kT + 30}, 2);
  ASSERT_TRUE(host.Ui().SetEffectPanel({280, 330, 1, {kL, kT, kR, kB}}));
  EXPECT_EQ(ThumbTop(id), 223);
  EXPECT_EQ(ScrollStart(id), 0.9292035698890686);

  const std::string path = testing::TempDir() + "chooser_scroll_" + std::to_string(getpid()) + ".proj";
  std::string error;
  ASSERT_TRUE(host.SaveProject(path, &error)) << error;
  Project project;
  ASSERT_TRUE(ReadProjectFile(path, SimulatedHost::kMaxLayerSide, &project, &error)) << error;
  std::vector<uint8_t>& bytes = project.instances.at(0).sequenceData;
  std::string text(bytes.begin(), bytes.end());
  const size_t at = text.find("0.9292035698890686");
  ASSERT_NE(at, std::string::npos);
  text.replace(at, 18, "9.0000000000000000");
  bytes.assign(text.begin(), text.end());
  ASSERT_TRUE(WriteProjectFile(path, project, &error)) << error;
  ASSERT_TRUE(host.OpenProject(path, &error)) << error;
  EXPECT_EQ(ThumbTop(host.Instances().back()), 223);
  EXPECT_EQ(ScrollStart(host.Instances().back()), 9.0);
  std::remove(path.c_str());
}

// Scrolled by half the viewport, row 26 starts exactly on the control's top line: its
// thumbnails, whole, keep their top edges, drawn in the control's first row of pixels and not
// above it.
TEST_F(Chooser, ThumbnailOnTheControlsTopLineKeepsItsTopEdge) {
  DragThumb(id, kT + 8, 120);
  ASSERT_EQ(ScrollStart(id), 0.5);
  DrawChooser(id);
  EXPECT_GT(AccentPixels(kL + 6, kT, kL + 64, kT + 1), 50);    // thumbnail 52
  EXPECT_GT(AccentPixels(kL + 71, kT, kL + 129, kT + 1), 50);  // thumbnail 53
  EXPECT_GT(AccentPixels(kL + 6, kT + 59, kL + 64, kT + 61), 50);  // its bottom edge, as ever
  EXPECT_EQ(AccentPixels(0, 0, 280, kT), 0);
}

// The thumb takes a press strictly inside its rectangle, wherever it is, and nowhere else.
TEST_F(Chooser, ThumbIsHitOnlyInsideItsRectangle) {
  const struct {
    A_long top;  // the thumb's top, below the control's: 15 x 16 px at the right edge
    std::vector<std::pair<PF_Point, bool>> presses;
  } cases[] = {{0, {{{kR - 14, kT + 1}, true}, {{kR - 1, kT + 15}, true}, {{kR - 15, kT + 8}, false},
                    {{kR, kT + 8}, false}, {{kR - 7, kT}, false}, {{kR - 7, kT + 16}, false}}},
               {100, {{{kR - 7, kT + 101}, true}, {{kR - 7, kT + 115}, true}, {{kR - 7, kT + 100}, false},
                      {{kR - 7, kT + 116}, false}, {{kR - 7, kT + 8}, false}}}};
  for (const auto& c : cases) {
    if (c.top > 0) DragThumb(id, kT + 8, c.top);
    for (const auto& [at, hit] : c.presses) {
      EXPECT_EQ(host.Ui().Click(id, PF_Window_EFFECT, at).sendDrag, hit) << at.h << "," << at.v;
      host.Ui().MouseUp(at);
    }
  }
}

// Two instances share the chooser's layout records but not their scroll positions: one's drag
// never takes the other's geometry, whichever was drawn last.
TEST_F(Chooser, InstancesScrollIndependently) {
  const InstanceId other = host.AddInstance(640, 360);
  ASSERT_NE(other, kNoInstance);
  DragThumb(id, kT + 8, 1000);
  DrawChooser(other);
  EXPECT_EQ(AccentPixels(kR - 15, kT, kR, kT + 16), 15 * 16);
  DrawChooser(id);
  EXPECT_EQ(AccentPixels(kR - 15, kT, kR, kT + 16), 0);

  EXPECT_TRUE(host.Ui().Click(other, PF_Window_EFFECT, {kR - 7, kT + 8}).sendDrag);
  DrawChooser(id);  // the shared records now hold the first instance's scroll
  host.Ui().Drag({kR - 7, kT + 8 + 10});
  host.Ui().MouseUp({kR - 7, kT + 8 + 10});
  EXPECT_NEAR(ScrollStart(other), 10.0 / kViewport, 1e-6);
  EXPECT_NEAR(ScrollStart(id), 1.0 - kThumb / kViewport, 1e-6);
}

// Every Drawbot, Custom UI and App call of a draw failing once, and every suite missing: the
// overlay and the chooser answer without leaving an object, a suite or a handle behind, and the
// next clean draw works.
TEST_F(Chooser, EveryFailingHostCallLeavesNothingBehind) {
  ASSERT_EQ(host.SetPopup(id, kParamLayouts, Testing::LayoutsValueOf("3-1")), PF_Err_NONE);
  std::vector<std::string> calls = DrawbotBook::FunctionNames();
  calls.insert(calls.end(), {"PF_GetDrawingReference", "PF_AppGetBgColor"});
  for (const std::string& call : calls) {
    for (int n : {0, 1, 5}) {
      for (PF_WindowType w : {PF_Window_COMP, PF_Window_EFFECT}) {
        host.Faults().Fail(call, n);
        host.Ui().Draw(id, w);
        host.Faults().Fail(call, -1);
        EXPECT_EQ(host.Ui().Drawbot().LiveObjects(), 0u) << call << " #" << n;
        ASSERT_TRUE(host.Violations().empty()) << call << " #" << n << ": " << host.Violations().front();
      }
    }
  }
  // No drawing reference: no Drawbot object is made. An object that cannot be made: 516.
  host.Faults().Fail("PF_GetDrawingReference", 0);
  host.Ui().Drawbot().ClearCalls();
  host.Ui().Draw(id, PF_Window_COMP);
  for (const DrawbotCall& c : host.Ui().Drawbot().Calls()) EXPECT_NE(c.function.rfind("New", 0), 0u) << c.function;
  for (PF_WindowType w : {PF_Window_COMP, PF_Window_EFFECT}) {
    host.Faults().Fail("DRAWBOT_NewPath", 0);
    const EventReport r = host.Ui().Draw(id, w);
    EXPECT_EQ(r.err, PF_Err_BAD_CALLBACK_PARAM);
    EXPECT_EQ(r.outFlags, PF_EO_NONE) << w;
  }
  const std::pair<const char*, A_long> suites[] = {
      {"DRAWBOT Draw Suite", 1}, {"DRAWBOT Supplier Suite", 1}, {"DRAWBOT Surface Suite", 2},
      {"DRAWBOT Path Suite", 1}, {"PF Effect Custom UI Suite", 1}};
  for (const auto& [name, version] : suites) {
    host.Suites().SetMissing(name, version, true);
    // A missing Drawbot suite is named to the user; the Custom UI suite is the host's own business.
    const std::string drawbot = "Not able to acquire AEFX Suite-" + std::string(name) + "-" + std::to_string(version);
    for (PF_WindowType w : {PF_Window_COMP, PF_Window_EFFECT}) {
      EXPECT_EQ(host.Ui().Draw(id, w).err, PF_Err_BAD_CALLBACK_PARAM) << name;
      EXPECT_EQ(host.LastOutData().return_msg, drawbot.find("DRAWBOT") != std::string::npos ? drawbot : "");
      ASSERT_TRUE(host.Violations().empty()) << name << ": " << host.Violations().front();
    }
    host.Suites().SetMissing(name, version, false);
  }
  for (PF_WindowType w : {PF_Window_COMP, PF_Window_EFFECT}) {
    const EventReport r = host.Ui().Draw(id, w);
    EXPECT_EQ(r.err, PF_Err_NONE);
    EXPECT_EQ(r.outFlags, PF_EO_HANDLED_EVENT);
  }
}

}  // namespace
}  // namespace Orvane::Mosaira
