// Renders through the simulated host from odd host state and damaged project values: out-of-range
// frame values, empty and unreadable worlds, outputs beyond the driver, layers resized after a
// layout was chosen, and a plug-in set up again or by a second host.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "host/HostWorld.h"
#include "host/SimulatedHost.h"
#include "host/SmartFx.h"
#include "layout/LayoutRegistry.h"
#include "tests/support/GlErrorCheck.h"
#include "tests/support/HostWorldPixels.h"

namespace Orvane::Mosaira {
namespace {

using Testing::GetArgb;
using Testing::SetArgb;
using Testing::WhiteOf;

constexpr PF_ParamIndex kLayouts = 1;
constexpr PF_ParamIndex kEdgeInset = 2;
constexpr PF_ParamIndex PolygonParam(int group, int offset) { return 41 + 6 * group + offset; }
constexpr int kLayer = 1, kXOffset = 2, kScale = 4;

A_long LayoutsValueOf(const std::string& id) {
  const LayoutRegistry& registry = LayoutRegistry::instance();
  for (size_t i = 0; i < registry.layoutIds.size(); ++i) {
    if (registry.layoutIds[i].id == id) return A_long(2 + i);
  }
  return 1;
}

std::unique_ptr<HostWorld> Solid(A_long w, A_long h, PF_PixelFormat format, const Testing::Argb& unit) {
  auto world = std::make_unique<HostWorld>(w, h, format, 8);
  const float white = WhiteOf(format);
  for (A_long y = 0; y < h; ++y) {
    for (A_long x = 0; x < w; ++x) {
      SetArgb(*world, x, y, {unit[0] * white, unit[1] * white, unit[2] * white, unit[3] * white});
    }
  }
  return world;
}

size_t OpaquePixels(HostWorld& w) {
  size_t count = 0;
  for (A_long y = 0; y < w.Height(); ++y) {
    for (A_long x = 0; x < w.Width(); ++x) count += GetArgb(w, x, y)[0] == WhiteOf(w.Format());
  }
  return count;
}

// One host with the plug-in loaded; instances get solid layers in the groups their layout uses.
class OddState : public ::testing::Test {
 protected:
  void SetUp() override {
    Testing::InstallGlErrorCheck();
    Load(host);
  }
  void TearDown() override {
    host.Shutdown();
    EXPECT_TRUE(host.Violations().empty()) << host.Violations().front();
  }
  static void Load(SimulatedHost& h) {
    std::string error;
    ASSERT_TRUE(h.LoadPlugin(TILETTA_PLUGIN_PATH, &error)) << error;
  }

  // An instance on a w x h layer with `layout` chosen and `groups` layers of 24 x 40 picked.
  InstanceId Add(SimulatedHost& h, SmartFx& f, A_long w, A_long h2, const std::string& layout, int groups,
                 PF_PixelFormat format = PF_PixelFormat_ARGB32) {
    const InstanceId id = h.AddInstance(w, h2);
    EXPECT_NE(id, kNoInstance);
    EXPECT_EQ(h.SetPopup(id, kLayouts, LayoutsValueOf(layout)), PF_Err_NONE);
    for (int g = 0; g < groups; ++g) Pick(f, id, g, format);
    return id;
  }
  void Pick(SmartFx& f, InstanceId id, int group, PF_PixelFormat format) {
    layers.push_back(Solid(24, 40, format, {1, 0.2f + 0.1f * float(group), 0.5, 0.7f}));
    ASSERT_TRUE(f.SetLayer(id, PolygonParam(group, kLayer), layers.back().get()));
  }

  // Pre-render and render of the whole layer in `format`; the result in *err.
  std::unique_ptr<HostWorld> Render(SimulatedHost& h, SmartFx& f, InstanceId id, PF_Err* err,
                                    PF_PixelFormat format = PF_PixelFormat_ARGB32) {
    PF_PreRenderOutput rects{};
    EXPECT_EQ(f.PreRender(id, &rects), PF_Err_NONE);
    const HostInstance& inst = h.Instance(id);
    HostWorld input(inst.width, inst.height, format, 4);
    auto output = std::make_unique<HostWorld>(inst.width, inst.height, format, 4);
    *err = f.Render(id, &input, output.get());
    return output;
  }
  std::unique_ptr<HostWorld> Render(InstanceId id, PF_PixelFormat format = PF_PixelFormat_ARGB32) {
    PF_Err err = -1;
    auto out = Render(host, fx, id, &err, format);
    EXPECT_EQ(err, PF_Err_NONE);
    return out;
  }

  SimulatedHost host;
  SmartFx fx{host};
  std::vector<std::unique_ptr<HostWorld>> layers;
};

// Values no slider offers, as a damaged or foreign project holds them: the frame shows what the
// largest sensible value shows (moved out of its frame, zoomed to its centre), never the layer's
// corner pixel spread over the frame.
TEST_F(OddState, FarOutFrameValuesDrawAsTheLargestSensibleOnes) {
  struct Case {
    int offset;
    double value;
    double sameAs;
  };
  const Case cases[] = {{kXOffset, 1e308, 1e20}, {kXOffset, -1e308, -1e20}, {kXOffset, 3.5e38, 1e20},
                        {kScale, 1e308, 1e20}};
  const InstanceId id = Add(host, fx, 64, 48, "2-1", 2);
  auto corner = Solid(24, 40, PF_PixelFormat_ARGB32, {1, 0.2f, 0.5f, 0.7f});
  SetArgb(*corner, 0, 0, {255, 255, 0, 0});
  ASSERT_TRUE(fx.SetLayer(id, PolygonParam(0, kLayer), corner.get()));
  for (const Case& c : cases) {
    ASSERT_EQ(host.SetFloat(id, PolygonParam(0, c.offset), c.sameAs), PF_Err_NONE);
    auto expected = Render(id);
    ASSERT_EQ(host.SetFloat(id, PolygonParam(0, c.offset), c.value), PF_Err_NONE);
    EXPECT_EQ(Render(id)->Bytes(), expected->Bytes()) << c.value;
    host.SetFloat(id, PolygonParam(0, c.offset), c.offset == kScale ? 100.0 : 0.0);
  }
}

// A host sends an empty world for an empty layer: nothing to draw, no error.
TEST_F(OddState, EmptyInputWorldAnswersZero) {
  const InstanceId id = Add(host, fx, 64, 48, "2-1", 2);
  HostWorld input(0, 0, PF_PixelFormat_ARGB32), output(0, 0, PF_PixelFormat_ARGB32);
  EXPECT_EQ(fx.Render(id, &input, &output), PF_Err_NONE);
}

// A layer whose pixels the host cannot give: its frame stays empty, the other frame is drawn.
TEST_F(OddState, LayerWithoutPixelsLeavesOnlyItsFrameEmpty) {
  const InstanceId id = Add(host, fx, 64, 48, "2-1", 0);
  Pick(fx, id, 1, PF_PixelFormat_ARGB32);
  std::vector<uint8_t> foreignPixels(24 * 40 * 4, 0xFF);
  PF_ParamDef def = host.Definition(PolygonParam(0, kLayer));
  def.u.ld.width = 24;
  def.u.ld.height = 40;
  def.u.ld.rowbytes = 24 * 4;
  def.u.ld.data = reinterpret_cast<PF_Pixel*>(foreignPixels.data());  // no world of the host's
  host.Stream(id, PolygonParam(0, kLayer)) = ParamStream(def);
  auto out = Render(id);
  EXPECT_EQ(GetArgb(*out, 16, 24)[0], 0.0f);
  EXPECT_EQ(GetArgb(*out, 48, 24)[0], 255.0f);
}

// Everything outside the frames is exactly (0, 0, 0, 0) at every depth; the frames are drawn.
TEST_F(OddState, OutsideTheFramesIsExactlyTransparentAtEveryDepth) {
  for (PF_PixelFormat format : {PF_PixelFormat_ARGB32, PF_PixelFormat_ARGB64, PF_PixelFormat_ARGB128}) {
    SmartFx own(host);
    const InstanceId id = Add(host, own, 64, 48, "2-1", 2, format);
    ASSERT_EQ(host.SetFloat(id, kEdgeInset, 4.0), PF_Err_NONE);
    PF_Err err = -1;
    auto out = Render(host, own, id, &err, format);
    ASSERT_EQ(err, PF_Err_NONE);
    EXPECT_EQ(GetArgb(*out, 16, 24)[0], WhiteOf(format));
    // Frames cover [4, 28] and [36, 60] across, [4, 44] down.
    for (A_long y = 0; y < 48; ++y) {
      for (A_long x = 0; x < 64; ++x) {
        const bool outside = x + 1 <= 4 || x >= 60 || y + 1 <= 4 || y >= 44 || (x >= 28 && x + 1 <= 36);
        if (!outside) continue;
        ASSERT_EQ(GetArgb(*out, x, y), (Testing::Argb{0, 0, 0, 0})) << x << "," << y << " " << format;
      }
    }
    host.RemoveInstance(id);
  }
}

// An output beyond the driver's largest texture is not drawn, and the user is told why.
TEST_F(OddState, OutputBeyondTheDriverIsReportedAndLeftAlone) {
  const InstanceId id = Add(host, fx, 16385, 2, "2-1", 2);
  HostWorld input(16385, 2, PF_PixelFormat_ARGB32), output(16385, 2, PF_PixelFormat_ARGB32);
  SetArgb(output, 0, 0, {7, 7, 7, 7});
  const std::vector<uint8_t> before = output.Bytes();
  EXPECT_EQ(fx.Render(id, &input, &output), PF_Err_NONE);
  EXPECT_EQ(output.Bytes(), before);
  const PF_OutData& out = host.LastOutData();
  EXPECT_NE(out.out_flags & PF_OutFlag_DISPLAY_ERROR_MESSAGE, 0);
  EXPECT_NE(std::string(out.return_msg).find("16385 x 2"), std::string::npos) << out.return_msg;
}

// A layout chosen on a small layer that was then enlarged: the picture is the same before and
// after a save, a reopening and a duplicate, with the edge inset's visible width kept too.
TEST_F(OddState, ResizedLayerKeepsItsPictureAcrossSaveReopenAndDuplicate) {
  const InstanceId id = Add(host, fx, 120, 80, "3-3", 3);
  ASSERT_EQ(host.SetFloat(id, kEdgeInset, 2.0), PF_Err_NONE);
  ASSERT_TRUE(host.SetLayerSize(id, 240, 160));
  auto reference = Render(id);
  EXPECT_GT(OpaquePixels(*reference), size_t(240 * 160 * 3 / 4));  // not the top-left quarter

  const std::string path = ::testing::TempDir() + "tiletta_resized_" + std::to_string(getpid()) + ".proj";
  std::string error;
  ASSERT_TRUE(host.SaveProject(path, &error)) << error;
  EXPECT_EQ(Render(id)->Bytes(), reference->Bytes()) << "after a save";
  const InstanceId dup = host.DuplicateInstance(id);
  ASSERT_NE(dup, kNoInstance);
  EXPECT_EQ(Render(dup)->Bytes(), reference->Bytes()) << "duplicate";

  SimulatedHost other;
  Load(other);
  ASSERT_TRUE(other.OpenProject(path, &error)) << error;
  SmartFx otherFx(other);
  const InstanceId reopened = other.Instances().front();
  for (int g = 0; g < 3; ++g) ASSERT_TRUE(otherFx.SetLayer(reopened, PolygonParam(g, kLayer), layers[size_t(g)].get()));
  PF_Err err = -1;
  EXPECT_EQ(Render(other, otherFx, reopened, &err)->Bytes(), reference->Bytes()) << "reopened";
  EXPECT_EQ(err, PF_Err_NONE);
  other.Shutdown();
  EXPECT_TRUE(other.Violations().empty()) << other.Violations().front();
  std::remove(path.c_str());
}

// A layout whose scale makes a layer less than one layout unit still fills every frame.
TEST_F(OddState, LayersSmallerThanALayoutUnitFillTheirFrames) {
  struct Case {
    A_long w, h;
    const char* layout;
    int frames;
    A_long resizedW, resizedH;
  };
  for (const Case& c : {Case{1, 1, "1-1", 1, 64, 64}, Case{40, 1, "8-8", 8, 320, 180}}) {
    const InstanceId id = Add(host, fx, c.w, c.h, c.layout, c.frames);
    ASSERT_TRUE(host.SetLayerSize(id, c.resizedW, c.resizedH));
    EXPECT_GT(OpaquePixels(*Render(id)), size_t(c.resizedW * c.resizedH * 9 / 10)) << c.layout;
  }
}

// Global set-up again without set-down (a host that reloads) and a second host in the same
// process: each gets a working renderer.
TEST_F(OddState, RepeatedGlobalSetupAndASecondHostRender) {
  const InstanceId id = Add(host, fx, 64, 48, "2-1", 2);
  EXPECT_EQ(host.GlobalSetup(), PF_Err_NONE);
  EXPECT_EQ(GetArgb(*Render(id), 16, 24)[0], 255.0f);

  SimulatedHost second;
  Load(second);
  SmartFx secondFx(second);
  const InstanceId other = Add(second, secondFx, 64, 48, "2-1", 2);
  ASSERT_NE(other, kNoInstance);
  PF_Err err = -1;
  EXPECT_EQ(GetArgb(*Render(second, secondFx, other, &err), 48, 24)[0], 255.0f);
  EXPECT_EQ(err, PF_Err_NONE);
  second.Shutdown();
  EXPECT_TRUE(second.Violations().empty()) << second.Violations().front();
}

}  // namespace
}  // namespace Orvane::Mosaira
