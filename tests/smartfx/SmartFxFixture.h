// Shared set-up of the render tests: the renderer set up once per suite, a harness with the
// two-frame layout installed and "Edge Inset" 4, and helpers that render and probe.
//
// Geometry at 64 x 48 with inset 4: frame F1 covers [4, 28] x [4, 44], F2 [36, 60] x [4, 44];
// the gutter is (28, 36) and the margin 4 pixels wide all round.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "effect/ParamIndices.h"
#include "tests/smartfx/RenderHarness.h"
#include "tests/support/GlErrorCheck.h"

namespace Orvane::Mosaira::SmartFxTest {

inline constexpr A_long kWidth = 64;
inline constexpr A_long kHeight = 48;
inline constexpr double kStep8 = 1.0 / 255.0;
inline constexpr double kUntouched = 51 / 255.0;  // every channel of an output before the render

using Testing::InstallGlErrorCheck;

class SmartFxFixture : public ::testing::Test {
 public:
  static void SetUpTestSuite() {
    InstallGlErrorCheck();
    Harness::GlobalSetup();
  }
  static void TearDownTestSuite() { Harness::GlobalSetdown(); }

  void SetUp() override {
    harness.floats[kParamEdgeInset] = 4.0;
    harness.InstallLayout(call, TwoFrameLayout());
  }
  void TearDown() override {
    harness.RemoveLayout(call);
    EXPECT_EQ(harness.checkedOut.load(), 0);
    EXPECT_EQ(harness.badCheckins.load(), 0);
    EXPECT_EQ(harness.suitesHeld.load(), 0);
    EXPECT_EQ(harness.handlesLive.load(), 0);
  }

  // A layer of `w` x `h` in `format`, kept alive by the fixture, chosen in polygon group `group`.
  TestWorld* Layer(int group, A_long w, A_long h, PF_PixelFormat format = PF_PixelFormat_ARGB32) {
    layerWorlds.push_back(std::make_unique<TestWorld>(w, h, format, 12));
    harness.layers[group] = layerWorlds.back().get();
    return layerWorlds.back().get();
  }

  // Renders through `c` into a new output world of the input's size and format.
  // `outputPad` bytes after every output row: 3 makes rows that are no whole number of pixels.
  std::unique_ptr<TestWorld> RenderWith(RenderCall& c, PF_PixelFormat format, A_long w, A_long h,
                                        PF_Err* err, A_long outputPad = 8) {
    auto input = std::make_unique<TestWorld>(w, h, format, 8);
    auto output = std::make_unique<TestWorld>(w, h, format, outputPad);
    output->Fill(0, 0, w, h, kUntouched, kUntouched, kUntouched, kUntouched);
    c.input = input.get();
    c.output = output.get();
    *err = harness.Render(c);
    c.input = nullptr;
    c.output = nullptr;
    return output;
  }

  std::unique_ptr<TestWorld> Render(PF_PixelFormat format = PF_PixelFormat_ARGB32, A_long w = kWidth,
                                    A_long h = kHeight) {
    PF_Err err = PF_Err_NONE;
    auto output = RenderWith(call, format, w, h, &err);
    EXPECT_EQ(err, PF_Err_NONE);
    return output;
  }

  Harness harness;
  RenderCall call{&harness};
  std::vector<std::unique_ptr<TestWorld>> layerWorlds;
};

// Expects the pixel at (x, y) to be (a, r, g, b) within `tolerance`.
inline void ExpectPixel(const TestWorld& w, A_long x, A_long y, double a, double r, double g, double b,
                        double tolerance = 2 * kStep8) {
  EXPECT_NEAR(w.Get(x, y, kAlpha), a, tolerance) << "alpha at " << x << "," << y;
  EXPECT_NEAR(w.Get(x, y, kRed), r, tolerance) << "red at " << x << "," << y;
  EXPECT_NEAR(w.Get(x, y, kGreen), g, tolerance) << "green at " << x << "," << y;
  EXPECT_NEAR(w.Get(x, y, kBlue), b, tolerance) << "blue at " << x << "," << y;
}

inline void ExpectUntouched(const TestWorld& w, A_long x, A_long y) {
  ExpectPixel(w, x, y, kUntouched, kUntouched, kUntouched, kUntouched, 1e-6);
}

// Expects every channel at (x, y) to be exactly 0.
inline void ExpectTransparent(const TestWorld& w, A_long x, A_long y) {
  for (Channel c : {kAlpha, kRed, kGreen, kBlue}) {
    EXPECT_EQ(w.Get(x, y, c), 0.0) << "channel " << c << " at " << x << "," << y;
  }
}

}  // namespace Orvane::Mosaira::SmartFxTest
