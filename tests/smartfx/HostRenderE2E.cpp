// The plug-in library rendering in the simulated host: the layout picked in "Layouts", layers
// picked per polygon group, pre-render and render through the entry point, at every depth.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "host/HostGlContext.h"
#include "tests/support/GlErrorCheck.h"
#include "tests/support/PluginSession.h"

namespace Orvane::Mosaira::Testing {
namespace {

using Colour = std::array<double, 4>;
const Colour kLeft = {1, 0.8, 0.4, 0.2}, kRight = {1, 0.1, 0.3, 0.9}, kNone = {0, 0, 0, 0};
const Colour kWhite = {1, 1, 1, 1}, kBlack = {1, 0, 0, 0};

// "2-1" at 64 x 48 with "Edge Inset" 4: frame 1 covers [4, 28] x [4, 44], frame 2 [36, 60] x
// [4, 44]; each is filled by a 24 x 40 layer at cover factor 1.
class HostRender : public PluginSession, public ::testing::TestWithParam<PF_PixelFormat> {
 protected:
  void SetUp() override {
    InstallGlErrorCheck();
    Open(64, 48);
    left = SolidLayer(24, 40, GetParam(), kLeft);
    right = SolidLayer(24, 40, GetParam(), kRight);
    ASSERT_TRUE(fx.SetLayer(id, LayerParam(0), left.get()));
    ASSERT_TRUE(fx.SetLayer(id, LayerParam(1), right.get()));
    Pick("2-1");
    ASSERT_EQ(host.SetFloat(id, kParamEdgeInset, 4.0), PF_Err_NONE);
  }
  void TearDown() override { Close(); }

  // Renders `which` (the fixture's instance by default) after checking what pre-render asks for.
  std::unique_ptr<HostWorld> RenderFrame(A_long w = 64, A_long h = 48, InstanceId which = kNoInstance) {
    which = which == kNoInstance ? id : which;
    PF_PreRenderOutput rects{};
    EXPECT_EQ(fx.PreRender(which, &rects), PF_Err_NONE);
    EXPECT_TRUE(fx.InputRequested());
    EXPECT_EQ(rects.result_rect.right, w);
    EXPECT_EQ(rects.result_rect.bottom, h);
    return RenderOf(which, w, h, GetParam());
  }

  // An instance of `layout` on a w x h layer showing the left layer in `frames` groups.
  InstanceId AddWith(A_long w, A_long h, const char* layout, int frames) {
    const InstanceId added = host.AddInstance(w, h);
    EXPECT_EQ(host.SetPopup(added, kParamLayouts, LayoutsValueOf(layout)), PF_Err_NONE);
    for (int g = 0; g < frames; ++g) EXPECT_TRUE(fx.SetLayer(added, LayerParam(g), left.get()));
    return added;
  }
  std::unique_ptr<HostWorld> left, right;
};

TEST_P(HostRender, FramesShowTheirLayersWithTheHostContextKept) {
  auto gl = HostGlContext::Create();
  ASSERT_NE(gl, nullptr);
  host.SetCommandHook(gl.get());
  auto out = RenderFrame();
  ExpectPixel(*out, 16, 24, kLeft);
  ExpectPixel(*out, 48, 24, kRight);
  ExpectPixel(*out, 32, 24, kNone, 0);  // gutter
  ExpectPixel(*out, 1, 1, kNone, 0);    // margin
  host.SetCommandHook(nullptr);
  host.Shutdown();
  EXPECT_TRUE(gl->CommandsThatChangedContext().empty());
}

// Global set-up and set-down hand the host's context back, as does a set-up again without
// set-down (a host that reloads), and the plug-in renders on. A second host in the same process
// can set it up.
TEST_P(HostRender, GlobalSetupKeepsTheHostContextAndRepeats) {
  auto gl = HostGlContext::Create();
  ASSERT_NE(gl, nullptr);
  host.SetCommandHook(gl.get());
  ASSERT_EQ(host.GlobalSetdown(), PF_Err_NONE);
  EXPECT_EQ(host.GlobalSetup(), PF_Err_NONE);
  EXPECT_EQ(host.GlobalSetup(), PF_Err_NONE);
  ExpectPixel(*RenderFrame(), 16, 24, kLeft);
  host.SetCommandHook(nullptr);
  EXPECT_TRUE(gl->CommandsThatChangedContext().empty());
  SimulatedHost second;
  std::string error;
  ASSERT_TRUE(second.LoadPlugin(TILETTA_PLUGIN_PATH, &error)) << error;
  EXPECT_NE(second.AddInstance(64, 48), kNoInstance);
  second.Shutdown();
  EXPECT_TRUE(second.Violations().empty());
}

// "Edge Inset" reaches the picture through the shell: a new value shows in the next render, and
// going back gives the first picture again byte for byte.
TEST_P(HostRender, EdgeInsetChangeShowsAndGoesBack) {
  auto before = RenderFrame();
  ASSERT_EQ(host.SetFloat(id, kParamEdgeInset, 10.0), PF_Err_NONE);
  auto wider = RenderFrame();
  ASSERT_EQ(host.SetFloat(id, kParamEdgeInset, 4.0), PF_Err_NONE);
  auto back = RenderFrame();
  ExpectPixel(*before, 6, 24, kLeft);
  ExpectPixel(*wider, 6, 24, kNone, 0.0);
  EXPECT_EQ(back->Bytes(), before->Bytes());
}

// At any downsampling, equal or not in x and y, each frame shows the same part of its layer as at
// full size: the 4 x 4 tiles of a 48 x 80 layer in frame 1 (each tile 6 x 10 pixels at full
// size, from (4, 4)), the right layer, the gutter, probed where they lie at full size divided by
// the factors.
TEST_P(HostRender, DownsamplingShowsTheSamePartOfEachLayer) {
  const auto tile = [](int i, int j) { return Colour{1, (i + 1) / 5.0, (j + 1) / 5.0, 0.5}; };
  HostWorld tiles(48, 80, GetParam(), 8);
  for (A_long y = 0; y < 80; ++y) {
    for (A_long x = 0; x < 48; ++x) SetArgb(tiles, x, y, ArgbOf(tile(x / 12, y / 20), GetParam()));
  }
  ASSERT_TRUE(fx.SetLayer(id, LayerParam(0), &tiles));
  const struct { A_long x, y; } factors[] = {{1, 1}, {2, 2}, {2, 4}, {4, 2}, {4, 4}};
  for (const auto& f : factors) {
    SCOPED_TRACE(::testing::Message() << "1/" << f.x << " x 1/" << f.y);
    host.Context().downsampleX = {1, A_u_long(f.x)};
    host.Context().downsampleY = {1, A_u_long(f.y)};
    auto out = RenderFrame(64 / f.x, 48 / f.y);
    for (int i = 0; i < 4; ++i) {
      for (int j = 0; j < 4; ++j) ExpectPixel(*out, (7 + 6 * i) / f.x, (9 + 10 * j) / f.y, tile(i, j));
    }
    ExpectPixel(*out, 48 / f.x, 24 / f.y, kRight);
    ExpectPixel(*out, 32 / f.x, 24 / f.y, kNone);
  }
}

// A layer larger than the output reaches its frame whole: twice the frame's box (cover factor
// 0.5), and wider than the driver's largest texture (16384 texels).
TEST_P(HostRender, LayerLargerThanTheOutputFillsItsFrame) {
  const struct { A_long w, h; } sizes[] = {{96, 160}, {16400, 40}};
  for (const auto& size : sizes) {
    auto big = SolidLayer(size.w, size.h, GetParam(), kLeft);
    ASSERT_TRUE(fx.SetLayer(id, LayerParam(0), big.get()));
    auto out = RenderFrame();
    for (A_long y : {8, 24, 40}) ExpectPixel(*out, 16, y, kLeft);
    ExpectPixel(*out, 25, 40, kLeft);
  }
}

// Offsets and scale move the layer within its frame in the layer's own full-size units: a black
// 24 x 40 layer (or one of half that size, drawn twice as large) with a white column over its
// columns 10 to 13 and a white band over its rows 10 to 13, drawn from (4, 4).
TEST_P(HostRender, OffsetsAndScaleMoveTheLayerInItsFrame) {
  struct Probe { A_long x, y; Colour want; };
  const struct {
    A_long layerW, layerH;
    PF_ParamIndex param;
    double value, still;
    A_u_long downsample;
    std::vector<Probe> probes;
  } cases[] = {
      {24, 40, PolygonParam(0, kPolygonXOffset), 0, 0, 1, {{15, 30, kWhite}, {19, 30, kBlack}, {8, 15, kWhite}, {8, 23, kBlack}}},
      {24, 40, PolygonParam(0, kPolygonXOffset), 4, 0, 1, {{15, 30, kBlack}, {19, 30, kWhite}}},
      {24, 40, PolygonParam(0, kPolygonYOffset), 8, 0, 1, {{8, 15, kBlack}, {8, 23, kWhite}, {16, 6, kNone}}},
      // Columns 10..13 about the centre 12 become 8..15, drawn from x = 4: [12, 20).
      {24, 40, PolygonParam(0, kPolygonScale), 200, 100, 1, {{13, 30, kWhite}, {18, 30, kWhite}, {10, 30, kBlack}, {22, 30, kBlack}}},
      {24, 40, PolygonParam(0, kPolygonScale), 0, 100, 1, {{16, 24, kNone}}},
      // Cover factor 2: an offset of 4 moves the column 8 pixels.
      {12, 20, PolygonParam(0, kPolygonXOffset), 4, 0, 1, {{23, 30, kWhite}, {19, 30, kBlack}}},
      // At half resolution the host hands a half-size layer: the column moves 2 output pixels.
      {24, 40, PolygonParam(0, kPolygonXOffset), 4, 0, 2, {{9, 15, kWhite}, {10, 15, kWhite}, {7, 15, kBlack}, {12, 15, kBlack}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.layerW << " x " << c.layerH << ", parameter " << c.param << " at "
                                    << c.value << ", 1/" << c.downsample);
    auto layer = SolidLayer(c.layerW, c.layerH, GetParam(), kBlack);
    for (A_long y = 0; y < c.layerH; ++y) {
      for (A_long x = 0; x < c.layerW; ++x) {
        const bool column = x * 24 / c.layerW >= 10 && x * 24 / c.layerW < 14;
        const bool band = y * 40 / c.layerH >= 10 && y * 40 / c.layerH < 14;
        if (column || band) SetArgb(*layer, x, y, ArgbOf(kWhite, GetParam()));
      }
    }
    ASSERT_TRUE(fx.SetLayer(id, LayerParam(0), layer.get()));
    ASSERT_EQ(host.SetFloat(id, c.param, c.value), PF_Err_NONE);
    host.Context().downsampleX = host.Context().downsampleY = {1, c.downsample};
    auto out = RenderFrame(64 / A_long(c.downsample), 48 / A_long(c.downsample));
    for (const Probe& p : c.probes) ExpectPixel(*out, p.x, p.y, p.want, 0.3);
    ASSERT_EQ(host.SetFloat(id, c.param, c.still), PF_Err_NONE);
    host.Context().downsampleX = host.Context().downsampleY = {1, 1};
  }
}

// Every suite acquisition, parameter checkout, handle allocation and lock of a render failing in
// turn: the render reports an error or finishes (a lost handle never passes for a finished
// picture), the host's books stay balanced, the host's context
// is current again after every command, and the next clean render gives the same bytes as before.
TEST_P(HostRender, FaultSweepLeavesTheNextRenderIdentical) {
  auto gl = HostGlContext::Create();
  ASSERT_NE(gl, nullptr);
  host.SetCommandHook(gl.get());
  auto reference = RenderFrame();
  for (int n = 0; n < 14; ++n) {
    for (int kind = 0; kind < 4; ++kind) {
      if (kind == 0) host.Suites().FailAcquire(n);
      if (kind == 1) host.Faults().Fail("checkout_param", n);
      if (kind == 2) host.Handles().FailNew(n);
      if (kind == 3) host.Handles().FailLock(n);
      // Output rows of no whole number of pixels go through a host handle.
      HostWorld input(64, 48, GetParam()), output(64, 48, GetParam(), OddRowPad(GetParam()));
      const PF_Err err = fx.Render(id, &input, &output);
      host.ClearFaults();
      if (err == PF_Err_NONE && kind >= 2) {  // a render that succeeds without a handle drew it all
        ExpectPixel(output, 16, 24, kLeft);
        ExpectPixel(output, 48, 24, kRight);
      }
      auto clean = RenderFrame();
      EXPECT_EQ(clean->Bytes(), reference->Bytes()) << "after fault " << kind << " at call " << n;
      ASSERT_TRUE(host.Violations().empty()) << host.Violations().front();
    }
  }
  host.SetCommandHook(nullptr);
  EXPECT_TRUE(gl->CommandsThatChangedContext().empty());
}

// A render the effect cannot do is refused before any drawing: an output of no known pixel format,
// no world suite, no input pixels from the host, the plug-in set down. The next render is clean.
TEST_P(HostRender, RefusedRenderLeavesTheOutputAlone) {
  auto reference = RenderFrame();
  for (int kind = 0; kind < 4; ++kind) {
    if (kind == 1) host.Suites().SetMissing(kPFWorldSuite, kPFWorldSuiteVersion2, true);
    if (kind == 3) host.GlobalSetdown();
    HostWorld input(64, 48, GetParam()), output(64, 48, kind == 0 ? PF_PixelFormat_INVALID : GetParam());
    if (kind != 0) SetArgb(output, 16, 24, {7, 7, 7, 7});
    const std::vector<uint8_t> before = output.Bytes();
    EXPECT_NE(fx.Render(id, kind == 2 ? nullptr : &input, &output), PF_Err_NONE) << kind;
    EXPECT_EQ(output.Bytes(), before) << kind;
    host.ClearFaults();
    host.ClearViolations();
    if (kind == 3) host.GlobalSetup();
    EXPECT_EQ(RenderFrame()->Bytes(), reference->Bytes()) << kind;
  }
}

TEST_P(HostRender, NoLayoutLeavesTheOutputAlone) {
  ASSERT_EQ(host.SetPopup(id, kParamLayouts, kLayoutsNone), PF_Err_NONE);
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
      {kPolygonScale, 1e308, 1e20}, {kPolygonXOffset, 1e308, 1e20}, {kPolygonXOffset, -1e308, -1e20},
      {kPolygonXOffset, 3.5e38, 1e20}};
  for (const auto& c : cases) {
    ASSERT_EQ(host.SetFloat(id, PolygonParam(0, c.offset), c.sameAs), PF_Err_NONE);
    auto expected = RenderFrame();
    ASSERT_EQ(host.SetFloat(id, PolygonParam(0, c.offset), c.value), PF_Err_NONE);
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


// An empty layer (an input world with a side of 0) draws nothing: the output keeps its bytes.
TEST_P(HostRender, EmptyInputWorldLeavesTheOutputAlone) {
  for (const auto& [w, h] : {std::pair<A_long, A_long>{0, 0}, {0, 48}, {64, 0}}) {
    HostWorld input(w, h, GetParam()), output(64, 48, GetParam());
    SetArgb(output, 16, 24, {7, 7, 7, 7});
    const std::vector<uint8_t> before = output.Bytes();
    EXPECT_EQ(fx.Render(id, &input, &output), PF_Err_NONE) << w << " x " << h;
    EXPECT_EQ(output.Bytes(), before) << w << " x " << h;
  }
}

// A layer whose pixels the host cannot give (no pixels at all, or pixels of no world of the
// host's), like a frame with no layer picked, leaves its own frame empty and the others drawn.
TEST_P(HostRender, LayerWithoutPixelsLeavesOnlyItsFrameEmpty) {
  std::vector<uint8_t> foreign(24 * 40 * 16);
  for (uint8_t* data : {static_cast<uint8_t*>(nullptr), foreign.data()}) {
    PF_ParamDef def = host.Definition(LayerParam(0));
    def.u.ld = *left->World();
    def.u.ld.data = reinterpret_cast<PF_Pixel*>(data);
    fx.SetLayer(id, LayerParam(0), nullptr);
    host.Stream(id, LayerParam(0)) = ParamStream(def);
    auto out = RenderFrame();
    ExpectPixel(*out, 16, 24, kNone, 0);
    ExpectPixel(*out, 48, 24, kRight);
  }
  fx.SetLayer(id, LayerParam(0), nullptr);
  ExpectPixel(*RenderFrame(), 16, 24, kNone, 0);
}

// Layers less than one layout unit across (the layout's layer since enlarged) fill their frames.
TEST_P(HostRender, LayersSmallerThanALayoutUnitFillTheirFrames) {
  const struct { A_long w, h; const char* layout; int frames; A_long toW, toH; } cases[] = {
      {1, 1, "1-1", 1, 64, 64}, {40, 1, "8-8", 8, 320, 180}};
  for (const auto& c : cases) {
    const InstanceId added = AddWith(c.w, c.h, c.layout, c.frames);
    ASSERT_TRUE(host.SetLayerSize(added, c.toW, c.toH));
    ExpectPixel(*RenderFrame(c.toW, c.toH, added), c.toW / 8, c.toH / 8, kLeft);
  }
}

// The picture of an enlarged layer does not change when its project is saved or it is duplicated.
TEST_P(HostRender, EnlargedLayerKeepsItsPictureAcrossSaveAndDuplicate) {
  const InstanceId enlarged = AddWith(120, 80, "3-3", 3);
  ASSERT_TRUE(host.SetLayerSize(enlarged, 240, 160));
  auto reference = RenderFrame(240, 160, enlarged);
  ExpectPixel(*reference, 200, 140, kLeft);  // not only the top-left quarter
  ASSERT_EQ(host.Send(enlarged, PF_Cmd_SEQUENCE_FLATTEN), PF_Err_NONE);  // as a save does
  ASSERT_EQ(host.Send(enlarged, PF_Cmd_SEQUENCE_RESETUP), PF_Err_NONE);
  EXPECT_EQ(RenderFrame(240, 160, enlarged)->Bytes(), reference->Bytes()) << "saved";
  EXPECT_EQ(RenderFrame(240, 160, host.DuplicateInstance(enlarged))->Bytes(), reference->Bytes());
}

// "Round Corner" 100 rounds a square frame into its circle: "1-1" on a 48 x 48 layer inset by 4
// is the circle of radius 20 about (24, 24), whose box's corners stay empty.
TEST_P(HostRender, FullRoundCornerDrawsASquareFrameAsACircle) {
  const InstanceId square = AddWith(48, 48, "1-1", 1);
  ASSERT_EQ(host.SetFloat(square, kParamEdgeInset, 4.0), PF_Err_NONE);
  ASSERT_EQ(host.SetFloat(square, kParamRoundCorner, 100.0), PF_Err_NONE);
  auto out = RenderFrame(48, 48, square);
  for (const auto& [x, y] : {std::pair{24, 5}, {5, 24}, {42, 24}, {24, 42}, {24, 24}}) ExpectPixel(*out, x, y, kLeft);
  for (const auto& [x, y] : {std::pair{7, 7}, {40, 7}, {7, 40}, {40, 40}}) ExpectPixel(*out, x, y, kNone, 0);
}

// "2-8" on a 64 x 64 layer, "Edge Inset" untouched and a layer in frame 1 only: frame 1 is the L
// around the square from point 1 (at (39.68, 39.68)) to the bottom right corner.
// Point 1 moved to (16, 16), typed or keyframed, takes (30, 30) out of the L.
TEST_P(HostRender, PointParameterReshapesTheFrames) {
  const InstanceId l = AddWith(64, 64, "2-8", 1);
  const PF_ParamDefUnion start = host.Stream(l, kParamPointFirst).StaticValue();
  ASSERT_NEAR(start.td.x_value / 65536.0, 39.68, 0.01);
  ExpectPixel(*RenderFrame(64, 64, l), 30, 30, kLeft);
  ASSERT_EQ(host.SetPointPx(l, kParamPointFirst, 16, 16), PF_Err_NONE);
  ExpectPixel(*RenderFrame(64, 64, l), 30, 30, kNone, 0);
  host.Stream(l, kParamPointFirst).AddKeyframe(0.0, start);
  host.Stream(l, kParamPointFirst).AddKeyframe(1.0, host.Stream(l, kParamPointFirst).StaticValue());
  for (const auto& [frame, want] : {std::pair{0, kLeft}, {30, kNone}, {0, kLeft}}) {
    SCOPED_TRACE(::testing::Message() << "at frame " << frame);
    host.Context().time = {frame, 30};
    ExpectPixel(*RenderFrame(64, 64, l), 30, 30, want);
  }
}

// With point 1 at (16, 16) the L is concave; pixels whose centres lie just outside its oblique
// edge from there to (64, 39.68), grown by the pixel of "Edge Inset" 0, keep part of its layer.
TEST_P(HostRender, ConcaveFrameKeepsItsAntiAliasedFringe) {
  const InstanceId l = AddWith(64, 64, "2-8", 1);
  ASSERT_EQ(host.SetPointPx(l, kParamPointFirst, 16, 16), PF_Err_NONE);
  auto out = RenderFrame(64, 64, l);
  const double slope = (0.62 * 64 - 16) / 48, cosine = 1 / std::hypot(1.0, slope);
  int probed = 0;
  for (A_long x = 18; x < 62; ++x) {
    const double edge = 16 + (x + 0.5 - 16) * slope + 1 / cosine;
    const A_long y = A_long(std::floor(edge - 0.5)) + 1;  // the first centre below the edge
    if ((y + 0.5 - edge) * cosine > 0.3) continue;
    ++probed;
    const double alpha = GetArgb(*out, x, y)[0] / WhiteOf(GetParam());
    EXPECT_TRUE(alpha > 0.05 && alpha < 0.95) << alpha << " at " << x << "," << y;
  }
  EXPECT_GT(probed, 10);
}

// Beyond the driver's largest texture nothing is drawn, and the host's message says why.
TEST_P(HostRender, OutputBeyondTheDriverIsReportedAndLeftAlone) {
  auto out = RenderFrame(16385, 2, AddWith(16385, 2, "2-1", 2));
  EXPECT_EQ(GetArgb(*out, 0, 0), (Argb{7, 7, 7, 7}));
  EXPECT_NE(host.LastOutData().out_flags & PF_OutFlag_DISPLAY_ERROR_MESSAGE, 0);
  EXPECT_NE(std::string(host.LastOutData().return_msg).find("16385 x 2"), std::string::npos);
}

// An 8-bit render, then renders of other depths at the same size in the same process: each keeps
// its own precision (1000 of 32768 comes back as 1000, not as the 8-bit step 1028).
TEST(DepthChange, RenderAfterAnEightBitOneKeepsItsPrecision) {
  struct Session : PluginSession {
    void Run() {
      Open(64, 48);
      Pick("1-1");
      const Colour fine = {1, 1000 / 32768.0, 1000 / 32768.0, 1000 / 32768.0};
      std::vector<std::unique_ptr<HostWorld>> layers;
      for (PF_PixelFormat format : {PF_PixelFormat_ARGB32, PF_PixelFormat_ARGB64, PF_PixelFormat_ARGB128}) {
        layers.push_back(SolidLayer(24, 40, format, fine));
        ASSERT_TRUE(fx.SetLayer(id, LayerParam(0), layers.back().get()));
        auto out = RenderOf(id, 64, 48, format);
        if (format != PF_PixelFormat_ARGB32) ExpectPixel(*out, 32, 24, fine, 2.0 / 32768);
      }
      Close();
    }
  } session;
  session.Run();
}

INSTANTIATE_TEST_SUITE_P(Depths, HostRender,
                         ::testing::Values(PF_PixelFormat_ARGB32, PF_PixelFormat_ARGB64, PF_PixelFormat_ARGB128),
                         [](const ::testing::TestParamInfo<PF_PixelFormat>& info) {
                           return info.param == PF_PixelFormat_ARGB32 ? "Bits8"
                                  : info.param == PF_PixelFormat_ARGB64 ? "Bits16" : "Bits32";
                         });

}  // namespace
}  // namespace Orvane::Mosaira::Testing
