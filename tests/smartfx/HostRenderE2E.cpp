// The plug-in library rendering in the simulated host: the layout picked in "Layouts", layers
// picked per polygon group, pre-render and render through the entry point, the host's own
// OpenGL context current around every command.
#include <gtest/gtest.h>

#include <memory>
#include <thread>
#include <vector>

#include "host/HostGlContext.h"
#include "host/HostWorld.h"
#include "host/SimulatedHost.h"
#include "host/SmartFx.h"
#include "layout/LayoutRegistry.h"
#include "tests/support/GlErrorCheck.h"
#include "tests/support/HostWorldPixels.h"

namespace Orvane::Mosaira {
namespace {

using Testing::Argb;
using Testing::GetArgb;
using Testing::InstallGlErrorCheck;
using Testing::SetArgb;
using Testing::WhiteOf;

constexpr PF_ParamIndex kLayouts = 1;
constexpr PF_ParamIndex kEdgeInset = 2;
constexpr PF_ParamIndex LayerParam(int group) { return 41 + 6 * group + 1; }

A_long LayoutsValueOf(const std::string& id) {
  const LayoutRegistry& registry = LayoutRegistry::instance();
  for (size_t i = 0; i < registry.layoutIds.size(); ++i) {
    if (registry.layoutIds[i].id == id) return A_long(2 + i);
  }
  return 1;
}

// Solid 24 x 40 layers (the inset box of each frame of "2-1" at 64 x 48 with inset 4).
std::unique_ptr<HostWorld> SolidLayer(PF_PixelFormat format, double a, double r, double g, double b) {
  auto layer = std::make_unique<HostWorld>(24, 40, format, 8);
  const double w = WhiteOf(format);
  for (A_long y = 0; y < 40; ++y) {
    for (A_long x = 0; x < 24; ++x) SetArgb(*layer, x, y, {float(a * w), float(r * w), float(g * w), float(b * w)});
  }
  return layer;
}

void ExpectPixel(HostWorld& w, A_long x, A_long y, std::array<double, 4> want, double tolerance) {
  const Argb got = GetArgb(w, x, y);
  for (int c = 0; c < 4; ++c) {
    EXPECT_NEAR(got[c] / WhiteOf(w.Format()), want[c], tolerance) << "channel " << c << " at " << x << "," << y;
  }
}

class HostRender : public ::testing::TestWithParam<PF_PixelFormat> {
 protected:
  void SetUp() override {
    InstallGlErrorCheck();
    std::string error;
    ASSERT_TRUE(host.LoadPlugin(TILETTA_PLUGIN_PATH, &error)) << error;
    id = host.AddInstance(64, 48);
    ASSERT_NE(id, kNoInstance);
    left = SolidLayer(GetParam(), 1, 0.8, 0.4, 0.2);
    right = SolidLayer(GetParam(), 1, 0.1, 0.3, 0.9);
    ASSERT_TRUE(fx.SetLayer(id, LayerParam(0), left.get()));
    ASSERT_TRUE(fx.SetLayer(id, LayerParam(1), right.get()));
    ASSERT_EQ(host.SetPopup(id, kLayouts, LayoutsValueOf("2-1")), PF_Err_NONE);
    ASSERT_EQ(host.SetFloat(id, kEdgeInset, 4.0), PF_Err_NONE);
  }
  void TearDown() override {
    host.Shutdown();
    EXPECT_TRUE(host.Violations().empty()) << host.Violations().front();
  }

  std::unique_ptr<HostWorld> RenderFrame(A_long w = 64, A_long h = 48) {
    PF_PreRenderOutput rects{};
    EXPECT_EQ(fx.PreRender(id, &rects), PF_Err_NONE);
    EXPECT_TRUE(fx.InputRequested());
    EXPECT_EQ(rects.result_rect.right, w);
    EXPECT_EQ(rects.result_rect.bottom, h);
    HostWorld input(w, h, GetParam(), 4);
    auto output = std::make_unique<HostWorld>(w, h, GetParam(), 4);
    EXPECT_EQ(fx.Render(id, &input, output.get()), PF_Err_NONE);
    EXPECT_TRUE(output->PaddingIntact());
    return output;
  }

  SimulatedHost host;
  SmartFx fx{host};
  InstanceId id = kNoInstance;
  std::unique_ptr<HostWorld> left, right;
};

TEST_P(HostRender, FramesShowTheirLayersWithTheHostContextKept) {
  auto gl = HostGlContext::Create();
  ASSERT_NE(gl, nullptr);
  host.SetCommandHook(gl.get());
  auto out = RenderFrame();
  ExpectPixel(*out, 16, 24, {1, 0.8, 0.4, 0.2}, 2.5 / 255);
  ExpectPixel(*out, 48, 24, {1, 0.1, 0.3, 0.9}, 2.5 / 255);
  ExpectPixel(*out, 32, 24, {0, 0, 0, 0}, 0);  // gutter
  ExpectPixel(*out, 1, 1, {0, 0, 0, 0}, 0);    // margin
  host.SetCommandHook(nullptr);
  host.Shutdown();
  EXPECT_TRUE(gl->CommandsThatChangedContext().empty());
}

TEST_P(HostRender, HalfResolutionShowsTheSamePicture) {
  host.Context().downsampleX = {1, 2};
  host.Context().downsampleY = {1, 2};
  auto out = RenderFrame(32, 24);
  ExpectPixel(*out, 8, 12, {1, 0.8, 0.4, 0.2}, 2.5 / 255);
  ExpectPixel(*out, 24, 12, {1, 0.1, 0.3, 0.9}, 2.5 / 255);
  ExpectPixel(*out, 16, 12, {0, 0, 0, 0}, 0);
}

// A layer larger than the output (here twice the frame's box, cover factor 0.5) reaches the frame
// whole: its rows and columns beyond the output's size are not lost on the way up.
TEST_P(HostRender, LayerLargerThanTheOutputFillsItsFrame) {
  auto big = std::make_unique<HostWorld>(96, 160, GetParam(), 8);
  auto small = SolidLayer(GetParam(), 1, 0.8, 0.4, 0.2);
  for (A_long y = 0; y < 160; ++y) {
    for (A_long x = 0; x < 96; ++x) SetArgb(*big, x, y, GetArgb(*small, 0, 0));
  }
  ASSERT_TRUE(fx.SetLayer(id, LayerParam(0), big.get()));
  auto out = RenderFrame();
  for (A_long y : {8, 24, 40}) ExpectPixel(*out, 16, y, {1, 0.8, 0.4, 0.2}, 2.5 / 255);
  ExpectPixel(*out, 25, 40, {1, 0.8, 0.4, 0.2}, 2.5 / 255);
}

TEST_P(HostRender, ConcurrentRendersGiveIdenticalBytes) {
  auto reference = RenderFrame();
  constexpr int kThreads = 3;
  constexpr int kRendersEach = 2;
  std::vector<std::unique_ptr<HostWorld>> outputs(kThreads * kRendersEach);
  std::vector<PF_Err> errors(outputs.size(), -1);
  std::vector<std::thread> workers;
  for (int t = 0; t < kThreads; ++t) {
    workers.emplace_back([&, t] {
      for (int i = 0; i < kRendersEach; ++i) {
        const size_t slot = size_t(t * kRendersEach + i);
        HostWorld input(64, 48, GetParam(), 4);
        outputs[slot] = std::make_unique<HostWorld>(64, 48, GetParam(), 4);
        errors[slot] = fx.Render(id, &input, outputs[slot].get());
      }
    });
  }
  for (std::thread& w : workers) w.join();
  for (size_t i = 0; i < outputs.size(); ++i) {
    EXPECT_EQ(errors[i], PF_Err_NONE) << "render " << i;
    EXPECT_EQ(outputs[i]->Bytes(), reference->Bytes()) << "render " << i;
  }
}

// Every suite acquisition and every parameter checkout of a render failing in turn: the render
// reports an error or finishes, the host's books stay balanced, and the next clean render gives
// the same bytes as before.
TEST_P(HostRender, FaultSweepLeavesTheNextRenderIdentical) {
  auto reference = RenderFrame();
  for (int n = 0; n < 14; ++n) {
    for (int kind = 0; kind < 2; ++kind) {
      if (kind == 0) host.Suites().FailAcquire(n);
      if (kind == 1) host.Faults().Fail("checkout_param", n);
      HostWorld input(64, 48, GetParam(), 4), output(64, 48, GetParam(), 4);
      fx.Render(id, &input, &output);
      host.Suites().FailAcquire(-1);
      host.Faults().Fail("checkout_param", -1);
      auto clean = RenderFrame();
      EXPECT_EQ(clean->Bytes(), reference->Bytes()) << "after fault " << kind << " at call " << n;
      ASSERT_TRUE(host.Violations().empty()) << host.Violations().front();
    }
  }
}

TEST_P(HostRender, NoLayoutLeavesTheOutputAlone) {
  ASSERT_EQ(host.SetPopup(id, kLayouts, 1), PF_Err_NONE);
  PF_PreRenderOutput rects{};
  EXPECT_EQ(fx.PreRender(id, &rects), PF_Err_NONE);
  EXPECT_FALSE(fx.InputRequested());
  EXPECT_EQ(rects.result_rect.right, 0);
  HostWorld input(64, 48, GetParam()), output(64, 48, GetParam());
  SetArgb(output, 16, 24, {7, 7, 7, 7});
  const std::vector<uint8_t> before = output.Bytes();
  EXPECT_EQ(fx.Render(id, &input, &output), PF_Err_NONE);
  EXPECT_EQ(output.Bytes(), before);
}

INSTANTIATE_TEST_SUITE_P(Depths, HostRender,
                         ::testing::Values(PF_PixelFormat_ARGB32, PF_PixelFormat_ARGB64, PF_PixelFormat_ARGB128),
                         [](const ::testing::TestParamInfo<PF_PixelFormat>& info) {
                           return info.param == PF_PixelFormat_ARGB32 ? "Bits8"
                                  : info.param == PF_PixelFormat_ARGB64 ? "Bits16" : "Bits32";
                         });

}  // namespace
}  // namespace Orvane::Mosaira
