// One instance used from several threads at once, as a host does while the user works: renders
// and pre-renders on render threads while the user thread moves points and sliders, changes the
// inset, loads other layouts, drags in the composition window, redraws the overlay, saves the project
// and duplicates the instance. Every command must see a whole layout; afterwards the instance
// renders exactly what a quiet instance renders.
#include <gtest/gtest.h>

#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <memory>
#include <thread>
#include <vector>

#include "host/HostUi.h"
#include "tests/support/PluginSession.h"

namespace Orvane::Mosaira::Testing {
namespace {

constexpr A_long kWidth = 64, kHeight = 48;

class SameInstanceStress : public PluginSession, public ::testing::Test {
 protected:
  void SetUp() override {
    Open(kWidth, kHeight);
    layer = std::make_unique<HostWorld>(kWidth, kHeight, PF_PixelFormat_ARGB32, 8);
    for (A_long y = 0; y < kHeight; ++y) {
      for (A_long x = 0; x < kWidth; ++x) SetArgb(*layer, x, y, {255, float(4 * x), float(5 * y), 90});
    }
    for (int g = 0; g < 9; ++g) ASSERT_TRUE(fx.SetLayer(id, LayerParam(g), layer.get()));
  }
  void TearDown() override { Close(); }

  // A quiet state: layout "3-1" loaded afresh, inset 3.
  void SetQuietState() {
    Pick("9-1");
    Pick("3-1");
    ASSERT_EQ(host.SetFloat(id, kParamEdgeInset, 3.0), PF_Err_NONE);
  }

  PF_Err RenderInto(HostWorld* output) {
    PF_PreRenderOutput rects{};
    const PF_Err err = fx.PreRender(id, &rects);
    HostWorld input(kWidth, kHeight, PF_PixelFormat_ARGB32, 4);
    return err != PF_Err_NONE ? err : fx.Render(id, &input, output);
  }

  std::unique_ptr<HostWorld> layer;
};

TEST_F(SameInstanceStress, RendersOverlappingEditsAndLayoutChangesStayWhole) {
  SetQuietState();
  HostWorld reference(kWidth, kHeight, PF_PixelFormat_ARGB32, 4);
  ASSERT_EQ(RenderInto(&reference), PF_Err_NONE);

  std::atomic<bool> userDone{false};
  std::atomic<int> failedRenders{0};
  std::vector<std::thread> renderers;
  for (int t = 0; t < 3; ++t) {
    renderers.emplace_back([&] {
      for (int i = 0; i < 12 || !userDone; ++i) {
        HostWorld output(kWidth, kHeight, PF_PixelFormat_ARGB32, 4);
        if (RenderInto(&output) != PF_Err_NONE) ++failedRenders;
      }
    });
  }
  // The user thread: one change at a time, as a host's interface thread sends them.
  const char* layouts[] = {"3-1", "9-1", "5-3", "3-1"};
  const std::string project = ::testing::TempDir() + "stress_" + std::to_string(::getpid()) + ".proj";
  for (int i = 0; i < 64; ++i) {
    switch (i % 8) {
      case 0: host.SetPointPx(id, kParamPointFirst + i % 3, 2.0 * i, 1.5 * i); break;
      case 1: host.SetFloat(id, kParamSliderFirst, double(i * 7 % 100)); break;
      case 2: host.SetFloat(id, kParamEdgeInset, double(i % 9)); break;
      case 3: {  // the middle of "3-1"'s lower button, or wherever it went
        host.Ui().Click(id, PF_Window_COMP, {32, 36});
        host.Ui().Drag({32 + i % 5 - 2, 36});
        host.Ui().MouseUp({32 + i % 5 - 2, 36});
        break;
      }
      case 4: host.Ui().Draw(id, PF_Window_COMP); break;
      case 5: host.SetPopup(id, kParamLayouts, LayoutsValueOf(layouts[i / 8 % 4])); break;
      case 6: {  // flatten and set up again, in the middle of the renders
        std::string error;
        EXPECT_TRUE(host.SaveProject(project, &error)) << error;
        break;
      }
      default: {  // a flattened copy, and a new instance from it
        EXPECT_EQ(host.Send(id, PF_Cmd_GET_FLATTENED_SEQUENCE_DATA), PF_Err_NONE);
        const InstanceId copy = host.DuplicateInstance(id);
        EXPECT_NE(copy, kNoInstance);
        host.RemoveInstance(copy);
        break;
      }
    }
  }
  std::remove(project.c_str());
  userDone = true;
  for (std::thread& r : renderers) r.join();
  EXPECT_EQ(failedRenders, 0);

  SetQuietState();
  HostWorld after(kWidth, kHeight, PF_PixelFormat_ARGB32, 4);
  ASSERT_EQ(RenderInto(&after), PF_Err_NONE);
  EXPECT_EQ(after.Bytes(), reference.Bytes());
}

// The user resizes the layer (its source changed) while three threads pre-render: the host writes
// the size under the lock the renders read it under, so each pre-render sees one whole size, and
// the instance renders afterwards as a quiet one does at its last size.
TEST_F(SameInstanceStress, LayerResizedWhileRendersRun) {
  SetQuietState();
  HostWorld reference(kWidth, kHeight, PF_PixelFormat_ARGB32, 4);
  ASSERT_EQ(RenderInto(&reference), PF_Err_NONE);
  std::atomic<bool> userDone{false};
  std::atomic<int> failed{0}, torn{0};
  std::vector<std::thread> renderers;
  for (int t = 0; t < 3; ++t) {
    renderers.emplace_back([&] {
      for (int i = 0; i < 12 || !userDone; ++i) {
        PF_PreRenderOutput rects{};
        if (fx.PreRender(id, &rects) != PF_Err_NONE) ++failed;
        // Both sides from one size: the full one, or half of it on each side.
        const A_long w = rects.max_result_rect.right, h = rects.max_result_rect.bottom;
        if (w <= 0 || w * kHeight != h * kWidth) ++torn;
      }
    });
  }
  for (int i = 0; i < 200; ++i) {
    const A_long d = i % 2 + 1;
    ASSERT_TRUE(host.SetLayerSize(id, kWidth / d, kHeight / d));
  }
  userDone = true;
  for (std::thread& r : renderers) r.join();
  EXPECT_EQ(failed, 0);
  EXPECT_EQ(torn, 0);
  ASSERT_TRUE(host.SetLayerSize(id, kWidth, kHeight));
  SetQuietState();
  HostWorld after(kWidth, kHeight, PF_PixelFormat_ARGB32, 4);
  ASSERT_EQ(RenderInto(&after), PF_Err_NONE);
  EXPECT_EQ(after.Bytes(), reference.Bytes());
}

// Eight render threads at once over two instances, in two host sessions one after the other in the
// same process (global set-up, renders, set-down, and again): every render draws the same bytes.
TEST(RenderThreads, EightAtOnceInEachOfTwoHostSessions) {
  std::vector<uint8_t> reference;
  for (int session = 0; session < 2; ++session) {
    SimulatedHost host;
    SmartFx fx{host};
    std::string error;
    ASSERT_TRUE(host.LoadPlugin(TILETTA_PLUGIN_PATH, &error)) << error;
    HostWorld layer(kWidth, kHeight, PF_PixelFormat_ARGB32, 8);
    for (A_long y = 0; y < kHeight; ++y) {
      for (A_long x = 0; x < kWidth; ++x) SetArgb(layer, x, y, {255, float(3 * x), 80, float(5 * y)});
    }
    // Two instances alike, so that renders of different instances overlap as well.
    const InstanceId ids[2] = {host.AddInstance(kWidth, kHeight), host.AddInstance(kWidth, kHeight)};
    for (const InstanceId id : ids) {
      ASSERT_NE(id, kNoInstance);
      for (int g = 0; g < 9; ++g) ASSERT_TRUE(fx.SetLayer(id, LayerParam(g), &layer));
      ASSERT_EQ(host.SetPopup(id, kParamLayouts, LayoutsValueOf("9-1")), PF_Err_NONE);
      PF_PreRenderOutput rects{};
      ASSERT_EQ(fx.PreRender(id, &rects), PF_Err_NONE);
    }
    std::vector<std::unique_ptr<HostWorld>> outputs(8);
    std::vector<PF_Err> errors(8, -1);
    std::vector<std::thread> workers;
    for (size_t t = 0; t < outputs.size(); ++t) {
      workers.emplace_back([&, t] {
        HostWorld input(kWidth, kHeight, PF_PixelFormat_ARGB32, 4);
        outputs[t] = std::make_unique<HostWorld>(kWidth, kHeight, PF_PixelFormat_ARGB32, 4);
        errors[t] = fx.Render(ids[t % 2], &input, outputs[t].get());
      });
    }
    for (std::thread& w : workers) w.join();
    if (reference.empty()) reference = outputs[0]->Bytes();
    for (size_t t = 0; t < outputs.size(); ++t) {
      EXPECT_EQ(errors[t], PF_Err_NONE) << "session " << session << " thread " << t;
      EXPECT_EQ(outputs[t]->Bytes(), reference) << "session " << session << " thread " << t;
    }
    host.Shutdown();
    EXPECT_TRUE(host.Violations().empty()) << host.Violations().front();
  }
}

}  // namespace
}  // namespace Orvane::Mosaira::Testing
