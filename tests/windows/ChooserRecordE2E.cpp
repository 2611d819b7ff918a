// The layout chooser's double click and thumb drag where the host's windows hold no pixels: what
// the chooser tests of the Linux build see in the picture (tests/controls/ChooserE2E.cpp) is read
// here from the "Layouts" parameter, the stored scroll position and the host's record of the thumb
// the chooser drew. The control: L 40, T 40, R 240, B 300; viewport 240 high, content 3390.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "tests/controls/ControlsFixture.h"
#include "tests/effect/PluginFixture.h"

namespace Orvane::Mosaira {
namespace {

constexpr A_long kL = 40, kT = 40, kR = 240, kB = 300;

class ChooserRecord : public Testing::ControlsFixture {
 protected:
  void SetUp() override { StartInstance(640, 360, ""); }

  // The scroll bar's thumb as the chooser draws it now (its third drawing, after the control's
  // background and the track).
  std::string Thumb() {
    host.Ui().Drawbot().ClearCalls();
    DrawIn(PF_Window_EFFECT);
    const std::vector<Testing::Drawn> drawn = Testing::Drawings(host.Ui().Drawbot().Calls());
    return drawn.size() > 2 ? drawn[2].text : "";
  }
  double ScrollStart() {
    const std::string text = testing::FlattenedText(host, id);
    const size_t at = text.find("\"scrollStart\":");
    return at == std::string::npos ? -1.0 : std::atof(text.c_str() + at + 14);
  }
  void DragThumb(A_long v, A_long dy) {
    EXPECT_TRUE(host.Ui().Click(id, PF_Window_EFFECT, {kR - 7, v}).sendDrag) << "thumb not hit at " << v;
    EXPECT_EQ(host.Ui().Drag({kR - 7, v + dy}).outFlags, PF_EO_HANDLED_EVENT);
    host.Ui().MouseUp({kR - 7, v + dy});
  }
  A_long Layouts() { return host.Stream(id, kParamLayouts).ValueAt(0).pd.value; }
};

// A double click inside a cell loads that layout; one on the cell's border does nothing.
TEST_F(ChooserRecord, DoubleClickLoadsTheLayoutUnderIt) {
  EXPECT_EQ(host.Ui().Click(id, PF_Window_EFFECT, {kL + 70, kT + 165}, 2).changed.size(), 0u);
  EXPECT_EQ(Layouts(), kLayoutsNone);
  const EventReport r = host.Ui().Click(id, PF_Window_EFFECT, {kL + 100, kT + 165}, 2);  // row 2, column 1
  EXPECT_EQ(r.outFlags, PF_EO_HANDLED_EVENT);
  EXPECT_FALSE(r.sendDrag);
  host.Ui().MouseUp({kL + 100, kT + 165});
  EXPECT_EQ(Layouts(), kLayoutsFirstLayout + 5);
  const std::string loaded = "\"id\":\"" + LayoutRegistry::instance().layoutIds[5].id + "\"";
  EXPECT_NE(testing::FlattenedText(host, id).find(loaded), std::string::npos);
}

// A 100 px drag of the thumb scrolls the grid by 100 / 240 of its height, so a double click in the
// cut top row loads row 21's layout; dragged far down the thumb stops at the end of the track, far
// up at its top.
TEST_F(ChooserRecord, ThumbDragScrollsTheGridAndStopsAtTheEnds) {
  EXPECT_EQ(Thumb(), "FillPath|AddRect 225,40,15,16");
  DragThumb(kT + 8, 100);
  EXPECT_EQ(ScrollStart(), 0.4166666567325592);
  EXPECT_EQ(Thumb(), "FillPath|AddRect 225,140,15,16");
  host.Ui().Click(id, PF_Window_EFFECT, {kL + 30, kT + 10}, 2);
  EXPECT_EQ(Layouts(), kLayoutsFirstLayout + 42);

  DragThumb(kT + 108, 1000);
  EXPECT_EQ(ScrollStart(), 0.9292035698890686);
  EXPECT_EQ(Thumb(), "FillPath|AddRect 225,263,15,16");
  DragThumb(kB - 20 - 9, -5000);
  EXPECT_EQ(ScrollStart(), 0.0);
  EXPECT_EQ(Thumb(), "FillPath|AddRect 225,40,15,16");
}

}  // namespace
}  // namespace Orvane::Mosaira
