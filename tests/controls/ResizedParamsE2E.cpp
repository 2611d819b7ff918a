// How the size that a resized layer's point parameters were written at is found, through the
// plug-in in the simulated host: "3-1" at 1920 x 1080 with button B2 dragged 100 px to the right
// (P7 and P8 at x = 1060) and point P6 typed beyond the layer's right edge (the layout holds it
// on the edge), saved. Reopened with the layer at 960 x 540 the reshaped layout is shown scaled
// by one half; reopened at the size it was saved at, it is shown as it was.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <unistd.h>

#include "host/ProjectFile.h"
#include "tests/controls/ReshapedFixture.h"

namespace Orvane::Mosaira {
namespace {

class ResizedParams : public Testing::ReshapedFixture {
 protected:
  void SetUp() override { StartReshaped("resized_params"); }

  // Saves the project and opens it with the layer at width x height.
  InstanceId Reopen(A_long width, A_long height) { return SaveAndOpen(width, height); }

  // The render shows frames 2 and 3 meeting at x = edge below frame 1, both whole.
  void ExpectRenderedEdgeAt(InstanceId instance, A_long edge) {
    auto out = Render(instance);
    const A_long width = host.Instance(instance).width, height = host.Instance(instance).height;
    for (A_long y : {height * 6 / 10, height * 9 / 10}) {
      EXPECT_EQ(FrameColourAt(*out, edge - 10, y), 2) << edge << "," << y;
      EXPECT_EQ(FrameColourAt(*out, edge + 10, y), 3) << edge << "," << y;
      EXPECT_EQ(FrameColourAt(*out, width - 20, y), 3) << y;
    }
    EXPECT_EQ(FrameColourAt(*out, width / 2, height / 5), 1);
  }

  void RenderAt(double seconds) { host.Context().time = HostTime{A_long(seconds * 30), 30}; }

};

// The point held on the edge tells a larger size than the layer had; the size is still found from
// the points that lie where their parameters say, and nothing collapses.
TEST_F(ResizedParams, PointTypedBeyondTheLayerDoesNotHideTheSavedSize) {
  ASSERT_EQ(host.SetPointPx(id, pointP6, 2500, 540), PF_Err_NONE);
  ExpectRenderedEdgeAt(id, 1060);
  const InstanceId resized = Reopen(960, 540);
  ExpectRenderedEdgeAt(resized, 530);
  DrawIn(PF_Window_COMP, resized);
  EXPECT_TRUE(AccentNear(530, 405 + 12, 3));  // button B2 where the edge is drawn
}

// A project never resized is shown as it was saved, whatever the user typed: no other size is
// found in parameters that the layout clamped.
TEST_F(ResizedParams, ProjectReopenedAtItsOwnSizeKeepsItsShape) {
  ASSERT_EQ(host.SetPointPx(id, pointP6, 2500, 540), PF_Err_NONE);
  const auto before = Render(id);
  const InstanceId reopened = Reopen(1920, 1080);
  EXPECT_EQ(Render(reopened)->Bytes(), before->Bytes());
  EXPECT_EQ(host.Stream(reopened, pointP6).ValueAt(0).td.x_value, 2500 * 65536);
}

// P8 keyframed from x = 1060 at 0 s to x = 1500 at 1 s: at 1 s the edge between frames 2 and 3
// runs from P7 down to P8, at the bottom three quarters of the way across. A drag at 0 s after
// the reopen at half size changes the keyframe at 0 s only; the one at 1 s still holds the old
// layer's pixels and must still be read at their size.
TEST_F(ResizedParams, KeyframedPointKeepsItsPathAfterADragAtTheNewSize) {
  PF_ParamDefUnion value = host.Stream(id, pointP8).ValueAt(0);
  host.Stream(id, pointP8).AddKeyframe(0.0, value);
  value.td.x_value = 1500 * 65536;
  host.Stream(id, pointP8).AddKeyframe(1.0, value);
  const InstanceId resized = Reopen(960, 540);
  const auto bottomEdgeAtOneSecond = [&](const char* when) {
    RenderAt(1.0);
    auto out = Render(resized);
    EXPECT_EQ(FrameColourAt(*out, 700, 535), 2) << when;
    EXPECT_EQ(FrameColourAt(*out, 790, 535), 3) << when;
    RenderAt(0.0);
  };
  ExpectRenderedEdgeAt(resized, 530);
  bottomEdgeAtOneSecond("before the drag");
  DrawIn(PF_Window_COMP, resized);  // the overlay the user grabs, at 0 s
  Drag({530, 405}, {430, 405}, resized);
  ExpectRenderedEdgeAt(resized, 430);
  bottomEdgeAtOneSecond("after the drag");
  ExpectRenderedEdgeAt(resized, 430);  // back at 0 s, where the project is saved and reopened

  std::string error;
  ASSERT_TRUE(host.SaveProject(path, &error)) << error;
  ASSERT_TRUE(host.OpenProject(path, &error)) << error;
  const InstanceId reopened = host.Instances().back();
  UseLayers(reopened);
  ExpectRenderedEdgeAt(reopened, 430);
}

}  // namespace
}  // namespace Orvane::Mosaira

namespace Orvane::Mosaira {
namespace {

// A layout chosen while the layer is empty (a side of 0) shows no controls there; it is shown at
// the layer's first real size, can be reshaped there, and comes back so from a saved project.
class LayoutOnEmptyLayer : public Testing::ControlsFixture {
 protected:
  void ExpectThreeFrames(InstanceId instance, A_long edge) {
    auto out = Render(instance);
    EXPECT_EQ(FrameColourAt(*out, 320, 180), 1);
    EXPECT_EQ(FrameColourAt(*out, edge - 10, 540), 2);
    EXPECT_EQ(FrameColourAt(*out, edge + 10, 540), 3);
    EXPECT_EQ(FrameColourAt(*out, 20, 700), 2);
    EXPECT_EQ(FrameColourAt(*out, 1260, 700), 3);
  }
};

TEST_F(LayoutOnEmptyLayer, TakesTheLayersFirstRealSize) {
  for (const auto& [w, h] : {std::pair<A_long, A_long>{0, 0}, {1280, 0}}) {
    StartInstance(1920, 1080, "");
    ASSERT_TRUE(host.SetLayerSize(id, w, h));
    ASSERT_EQ(host.SetPopup(id, kParamLayouts, Testing::LayoutsValueOf("3-1")), PF_Err_NONE);
    // Nothing to see or grab on the empty layer.
    EXPECT_EQ(host.Ui().Draw(id, PF_Window_COMP).outFlags, PF_EO_NONE);
    EXPECT_FALSE(host.Ui().Click(id, PF_Window_COMP, {960, 810}).sendDrag);
    host.Ui().MouseUp({960, 810});
    ASSERT_TRUE(host.SetLayerSize(id, 1280, 720));
    ExpectThreeFrames(id, 640);
    DrawIn(PF_Window_COMP);
    Drag({640, 540}, {740, 560});
    ExpectThreeFrames(id, 740);

    const std::string path = ::testing::TempDir() + "empty_layer_" + std::to_string(getpid()) + ".proj";
    std::string error;
    ASSERT_TRUE(host.SaveProject(path, &error)) << error;
    ASSERT_TRUE(host.OpenProject(path, &error)) << error;
    std::remove(path.c_str());
    const InstanceId reopened = host.Instances().back();
    UseLayers(reopened);
    ExpectThreeFrames(reopened, 740);
    host.Shutdown();
  }
}

}  // namespace
}  // namespace Orvane::Mosaira
