// A layer whose size changed after its layout was reshaped, through the plug-in in the simulated
// host. "3-1" at 1920 x 1080 with button B2 dragged 100 px to the right (P7 and P8 at x = 1060),
// then the layer at 960 x 540, reached three ways: the saved project's layer size edited before it
// is opened, the layer resized after the project was opened, and the layer resized while the
// instance lives. Each way the render, the overlay, the cursor and a drag of the handle the user
// sees all work on the reshaped layout scaled by one half (P7 and P8 at x = 530), and the point
// parameters written by the drag are the new layer's pixels.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <unistd.h>

#include "host/HostUi.h"
#include "host/ProjectFile.h"
#include "tests/controls/ReshapedFixture.h"

namespace Orvane::Mosaira {
namespace {

// How the layer came to its new size.
const std::string kEditedProject = "EditedProject", kResizedAfterReopen = "ResizedAfterReopen",
                  kResizedLive = "ResizedLive";

constexpr PF_ParamIndex kSliderP7 = kParamSliderFirst;

class ResizedLayer : public Testing::ReshapedFixture, public ::testing::WithParamInterface<std::string> {
 protected:
  void SetUp() override {
    StartReshaped("resized_layer");
    ASSERT_EQ(host.Stream(id, pointP8).ValueAt(0).td.x_value, 1060 * 65536);
    resized = Resize(GetParam());
  }

  // The instance on the 960 x 540 layer, by the given road.
  InstanceId Resize(const std::string& road) {
    if (road == kResizedLive) {
      EXPECT_TRUE(host.SetLayerSize(id, 960, 540));
      return id;
    }
    if (road == kEditedProject) return SaveAndOpen(960, 540);
    const InstanceId opened = SaveAndOpen();
    EXPECT_TRUE(host.SetLayerSize(opened, 960, 540));
    return opened;
  }

  // The render shows the edge between frames 2 and 3 at x = edge (from y = 270 down), frame 1
  // above, and both lower frames whole.
  void ExpectRenderedEdgeAt(A_long edge) {
    auto out = Render(resized);
    for (A_long y : {300, 400, 530}) {
      EXPECT_EQ(FrameColourAt(*out, edge - 10, y), 2) << edge << "," << y;
      EXPECT_EQ(FrameColourAt(*out, edge + 10, y), 3) << edge << "," << y;
    }
    EXPECT_EQ(FrameColourAt(*out, 20, 300), 2);
    EXPECT_EQ(FrameColourAt(*out, 940, 300), 3);
    EXPECT_EQ(FrameColourAt(*out, 480, 100), 1);
  }
  // The overlay outlines that edge, with button B2 on it halfway down and frame 3's number at its
  // centre, and no outline where the layout before the drag had it.
  void ExpectOverlayEdgeAt(A_long edge) {
    DrawIn(PF_Window_COMP, resized);
    EXPECT_TRUE(AccentNear(edge, 300));
    EXPECT_TRUE(AccentNear(edge, 500));
    EXPECT_TRUE(AccentNear(edge + 3, 405 + 12, 0));  // the capsule, 10 wide and 30 tall
    EXPECT_FALSE(AccentNear(edge + 7, 405, 0));
    EXPECT_TRUE(AccentNear((edge + 960) / 2, 405, 12));
    EXPECT_TRUE(AccentNear(300, 270));  // the middle edge
    EXPECT_FALSE(AccentNear(480, 450, 3));
  }

  InstanceId resized = kNoInstance;
};

// Render, overlay and cursor agree on the reshaped layout at half its size: nothing collapsed,
// nothing left at the old size's pixels, and the handle is where it is drawn.
TEST_P(ResizedLayer, RenderOverlayAndCursorShowTheReshapedLayoutScaled) {
  ExpectRenderedEdgeAt(530);
  ExpectOverlayEdgeAt(530);
  const auto cursorAt = [&](A_long h, A_long v) {
    return host.Ui().AdjustCursor(resized, PF_Window_COMP, {h, v}).cursor;
  };
  EXPECT_EQ(cursorAt(530, 405), PF_Cursor_RESIZE_HORIZONTAL);
  EXPECT_EQ(cursorAt(530, 270), PF_Cursor_HAND);  // P7
  EXPECT_EQ(cursorAt(480, 405), PF_Cursor_NONE);
}

// The first reading of the parameters after the resize may come at a reduced resolution: at half
// resolution the render shows the same shape in half the pixels, and at full resolution after it.
TEST_P(ResizedLayer, FirstReadingAtHalfResolutionKeepsTheShape) {
  host.Context().downsampleX = host.Context().downsampleY = {1, 2};
  auto half = Render(resized, 480, 270);
  for (A_long y : {150, 200, 265}) {
    EXPECT_EQ(FrameColourAt(*half, 260, y), 2) << y;
    EXPECT_EQ(FrameColourAt(*half, 270, y), 3) << y;
  }
  host.Context().downsampleX = host.Context().downsampleY = {1, 1};
  ExpectRenderedEdgeAt(530);
}

// Dragging the handle where it is drawn moves it by the mouse's movement; every point parameter
// then holds the new layer's pixels, and a save and reopen at this size keeps the picture.
TEST_P(ResizedLayer, DragOfTheVisibleHandleWritesParametersAtTheNewSize) {
  ExpectOverlayEdgeAt(530);  // what the user sees before grabbing it
  Drag({530, 405}, {430, 405}, resized);
  EXPECT_EQ(host.Stream(resized, pointP8).ValueAt(0).td.x_value, 430 * 65536);
  EXPECT_EQ(host.Stream(resized, pointP8).ValueAt(0).td.y_value, 540 * 65536);
  EXPECT_EQ(host.Stream(resized, pointP6).ValueAt(0).td.x_value, 960 * 65536);
  EXPECT_EQ(host.Stream(resized, pointP6).ValueAt(0).td.y_value, 270 * 65536);
  EXPECT_NEAR(host.Stream(resized, kSliderP7).ValueAt(0).fs_d.value, 100.0 * 430.0 / 960.0, 1e-4);
  ExpectRenderedEdgeAt(430);
  ExpectOverlayEdgeAt(430);
  const auto before = Render(resized);

  std::string error;
  ASSERT_TRUE(host.SaveProject(path, &error)) << error;
  ASSERT_TRUE(host.OpenProject(path, &error)) << error;
  resized = host.Instances().back();
  UseLayers(resized);
  EXPECT_EQ(host.Stream(resized, pointP8).ValueAt(0).td.x_value, 430 * 65536);
  EXPECT_EQ(Render(resized)->Bytes(), before->Bytes());
  ExpectOverlayEdgeAt(430);
}

INSTANTIATE_TEST_SUITE_P(Roads, ResizedLayer,
                         ::testing::Values(kEditedProject, kResizedAfterReopen, kResizedLive),
                         [](const auto& info) { return info.param; });

}  // namespace
}  // namespace Orvane::Mosaira
