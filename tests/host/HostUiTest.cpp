// The host's custom-UI events against the fake effect: coordinate callbacks failing on request or
// given a foreign context, one context per instance and window, bad window settings. What the
// plug-in sees of zoom, drags, cursors and the effect panel is checked through it in tests/controls.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <functional>

#include "FakeEffect.h"
#include "host/HostUi.h"
#include "host/SimulatedHost.h"

namespace Orvane::Mosaira {
namespace {

using namespace test;
using EventBody = std::function<void(PF_InData*, PF_ParamDef**, PF_EventExtra*)>;

class HostUiTest : public FakeHostTest {
 protected:
  void SetUp() override {
    FakeHostTest::SetUp();
    id = host.AddInstance(200, 100);
  }
  static void OnEvent(EventBody body) {
    On(PF_Cmd_EVENT, [body](PF_InData* in, PF_OutData*, PF_ParamDef** params, void* extra) {
      body(in, params, static_cast<PF_EventExtra*>(extra));
    });
  }
};

enum class Fn { kLayerToComp, kCompToLayer, kSourceToFrame, kFrameToSource };

PF_Err Call(PF_InData* in, PF_EventExtra* e, Fn fn, PF_FixedPoint* pt) {
  const PF_EventCallbacks& c = e->cbs;
  switch (fn) {
    case Fn::kLayerToComp: return c.layer_to_comp(c.refcon, e->contextH, in->current_time, in->time_scale, pt);
    case Fn::kCompToLayer: return c.comp_to_layer(c.refcon, e->contextH, in->current_time, in->time_scale, pt);
    case Fn::kSourceToFrame: return c.source_to_frame(c.refcon, e->contextH, pt);
    case Fn::kFrameToSource: return c.frame_to_source(c.refcon, e->contextH, pt);
  }
  return PF_Err_NONE;
}

constexpr PF_Fixed F(double px) { return PF_Fixed(px * 65536); }

TEST_F(HostUiTest, CoordinateCallbackFailsWhenToldAndIsCounted) {
  const char* names[] = {"layer_to_comp", "comp_to_layer", "source_to_frame", "frame_to_source"};
  const Fn fns[] = {Fn::kLayerToComp, Fn::kCompToLayer, Fn::kSourceToFrame, Fn::kFrameToSource};
  ASSERT_TRUE(host.Ui().SetPlacement({10, 20, 2}));
  for (int i = 0; i < 4; ++i) {
    host.Faults().Fail(names[i], 0);
    PF_FixedPoint pt{F(3), F(4)};
    PF_Err err = PF_Err_NONE;
    OnEvent([&](PF_InData* in, PF_ParamDef**, PF_EventExtra* e) { err = Call(in, e, fns[i], &pt); });
    host.Ui().AdjustCursor(id, PF_Window_COMP, {0, 0});
    EXPECT_NE(err, PF_Err_NONE) << names[i];
    EXPECT_EQ(pt.x, F(3)) << names[i];
    EXPECT_EQ(host.Faults().Calls(names[i]), 1u) << names[i];
  }
}

// One context per instance and window, kept across events; the callbacks refuse any other.
TEST_F(HostUiTest, ContextIsStablePerInstanceAndWindow) {
  std::vector<PF_ContextH> seen;
  PF_Err err = PF_Err_NONE;
  PF_Context other{};
  PF_Context* otherPtr = &other;
  OnEvent([&](PF_InData*, PF_ParamDef**, PF_EventExtra* e) {
    seen.push_back(e->contextH);
    PF_FixedPoint pt{};
    err = e->cbs.source_to_frame(e->cbs.refcon, &otherPtr, &pt);
  });
  host.Ui().AdjustCursor(id, PF_Window_COMP, {0, 0});
  host.Ui().Click(id, PF_Window_COMP, {1, 1});
  host.Ui().AdjustCursor(id, PF_Window_EFFECT, {0, 0});
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_EQ(seen[0], seen[1]);
  EXPECT_NE(seen[0], seen[2]);
  EXPECT_EQ((*seen[2])->w_type, PF_Window_EFFECT);
  EXPECT_EQ(err, PF_Err_BAD_CALLBACK_PARAM);
}

TEST_F(HostUiTest, BadWindowSettingsAreRefused) {
  EXPECT_FALSE(host.Ui().SetView(PF_Window_COMP, {0, 0, 0.0, 0, 0}));
  EXPECT_FALSE(host.Ui().SetView(PF_Window_COMP, {0, 0, NAN, 0, 0}));
  EXPECT_FALSE(host.Ui().SetPlacement({0, 0, -1}));
  EXPECT_FALSE(host.Ui().SetEffectPanel({100, 100, 1, {0, 0, 200, 260}}));
  EXPECT_EQ(host.Ui().View(PF_Window_COMP).zoom, 1.0);
  EXPECT_FALSE(host.Ui().Click(99, PF_Window_COMP, {0, 0}).sent);
}

}  // namespace
}  // namespace Orvane::Mosaira
