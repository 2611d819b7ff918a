// How renders behave as commands: repeatable bytes on any thread and at once, clean recovery
// after failures, the host's context kept, bad input refused before any drawing.
#include <rapidjson/document.h>

#include <thread>

#include "platform/ContextState.h"
#include "platform/GlContext.h"
#include "render/RenderGlobals.h"
#include "tests/smartfx/SmartFxFixture.h"

namespace Orvane::Mosaira::SmartFxTest {
namespace {

constexpr PF_Err kNotRun = -1;

// Read while no render runs.
size_t ThreadContextCount() { return CurrentRenderGlobals()->contexts.ThreadContextCount(); }

class RenderRoad : public SmartFxFixture {
 protected:
  void SetUp() override {
    SmartFxFixture::SetUp();
    TestWorld* a = Layer(0, 30, 40);
    a->Fill(0, 0, 30, 20, 1, 0.9, 0.2, 0.1);
    a->Fill(0, 20, 30, 40, 0.6, 0.1, 0.7, 0.3);
    TestWorld* b = Layer(1, 20, 50);
    b->Fill(0, 0, 20, 50, 1, 0.2, 0.4, 0.9);
    b->Fill(5, 0, 9, 50, 1, 1, 1, 1);
    harness.floats[kParamRoundCorner] = 40.0;
    harness.floats[PolygonParam(1, kPolygonXOffset)] = 3.0;
  }

  // A render through a call of its own (as another thread's command would be).
  std::unique_ptr<TestWorld> RenderOnOwnCall(PF_Err* err) {
    RenderCall own(&harness);
    own.in.sequence_data = call.in.sequence_data;
    return RenderWith(own, PF_PixelFormat_ARGB32, kWidth, kHeight, err);
  }
};

// Each thread renders several times, so repeats on one thread and renders on other threads at
// once must all give the first render's bytes.
TEST_F(RenderRoad, ConcurrentRendersGiveIdenticalBytes) {
  auto reference = Render();
  EXPECT_GT(reference->Get(16, 10, kAlpha), 0.9);  // a real picture, not empty ones
  constexpr int kThreads = 4;
  constexpr int kRendersEach = 3;
  std::vector<std::unique_ptr<TestWorld>> outputs(kThreads * kRendersEach);
  std::vector<PF_Err> errors(outputs.size(), kNotRun);
  std::vector<std::thread> workers;
  for (int t = 0; t < kThreads; ++t) {
    workers.emplace_back([&, t] {
      for (int i = 0; i < kRendersEach; ++i) {
        const size_t slot = size_t(t * kRendersEach + i);
        outputs[slot] = RenderOnOwnCall(&errors[slot]);
      }
    });
  }
  for (std::thread& w : workers) w.join();
  for (size_t i = 0; i < outputs.size(); ++i) {
    EXPECT_EQ(errors[i], PF_Err_NONE) << "render " << i;
    EXPECT_EQ(outputs[i]->Bytes(), reference->Bytes()) << "render " << i;
  }
}

TEST_F(RenderRoad, EachRenderingThreadGetsOneContext) {
  Render();
  const size_t afterFirst = ThreadContextCount();
  const uint32_t number = CurrentThreadNumber();
  Render();
  EXPECT_EQ(ThreadContextCount(), afterFirst);
  EXPECT_EQ(CurrentThreadNumber(), number);
  uint32_t otherNumber = kUnnumberedThread;
  std::thread worker([&] {
    PF_Err err = kNotRun;
    RenderOnOwnCall(&err);
    otherNumber = CurrentThreadNumber();
  });
  worker.join();
  EXPECT_EQ(ThreadContextCount(), afterFirst + 1);
  EXPECT_NE(otherNumber, number);
  EXPECT_NE(otherNumber, kUnnumberedThread);
}

// A float layer whose world has no pixels leaves its own frame out; once it has them again the
// render is as before.
TEST_F(RenderRoad, FloatLayerWithoutPixelsLeavesItsFrameOut) {
  TestWorld* floatLayer = Layer(1, 20, 50, PF_PixelFormat_ARGB128);
  floatLayer->Fill(0, 0, 20, 50, 1, 0.2, 0.4, 0.9);
  auto reference = Render();
  PF_Pixel* pixels = floatLayer->world.data;
  floatLayer->world.data = nullptr;
  auto without = Render();
  EXPECT_EQ(harness.checkedOut.load(), 0);
  ExpectPixel(*without, 48, 24, 0, 0, 0, 0, 0);
  floatLayer->world.data = pixels;
  EXPECT_EQ(Render()->Bytes(), reference->Bytes());
}

// A missing suite is refused: without the world suite before any drawing, without the handle
// suite at the read-back into rows of no whole number of pixels; the next render is clean.
TEST_F(RenderRoad, MissingSuiteIsRefusedThenCleanRender) {
  auto reference = Render();
  for (const std::string suite : {kPFWorldSuite, kPFHandleSuite}) {
    harness.missingSuites = {suite};
    PF_Err err = PF_Err_NONE;
    auto out = RenderWith(call, PF_PixelFormat_ARGB32, kWidth, kHeight, &err, 3);
    EXPECT_EQ(err, PF_Err_BAD_CALLBACK_PARAM) << suite;
    if (suite == kPFWorldSuite) ExpectUntouched(*out, 16, 24);
    harness.missingSuites.clear();
    EXPECT_EQ(Render()->Bytes(), reference->Bytes()) << suite;
  }
}

TEST_F(RenderRoad, HostContextIsCurrentAfterwards) {
  auto hostContext = Platform::GlContext::Create(nullptr, Platform::ContextProfile::kDriverDefault);
  ASSERT_NE(hostContext, nullptr);
  ASSERT_TRUE(hostContext->MakeCurrent());
  Render();
  EXPECT_EQ(Platform::CurrentContextState().context, hostContext->NativeContext());
  harness.missingSuites = {kPFHandleSuite};  // and after a failure at the read-back
  PF_Err err = PF_Err_NONE;
  RenderWith(call, PF_PixelFormat_ARGB32, kWidth, kHeight, &err, 3);
  harness.missingSuites.clear();
  EXPECT_NE(err, PF_Err_NONE);
  EXPECT_EQ(Platform::CurrentContextState().context, hostContext->NativeContext());
}

// A thread whose context cannot be made: the render is refused with the host's context current
// again and the output as handed over; the thread's next render makes its context and draws.
TEST_F(RenderRoad, ContextFailureOnNewThreadIsRefusedThenRetried) {
  auto reference = Render();
  const size_t contexts = ThreadContextCount();
  PF_Err failed = kNotRun;
  PF_Err retried = kNotRun;
  std::unique_ptr<TestWorld> failedOut, retriedOut;
  bool hostCurrentAfterFailure = false;
  std::thread worker([&] {
    auto hostContext = Platform::GlContext::Create(nullptr, Platform::ContextProfile::kDriverDefault);
    ASSERT_NE(hostContext, nullptr);
    Platform::InjectContextFault(Platform::ContextStep::kCreateContext);
    failedOut = RenderOnOwnCall(&failed);
    hostCurrentAfterFailure = Platform::CurrentContextState().context == hostContext->NativeContext();
    retriedOut = RenderOnOwnCall(&retried);
  });
  worker.join();
  EXPECT_EQ(failed, PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_TRUE(hostCurrentAfterFailure);
  ASSERT_NE(failedOut, nullptr);
  ExpectUntouched(*failedOut, 16, 24);
  EXPECT_EQ(harness.checkedOut.load(), 0);
  EXPECT_EQ(retried, PF_Err_NONE);
  ASSERT_NE(retriedOut, nullptr);
  EXPECT_EQ(retriedOut->Bytes(), reference->Bytes());
  EXPECT_EQ(ThreadContextCount(), contexts + 1);
}

TEST_F(RenderRoad, UnknownPixelFormatIsRefusedUntouched) {
  PF_Err err = PF_Err_NONE;
  auto out = RenderWith(call, PF_PixelFormat_INVALID, kWidth, kHeight, &err);
  EXPECT_EQ(err, PF_Err_BAD_CALLBACK_PARAM);
  ExpectUntouched(*out, 16, 24);
  ExpectUntouched(*out, 0, 0);
  EXPECT_TRUE(out->PaddingIntact());
}

TEST_F(RenderRoad, RenderAfterSetdownIsRefusedWithoutDrawing) {
  Harness::GlobalSetdown();
  PF_Err err = PF_Err_NONE;
  auto input = std::make_unique<TestWorld>(kWidth, kHeight, PF_PixelFormat_ARGB32);
  auto output = std::make_unique<TestWorld>(kWidth, kHeight, PF_PixelFormat_ARGB32);
  output->Fill(0, 0, kWidth, kHeight, 1, 1, 1, 1);
  call.input = input.get();
  call.output = output.get();
  err = harness.Render(call);
  call.input = call.output = nullptr;
  Harness::GlobalSetup();
  EXPECT_EQ(err, PF_Err_BAD_CALLBACK_PARAM);
  ExpectPixel(*output, 16, 24, 1, 1, 1, 1, 0.0);
  EXPECT_GT(Render()->Get(16, 10, kAlpha), 0.9);
}

TEST_F(RenderRoad, EdgeInsetCheckoutFailureDrawsWithoutInset) {
  harness.failingCheckouts.insert(kParamEdgeInset);
  PF_Err err = PF_Err_NONE;
  auto out = RenderWith(call, PF_PixelFormat_ARGB32, kWidth, kHeight, &err);
  EXPECT_EQ(err, PF_Err_OUT_OF_MEMORY);
  EXPECT_GT(out->Get(1, 10, kAlpha), 0.9);  // the frame reaches into the former margin
}

TEST_F(RenderRoad, FrameCheckoutFailureLeavesThatFrameOut) {
  harness.failingCheckouts.insert(PolygonParam(0, kPolygonScale));
  auto out = Render();
  ExpectTransparent(*out, 16, 24);
  EXPECT_GT(out->Get(48, 24, kAlpha), 0.9);
}

TEST_F(RenderRoad, InputCheckoutFailureIsReturnedUntouched) {
  call.checkoutPixelsError = PF_Err_OUT_OF_MEMORY;
  PF_Err err = PF_Err_NONE;
  auto out = RenderWith(call, PF_PixelFormat_ARGB32, kWidth, kHeight, &err);
  EXPECT_EQ(err, PF_Err_OUT_OF_MEMORY);
  ExpectUntouched(*out, 16, 24);
}

TEST_F(RenderRoad, NoLayoutRendersNothing) {
  harness.RemoveLayout(call);
  PF_Err err = kNotRun;
  auto out = RenderWith(call, PF_PixelFormat_ARGB32, kWidth, kHeight, &err);
  EXPECT_EQ(err, PF_Err_NONE);
  ExpectUntouched(*out, 16, 24);
}

TEST_F(RenderRoad, LayoutWithoutFramesIsFullyTransparent) {
  harness.RemoveLayout(call);
  rapidjson::Document doc;
  doc.Parse(R"({"frames": [], "id": "0", "moveButtons": [], "points": [], "vectors": []})");
  harness.InstallLayout(call, std::make_unique<GridLayoutModel>(doc, LayoutSize{64, 48}, 0));
  auto out = Render();
  for (A_long y = 0; y < kHeight; y += 7) {
    for (A_long x = 0; x < kWidth; x += 5) ExpectTransparent(*out, x, y);
  }
}

}  // namespace
}  // namespace Orvane::Mosaira::SmartFxTest
