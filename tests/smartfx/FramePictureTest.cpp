// What a render shows: channels, alpha, gutters, orientation, cover fit, offsets and scale,
// resolution and depth.
#include "tests/smartfx/SmartFxFixture.h"

namespace Orvane::Mosaira::SmartFxTest {
namespace {

using FramePicture = SmartFxFixture;

// A 24 x 40 layer (the inset box of F1, so the cover factor is 1): black, opaque, with a white
// vertical stripe over columns 10 to 13.
TestWorld* StripeLayer(SmartFxFixture& f, int group = 0, PF_PixelFormat format = PF_PixelFormat_ARGB32) {
  TestWorld* layer = f.Layer(group, 24, 40, format);
  layer->Fill(0, 0, 24, 40, 1, 0, 0, 0);
  layer->Fill(10, 0, 14, 40, 1, 1, 1, 1);
  return layer;
}

// A 24 x 40 layer, top half red, bottom half blue.
TestWorld* TopBottomLayer(SmartFxFixture& f, int group, A_long w = 24, A_long h = 40,
                          PF_PixelFormat format = PF_PixelFormat_ARGB32) {
  TestWorld* layer = f.Layer(group, w, h, format);
  layer->Fill(0, 0, w, h / 2, 1, 1, 0, 0);
  layer->Fill(0, h / 2, w, h, 1, 0, 0, 1);
  return layer;
}

TEST_F(FramePicture, InteriorKeepsChannelOrder) {
  Layer(0, 24, 40)->Fill(0, 0, 24, 40, 1, 200 / 255.0, 100 / 255.0, 50 / 255.0);
  Layer(1, 24, 40)->Fill(0, 0, 24, 40, 1, 10 / 255.0, 20 / 255.0, 30 / 255.0);
  auto out = Render();
  ExpectPixel(*out, 16, 24, 1, 200 / 255.0, 100 / 255.0, 50 / 255.0, kStep8);
  ExpectPixel(*out, 48, 24, 1, 10 / 255.0, 20 / 255.0, 30 / 255.0, kStep8);
  EXPECT_TRUE(out->PaddingIntact());
}

TEST_F(FramePicture, StraightAlphaSurvives) {
  Layer(0, 24, 40)->Fill(0, 0, 24, 40, 128 / 255.0, 200 / 255.0, 40 / 255.0, 250 / 255.0);
  auto out = Render();
  ExpectPixel(*out, 16, 24, 128 / 255.0, 200 / 255.0, 40 / 255.0, 250 / 255.0, 2 * kStep8);
}

TEST_F(FramePicture, GuttersAndMarginsAreExactlyTransparent) {
  Layer(0, 24, 40)->Fill(0, 0, 24, 40, 1, 1, 1, 1);
  Layer(1, 24, 40)->Fill(0, 0, 24, 40, 1, 1, 1, 1);
  auto out = Render();
  for (A_long y : {1, 24, 46}) {
    ExpectTransparent(*out, 32, y);  // gutter
    ExpectTransparent(*out, 1, y);   // left margin
    ExpectTransparent(*out, 62, y);  // right margin
  }
  ExpectTransparent(*out, 16, 1);   // top margin
  ExpectTransparent(*out, 48, 46);  // bottom margin
  ExpectPixel(*out, 16, 24, 1, 1, 1, 1, kStep8);
  harness.layers.erase(1);
  ExpectTransparent(*Render(), 48, 24);  // a frame without a layer
}

TEST_F(FramePicture, TopOfLayerIsTopOfFrame) {
  TopBottomLayer(*this, 0);
  auto out = Render();
  ExpectPixel(*out, 16, 10, 1, 1, 0, 0);
  ExpectPixel(*out, 16, 38, 1, 0, 0, 1);
}

TEST_F(FramePicture, CoverFitCutsTheOverhang) {
  // 48 x 40 into the 24 x 40 box: the height fits, a quarter of the width is cut on each side.
  TestWorld* layer = Layer(0, 48, 40);
  layer->Fill(0, 0, 12, 40, 1, 0, 1, 0);
  layer->Fill(12, 0, 36, 40, 1, 1, 0, 0);
  layer->Fill(36, 0, 48, 40, 1, 0, 0, 1);
  auto out = Render();
  for (A_long x : {5, 16, 26}) ExpectPixel(*out, x, 24, 1, 1, 0, 0);
  ExpectTransparent(*out, 33, 24);  // where the blue overhang would land
  ExpectTransparent(*out, 2, 24);   // where the green overhang would land
}

TEST_F(FramePicture, XOffsetMovesTheMarker) {
  StripeLayer(*this);
  auto still = Render();
  ExpectPixel(*still, 15, 24, 1, 1, 1, 1);
  ExpectPixel(*still, 19, 24, 1, 0, 0, 0);
  harness.floats[PolygonParam(0, kPolygonXOffset)] = 4.0;
  auto moved = Render();
  ExpectPixel(*moved, 15, 24, 1, 0, 0, 0);
  ExpectPixel(*moved, 19, 24, 1, 1, 1, 1);
}

TEST_F(FramePicture, YOffsetMovesTheLayerDown) {
  TopBottomLayer(*this, 0);
  harness.floats[PolygonParam(0, kPolygonYOffset)] = 8.0;
  auto out = Render();
  ExpectPixel(*out, 16, 26, 1, 1, 0, 0);  // red reaches 8 rows further down
  ExpectPixel(*out, 16, 34, 1, 0, 0, 1);
  ExpectTransparent(*out, 16, 6);         // nothing above the shifted layer
}

TEST_F(FramePicture, ScaleZoomsAboutTheLayerCentreZeroDrawsNothing) {
  StripeLayer(*this);
  harness.floats[PolygonParam(0, kPolygonScale)] = 200.0;
  auto out = Render();
  // Columns 10..13 about the centre 12 become 8..15, drawn from x = 4: [12, 20).
  ExpectPixel(*out, 13, 24, 1, 1, 1, 1);
  ExpectPixel(*out, 18, 24, 1, 1, 1, 1);
  ExpectPixel(*out, 10, 24, 1, 0, 0, 0);
  ExpectPixel(*out, 22, 24, 1, 0, 0, 0);
  harness.floats[PolygonParam(0, kPolygonScale)] = 0.0;
  ExpectTransparent(*Render(), 16, 24);  // zero scale draws nothing
}

TEST_F(FramePicture, HalfResolutionShowsTheSamePicture) {
  TopBottomLayer(*this, 0, 12, 20);
  TopBottomLayer(*this, 1, 12, 20);
  auto half = Render(PF_PixelFormat_ARGB32, kWidth / 2, kHeight / 2);
  ExpectPixel(*half, 8, 5, 1, 1, 0, 0);
  ExpectPixel(*half, 8, 19, 1, 0, 0, 1);
  ExpectPixel(*half, 24, 5, 1, 1, 0, 0);
  ExpectTransparent(*half, 16, 12);  // the gutter, halved
  ExpectTransparent(*half, 0, 12);
}

// The offset is in the layer's own full-size units: at half resolution the host hands a half-size
// layer, and the marker still moves by the same part of the frame (half as many buffer pixels).
TEST_F(FramePicture, XOffsetAtHalfResolutionMovesTheSamePart) {
  TestWorld* layer = Layer(0, 12, 20);
  layer->Fill(0, 0, 12, 20, 1, 0, 0, 0);
  layer->Fill(5, 0, 7, 20, 1, 1, 1, 1);  // the stripe of StripeLayer, halved
  harness.floats[PolygonParam(0, kPolygonXOffset)] = 4.0;
  auto half = Render(PF_PixelFormat_ARGB32, kWidth / 2, kHeight / 2);
  // Full size: stripe over [18, 22) after the shift of 4; halved: [9, 11).
  ExpectPixel(*half, 9, 12, 1, 1, 1, 1, 0.3);
  ExpectPixel(*half, 10, 12, 1, 1, 1, 1, 0.3);
  ExpectPixel(*half, 7, 12, 1, 0, 0, 0, 0.3);
  ExpectPixel(*half, 12, 12, 1, 0, 0, 0, 0.3);
}

// A buffer squeezed vertically (the layout's aspect differs from the buffer's): every layer pixel
// is scaled alike in both directions, so the layer keeps its shape within the frame.
TEST_F(FramePicture, UnequalLayoutScaleKeepsTheLayerAspect) {
  TestWorld* layer = Layer(0, 24, 20);
  layer->Fill(0, 0, 24, 20, 1, 0, 0, 0);
  layer->Fill(10, 0, 14, 20, 1, 1, 1, 1);
  auto squeezed = Render(PF_PixelFormat_ARGB32, kWidth, kHeight / 2);
  // sx = 1, sy = 0.5: the 24 x 20 layer is 24 x 40 layout units, the frame's box exactly.
  ExpectPixel(*squeezed, 15, 12, 1, 1, 1, 1, 0.3);
  ExpectPixel(*squeezed, 16, 12, 1, 1, 1, 1, 0.3);
  ExpectPixel(*squeezed, 12, 12, 1, 0, 0, 0, 0.3);
  ExpectPixel(*squeezed, 19, 12, 1, 0, 0, 0, 0.3);
}

// A layer wider than this driver's largest texture (16384 texels) still fills its frame, at every
// depth.
TEST_F(FramePicture, LayerBeyondTheLargestTextureFillsItsFrame) {
  for (PF_PixelFormat format : {PF_PixelFormat_ARGB32, PF_PixelFormat_ARGB64, PF_PixelFormat_ARGB128}) {
    layerWorlds.clear();
    Layer(0, 16400, 40, format)->Fill(0, 0, 16400, 40, 1, 0.2, 0.6, 0.9);
    auto out = Render();
    ExpectPixel(*out, 16, 24, 1, 0.2, 0.6, 0.9);
    ExpectPixel(*out, 5, 42, 1, 0.2, 0.6, 0.9);
  }
}

TEST_F(FramePicture, RoundCornersCutTheCorners) {
  Layer(0, 24, 40)->Fill(0, 0, 24, 40, 1, 1, 1, 1);
  auto sharp = Render();
  ExpectPixel(*sharp, 4, 4, 1, 1, 1, 1, 0.3);
  harness.floats[kParamRoundCorner] = 100.0;
  auto round = Render();
  ExpectTransparent(*round, 4, 4);
  ExpectPixel(*round, 16, 24, 1, 1, 1, 1, kStep8);
}

// A layer less than one layout unit wide still fills its frame, as do layers of any size.
TEST_F(FramePicture, LayerSmallerThanALayoutUnitFillsItsFrame) {
  harness.RemoveLayout(call);
  harness.InstallLayout(call, TwoFrameLayout(32.0, 24.0));  // rendered at 64 x 48: sx = sy = 2
  Layer(0, 1, 1)->Fill(0, 0, 1, 1, 1, 0, 1, 0);
  Layer(1, 24, 40)->Fill(0, 0, 24, 40, 1, 0, 0, 1);
  auto out = Render();
  ExpectPixel(*out, 16, 24, 1, 0, 1, 0, kStep8);
  ExpectPixel(*out, 48, 24, 1, 0, 0, 1, kStep8);
}

class FramePictureDepth : public SmartFxFixture, public ::testing::WithParamInterface<PF_PixelFormat> {};

// The same scene at every depth agrees with the 8-bit picture within one 8-bit step (colour
// only where the pixel is mostly opaque: edge colours carry the 8-bit premultiplied rounding).
TEST_P(FramePictureDepth, MatchesTheEightBitPicture) {
  TopBottomLayer(*this, 0);
  StripeLayer(*this, 1);
  auto eight = Render(PF_PixelFormat_ARGB32);
  TopBottomLayer(*this, 0, 24, 40, GetParam());
  StripeLayer(*this, 1, GetParam());
  auto deep = Render(GetParam());
  int compared = 0;
  for (A_long y = 0; y < kHeight; ++y) {
    for (A_long x = 0; x < kWidth; ++x) {
      const double alpha = eight->Get(x, y, kAlpha);
      ASSERT_NEAR(deep->Get(x, y, kAlpha), alpha, kStep8 + 1e-6) << x << "," << y;
      if (alpha < 0.5) continue;
      ++compared;
      for (Channel c : {kRed, kGreen, kBlue}) {
        ASSERT_NEAR(deep->Get(x, y, c), eight->Get(x, y, c), kStep8 + 1e-6) << x << "," << y;
      }
    }
  }
  EXPECT_GT(compared, 1500);
}

INSTANTIATE_TEST_SUITE_P(Depths, FramePictureDepth,
                         ::testing::Values(PF_PixelFormat_ARGB64, PF_PixelFormat_ARGB128),
                         [](const ::testing::TestParamInfo<PF_PixelFormat>& info) {
                           return info.param == PF_PixelFormat_ARGB32 ? "Bits8"
                                  : info.param == PF_PixelFormat_ARGB64 ? "Bits16" : "Bits32";
                         });

}  // namespace
}  // namespace Orvane::Mosaira::SmartFxTest
