// The pixel road of a render through the plug-in library in the simulated host: float worlds go
// through the host's float iteration both ways and give the 8-bit picture; an iteration that
// cannot be had fails the render and holds nothing; output rows keep their padding at every
// depth; each frame checks out its own layer, one at a time, and a frame whose checkout fails is
// the only one left out.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "tests/support/PluginSession.h"

namespace Orvane::Mosaira::Testing {
namespace {

constexpr int kFrames = 9;
constexpr A_long kWidth = 160, kHeight = 90;

// Layer k of the nine: gradients with see-through diagonals, every value a whole 8-bit step so
// that each depth holds the same picture; sizes (never the output's) and row padding differ from
// layer to layer.
std::unique_ptr<HostWorld> StepLayer(int k, PF_PixelFormat format) {
  const A_long w = 50 + 9 * k, h = 35 + 6 * k;
  auto layer = std::make_unique<HostWorld>(w, h, format, k % 2 == 0 ? 8 : OddRowPad(format));
  for (A_long y = 0; y < h; ++y) {
    for (A_long x = 0; x < w; ++x) {
      const int a = (x + y) % 13 == 0 ? 128 : 255;
      const std::array<int, 4> steps = {a, (x * 255 / w) * a / 255, (y * 255 / h) * a / 255, (k * 31) * a / 255};
      Argb v;
      for (int c = 0; c < 4; ++c) v[size_t(c)] = float(steps[size_t(c)] / 255.0 * WhiteOf(format));
      if (format == PF_PixelFormat_ARGB32) v = {float(steps[0]), float(steps[1]), float(steps[2]), float(steps[3])};
      SetArgb(*layer, x, y, v);
    }
  }
  return layer;
}

class PixelRoad : public PluginSession, public ::testing::Test {
 protected:
  void SetUp() override {
    Open(kWidth, kHeight);
    Pick("9-1");
    ASSERT_EQ(host.SetFloat(id, kParamEdgeInset, 3.0), PF_Err_NONE);
    ASSERT_EQ(host.SetFloat(id, kParamRoundCorner, 30.0), PF_Err_NONE);
  }
  void TearDown() override { Close(); }

  void PickLayers(PF_PixelFormat format) {
    layers.clear();
    for (int k = 0; k < kFrames; ++k) {
      layers.push_back(StepLayer(k, format));
      ASSERT_TRUE(fx.SetLayer(id, LayerParam(k), layers.back().get()));
    }
  }
  // Pre-renders, then renders into `output` (whatever it held stays where nothing is written).
  PF_Err RenderInto(HostWorld* output) {
    PF_PreRenderOutput rects{};
    EXPECT_EQ(fx.PreRender(id, &rects), PF_Err_NONE);
    HostWorld input(output->Width(), output->Height(), output->Format());
    return fx.Render(id, &input, output);
  }
  // A render into a fresh output, marked so that an untouched one shows.
  std::unique_ptr<HostWorld> Marked(PF_PixelFormat format, A_long pad = 4) {
    auto output = std::make_unique<HostWorld>(kWidth, kHeight, format, pad);
    for (A_long y = 0; y < kHeight; ++y) {
      for (A_long x = 0; x < kWidth; ++x) SetArgb(*output, x, y, {7, 7, 7, 7});
    }
    return output;
  }
  // No suite, lock or parameter held after the last command, and no handle beyond the
  // instance's own (its sequence data).
  void ExpectNothingHeld() {
    EXPECT_TRUE(host.Violations().empty()) << host.Violations().front();
    EXPECT_EQ(host.Handles().LiveHandles().size(), 1u);
  }

  std::vector<std::unique_ptr<HostWorld>> layers;
};

// Every pixel of a float render, colour premultiplied, is that of the 8-bit render of the same
// layers (within the 8-bit render's own rounding): the float road packs and unpacks each layer
// and the output at the right places, in the world's channel order.
TEST_F(PixelRoad, FloatPictureIsTheEightBitPicture) {
  PickLayers(PF_PixelFormat_ARGB32);
  auto eight = RenderOf(id, kWidth, kHeight, PF_PixelFormat_ARGB32);
  PickLayers(PF_PixelFormat_ARGB128);
  auto floats = RenderOf(id, kWidth, kHeight, PF_PixelFormat_ARGB128);
  int covered = 0;
  for (A_long y = 0; y < kHeight; ++y) {
    for (A_long x = 0; x < kWidth; ++x) {
      const Argb e = GetArgb(*eight, x, y), f = GetArgb(*floats, x, y);
      const double ea = e[0] / 255.0;
      ASSERT_NEAR(f[0], ea, 1.0 / 255) << x << "," << y;
      for (int c = 1; c < 4; ++c) ASSERT_NEAR(f[c] * f[0], e[c] / 255.0 * ea, 2.0 / 255) << x << "," << y << " channel " << c;
      covered += ea > 0.99;
    }
  }
  EXPECT_GT(covered, kWidth * kHeight / 2);
}

// The host's float iteration missing, or failing, at the upload or at the read-back: the float
// render fails (the entry point's PF_Err_BAD_CALLBACK_PARAM), leaves the output alone and holds
// no suite, handle or parameter; the next render is the picture again. Other depths never need it.
TEST_F(PixelRoad, FloatIterationThatCannotBeHadFailsAndHoldsNothing) {
  PickLayers(PF_PixelFormat_ARGB128);
  auto reference = RenderOf(id, kWidth, kHeight, PF_PixelFormat_ARGB128);
  const struct { bool missing; int failingCall; bool noLayers; } cases[] = {
      {true, -1, false}, {true, -1, true}, {false, 0, false}, {false, 4, false}, {false, kFrames, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << (c.missing ? "missing" : "failing at call ") << c.failingCall
                                      << (c.noLayers ? ", read-back only" : ""));
    for (int k = 0; k < kFrames && c.noLayers; ++k) fx.SetLayer(id, LayerParam(k), nullptr);
    host.Suites().SetMissing(kPFIterateFloatSuite, kPFIterateFloatSuiteVersion1, c.missing);
    if (c.failingCall >= 0) host.Faults().Fail("iterate", c.failingCall);
    auto output = Marked(PF_PixelFormat_ARGB128);
    const std::vector<uint8_t> before = output->Bytes();
    EXPECT_EQ(RenderInto(output.get()), PF_Err_BAD_CALLBACK_PARAM);
    EXPECT_TRUE(output->Bytes() == before);
    ExpectNothingHeld();
    host.ClearFaults();
    host.Suites().SetMissing(kPFIterateFloatSuite, kPFIterateFloatSuiteVersion1, false);
    PickLayers(PF_PixelFormat_ARGB128);
    EXPECT_EQ(RenderOf(id, kWidth, kHeight, PF_PixelFormat_ARGB128)->Bytes(), reference->Bytes());
  }
  for (PF_PixelFormat format : {PF_PixelFormat_ARGB32, PF_PixelFormat_ARGB64}) {
    PickLayers(format);
    auto withSuite = RenderOf(id, kWidth, kHeight, format);
    host.Suites().SetMissing(kPFIterateFloatSuite, kPFIterateFloatSuiteVersion1, true);
    EXPECT_EQ(RenderOf(id, kWidth, kHeight, format)->Bytes(), withSuite->Bytes());
    host.Suites().SetMissing(kPFIterateFloatSuite, kPFIterateFloatSuiteVersion1, false);
  }
}

// At every depth, output rows with padding (none, not a whole number of pixels, several pixels)
// get exactly their pixels, those of the unpadded output; the padding keeps its bytes.
TEST_F(PixelRoad, OutputRowPaddingIsLeftAloneAtEveryDepth) {
  for (PF_PixelFormat format : {PF_PixelFormat_ARGB32, PF_PixelFormat_ARGB64, PF_PixelFormat_ARGB128}) {
    PickLayers(format);
    auto packed = Marked(format, 0);
    ASSERT_EQ(RenderInto(packed.get()), PF_Err_NONE);
    for (A_long pad : {OddRowPad(format), 3 * HostWorld::BytesPerPixel(format) + OddRowPad(format)}) {
      SCOPED_TRACE(::testing::Message() << HostWorld::BytesPerPixel(format) << " bytes per pixel, pad " << pad);
      auto padded = Marked(format, pad);
      ASSERT_EQ(RenderInto(padded.get()), PF_Err_NONE);
      EXPECT_TRUE(padded->PaddingIntact());
      for (A_long y = 0; y < kHeight; ++y) {
        for (A_long x = 0; x < kWidth; ++x) ASSERT_EQ(GetArgb(*padded, x, y), GetArgb(*packed, x, y)) << x << "," << y;
      }
    }
  }
}

// The render checks each frame's layer out, uploads it and checks it in before the next frame's:
// never more than one parameter is out at once.
TEST_F(PixelRoad, OneLayerIsCheckedOutAtATime) {
  for (PF_PixelFormat format : {PF_PixelFormat_ARGB32, PF_PixelFormat_ARGB64, PF_PixelFormat_ARGB128}) {
    PickLayers(format);
    RenderOf(id, kWidth, kHeight, format);
    EXPECT_EQ(host.Instance(id).lastPeakCheckouts, 1) << HostWorld::BytesPerPixel(format) << " bytes per pixel";
  }
}

// A checkout failing in the middle of the frames (frame 1's "X offset" or its "Layer"): only
// that frame is left out, as if it had no layer; the frames after it are drawn and the render
// succeeds.
TEST_F(PixelRoad, CheckoutFailingMidLayoutLeavesOnlyThatFrameOut) {
  for (PF_PixelFormat format : {PF_PixelFormat_ARGB32, PF_PixelFormat_ARGB128}) {
    PickLayers(format);
    auto whole = RenderOf(id, kWidth, kHeight, format);
    fx.SetLayer(id, LayerParam(1), nullptr);
    auto without = RenderOf(id, kWidth, kHeight, format);
    ASSERT_NE(without->Bytes(), whole->Bytes());
    ASSERT_TRUE(fx.SetLayer(id, LayerParam(1), layers[1].get()));
    // Checkouts of a render: "Edge Inset", then per frame "Round Corner", "X offset", "Y offset",
    // "Scale", "Layer".
    for (int call : {1 + 5 + 1, 1 + 5 + 4}) {
      auto output = Marked(format);
      PF_PreRenderOutput rects{};
      ASSERT_EQ(fx.PreRender(id, &rects), PF_Err_NONE);
      host.Faults().Fail("checkout_param", call);
      HostWorld input(kWidth, kHeight, format);
      EXPECT_EQ(fx.Render(id, &input, output.get()), PF_Err_NONE);
      host.ClearFaults();
      EXPECT_TRUE(output->Bytes() == without->Bytes()) << "checkout " << call;
      ExpectNothingHeld();
    }
  }
}

}  // namespace
}  // namespace Orvane::Mosaira::Testing
