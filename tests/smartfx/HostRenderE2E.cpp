// The plug-in library rendering in the simulated host: the layout picked in "Layouts", layers
// picked per polygon group, pre-render and render through the entry point, the host's own
// OpenGL context current around every command.
#include <gtest/gtest.h>

#include <memory>
#include <string>
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

  // Renders `which` (the fixture's instance by default); the output's (0, 0) starts (7, 7, 7, 7).
  std::unique_ptr<HostWorld> RenderFrame(A_long w = 64, A_long h = 48, InstanceId which = kNoInstance) {
    which = which == kNoInstance ? id : which;
    PF_PreRenderOutput rects{};
    EXPECT_EQ(fx.PreRender(which, &rects), PF_Err_NONE);
    EXPECT_TRUE(fx.InputRequested());
    EXPECT_EQ(rects.result_rect.right, w);
    EXPECT_EQ(rects.result_rect.bottom, h);
    HostWorld input(w, h, GetParam(), 4);
    auto output = std::make_unique<HostWorld>(w, h, GetParam(), 4);
    SetArgb(*output, 0, 0, {7, 7, 7, 7});
    EXPECT_EQ(fx.Render(which, &input, output.get()), PF_Err_NONE);
    EXPECT_TRUE(output->PaddingIntact());
    return output;
  }

  // An instance of `layout` on a w x h layer showing the left layer in `frames` groups.
  InstanceId AddWith(A_long w, A_long h, const char* layout, int frames) {
    const InstanceId added = host.AddInstance(w, h);
    EXPECT_EQ(host.SetPopup(added, kLayouts, LayoutsValueOf(layout)), PF_Err_NONE);
    for (int g = 0; g < frames; ++g) EXPECT_TRUE(fx.SetLayer(added, LayerParam(g), left.get()));
    return added;
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

// "Edge Inset" reaches the picture through the shell: a new value shows in the next render, and
// going back gives the first picture again byte for byte.
TEST_P(HostRender, EdgeInsetChangeShowsAndGoesBack) {
  auto before = RenderFrame();
  ASSERT_EQ(host.SetFloat(id, kEdgeInset, 10.0), PF_Err_NONE);
  auto wider = RenderFrame();
  ASSERT_EQ(host.SetFloat(id, kEdgeInset, 4.0), PF_Err_NONE);
  auto back = RenderFrame();
  ExpectPixel(*before, 6, 24, {1, 0.8, 0.4, 0.2}, 2.5 / 255);
  ExpectPixel(*wider, 6, 24, {0, 0, 0, 0}, 0.0);
  EXPECT_EQ(back->Bytes(), before->Bytes());
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

// Values no slider offers, as a damaged project holds them, draw as the largest sensible ones
// (moved out of the frame, zoomed to its centre), not as the layer's corner pixel spread over it.
TEST_P(HostRender, FarOutValuesDrawAsTheLargestSensibleOnes) {
  const struct { int offset; double value, sameAs; } cases[] = {
      {4, 1e308, 1e20}, {2, 1e308, 1e20}, {2, -1e308, -1e20}, {2, 3.5e38, 1e20}};
  for (const auto& c : cases) {
    ASSERT_EQ(host.SetFloat(id, LayerParam(0) + c.offset - 1, c.sameAs), PF_Err_NONE);
    auto expected = RenderFrame();
    ASSERT_EQ(host.SetFloat(id, LayerParam(0) + c.offset - 1, c.value), PF_Err_NONE);
    EXPECT_EQ(RenderFrame()->Bytes(), expected->Bytes()) << c.value;
  }
}

TEST_P(HostRender, OutsideTheFramesIsExactlyTransparent) {
  auto out = RenderFrame();
  for (A_long y = 0; y < 48; ++y) {
    for (A_long x = 0; x < 64; ++x) {
      const bool inside = x >= 4 && x < 60 && y >= 4 && y < 44 && (x < 28 || x >= 36);
      if (inside) continue;
      ASSERT_EQ(GetArgb(*out, x, y), (Argb{0, 0, 0, 0})) << x << "," << y;
    }
  }
}

TEST_P(HostRender, EmptyInputWorldDrawsNothing) {
  HostWorld input(0, 0, GetParam()), output(0, 0, GetParam());
  EXPECT_EQ(fx.Render(id, &input, &output), PF_Err_NONE);
}

// A layer whose pixels the host cannot give leaves its own frame empty, not the whole render.
TEST_P(HostRender, LayerWithoutPixelsLeavesOnlyItsFrameEmpty) {
  std::vector<uint8_t> foreign(24 * 40 * 16);
  PF_ParamDef def = host.Definition(LayerParam(0));
  def.u.ld = *left->World();
  def.u.ld.data = reinterpret_cast<PF_Pixel*>(foreign.data());  // no world of the host's
  fx.SetLayer(id, LayerParam(0), nullptr);
  host.Stream(id, LayerParam(0)) = ParamStream(def);
  auto out = RenderFrame();
  ExpectPixel(*out, 16, 24, {0, 0, 0, 0}, 0);
  ExpectPixel(*out, 48, 24, {1, 0.1, 0.3, 0.9}, 2.5 / 255);
}

// Layers less than one layout unit across (the layout's layer since enlarged) fill their frames.
TEST_P(HostRender, LayersSmallerThanALayoutUnitFillTheirFrames) {
  const struct { A_long w, h; const char* layout; int frames; A_long toW, toH; } cases[] = {
      {1, 1, "1-1", 1, 64, 64}, {40, 1, "8-8", 8, 320, 180}};
  for (const auto& c : cases) {
    const InstanceId added = AddWith(c.w, c.h, c.layout, c.frames);
    ASSERT_TRUE(host.SetLayerSize(added, c.toW, c.toH));
    ExpectPixel(*RenderFrame(c.toW, c.toH, added), c.toW / 8, c.toH / 8, {1, 0.8, 0.4, 0.2}, 2.5 / 255);
  }
}

// The picture of an enlarged layer does not change when its project is saved or it is duplicated.
TEST_P(HostRender, EnlargedLayerKeepsItsPictureAcrossSaveAndDuplicate) {
  const InstanceId enlarged = AddWith(120, 80, "3-3", 3);
  ASSERT_TRUE(host.SetLayerSize(enlarged, 240, 160));
  auto reference = RenderFrame(240, 160, enlarged);
  ExpectPixel(*reference, 200, 140, {1, 0.8, 0.4, 0.2}, 2.5 / 255);  // not only the top-left quarter
  ASSERT_EQ(host.Send(enlarged, PF_Cmd_SEQUENCE_FLATTEN), PF_Err_NONE);  // as a save does
  ASSERT_EQ(host.Send(enlarged, PF_Cmd_SEQUENCE_RESETUP), PF_Err_NONE);
  EXPECT_EQ(RenderFrame(240, 160, enlarged)->Bytes(), reference->Bytes()) << "saved";
  EXPECT_EQ(RenderFrame(240, 160, host.DuplicateInstance(enlarged))->Bytes(), reference->Bytes());
}

// Beyond the driver's largest texture nothing is drawn, and the host's message says why.
TEST_P(HostRender, OutputBeyondTheDriverIsReportedAndLeftAlone) {
  auto out = RenderFrame(16385, 2, AddWith(16385, 2, "2-1", 2));
  EXPECT_EQ(GetArgb(*out, 0, 0), (Argb{7, 7, 7, 7}));
  EXPECT_NE(host.LastOutData().out_flags & PF_OutFlag_DISPLAY_ERROR_MESSAGE, 0);
  EXPECT_NE(std::string(host.LastOutData().return_msg).find("16385 x 2"), std::string::npos);
}

// Set up again without set-down (a host that reloads), the plug-in renders on; a second host in
// the same process can set it up.
TEST_P(HostRender, RepeatedGlobalSetupAndASecondHost) {
  EXPECT_EQ(host.GlobalSetup(), PF_Err_NONE);
  ExpectPixel(*RenderFrame(), 16, 24, {1, 0.8, 0.4, 0.2}, 2.5 / 255);
  SimulatedHost second;
  std::string error;
  ASSERT_TRUE(second.LoadPlugin(TILETTA_PLUGIN_PATH, &error)) << error;
  EXPECT_NE(second.AddInstance(64, 48), kNoInstance);
  second.Shutdown();
  EXPECT_TRUE(second.Violations().empty());
}

INSTANTIATE_TEST_SUITE_P(Depths, HostRender,
                         ::testing::Values(PF_PixelFormat_ARGB32, PF_PixelFormat_ARGB64, PF_PixelFormat_ARGB128),
                         [](const ::testing::TestParamInfo<PF_PixelFormat>& info) {
                           return info.param == PF_PixelFormat_ARGB32 ? "Bits8"
                                  : info.param == PF_PixelFormat_ARGB64 ? "Bits16" : "Bits32";
                         });

}  // namespace
}  // namespace Orvane::Mosaira
