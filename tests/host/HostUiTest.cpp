// The host's custom-UI events: coordinate callbacks, the drag protocol, cursors and the parameter
// changes an event makes, played against the fake effect.
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

class HostUiTest : public testing::Test {
 protected:
  void SetUp() override {
    ResetScript();
    host.UseEntryPoint(FakeEntryPoint);
    id = host.AddInstance(200, 100);
  }
  void OnEvent(EventBody body) {
    Script().before = [body](PF_Cmd cmd, PF_InData* in, PF_OutData*, PF_ParamDef** params, void* extra, PF_Err*) {
      if (cmd != PF_Cmd_EVENT) return false;
      body(in, params, static_cast<PF_EventExtra*>(extra));
      return true;
    };
  }
  SimulatedHost host;
  InstanceId id = kNoInstance;
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

TEST_F(HostUiTest, CoordinateCallbacksFollowPlacementZoomAndPan) {
  struct Case {
    PF_WindowType window;
    WindowView view;
    Fn fn;
    PF_FixedPoint in, out;
  };
  const WindowView one{}, half{0, 0, 0.5, 8, 4};
  const Case cases[] = {
      // Layer at offset (10, 20), scale 2 in the composition.
      {PF_Window_COMP, one, Fn::kLayerToComp, {F(5), F(5)}, {F(20), F(30)}},
      {PF_Window_COMP, one, Fn::kCompToLayer, {F(20), F(30)}, {F(5), F(5)}},
      {PF_Window_COMP, one, Fn::kSourceToFrame, {F(20), F(30)}, {F(20), F(30)}},
      {PF_Window_COMP, half, Fn::kSourceToFrame, {F(20), F(30)}, {F(18), F(19)}},
      {PF_Window_COMP, half, Fn::kFrameToSource, {F(18), F(19)}, {F(20), F(30)}},
      {PF_Window_COMP, half, Fn::kFrameToSource, {F(9), F(4.5)}, {F(2), F(1)}},
      // The layer window shows the layer itself: no placement.
      {PF_Window_LAYER, one, Fn::kLayerToComp, {F(5), F(-5)}, {F(5), F(-5)}},
      {PF_Window_LAYER, one, Fn::kCompToLayer, {F(5), F(-5)}, {F(5), F(-5)}},
      {PF_Window_LAYER, half, Fn::kSourceToFrame, {F(4), F(2)}, {F(10), F(5)}},
      // Results beyond 32 bits are clamped.
      {PF_Window_COMP, one, Fn::kLayerToComp, {INT_MAX - 5, INT_MIN + 5}, {INT_MAX, INT_MIN}},
  };
  ASSERT_TRUE(host.Ui().SetPlacement({10, 20, 2}));
  for (const Case& c : cases) {
    ASSERT_TRUE(host.Ui().SetView(c.window, c.view));
    PF_FixedPoint pt = c.in;
    PF_Err err = -1;
    OnEvent([&](PF_InData* in, PF_ParamDef**, PF_EventExtra* e) { err = Call(in, e, c.fn, &pt); });
    host.Ui().AdjustCursor(id, c.window, {0, 0});
    EXPECT_EQ(err, PF_Err_NONE);
    EXPECT_EQ(pt.x, c.out.x) << "window " << c.window << " fn " << int(c.fn);
    EXPECT_EQ(pt.y, c.out.y) << "window " << c.window << " fn " << int(c.fn);
  }
  EXPECT_TRUE(host.Violations().empty());
}

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

TEST_F(HostUiTest, CallbackRefusesAForeignContext) {
  PF_Err err = PF_Err_NONE;
  PF_Context other{};
  PF_Context* otherPtr = &other;
  OnEvent([&](PF_InData*, PF_ParamDef**, PF_EventExtra* e) {
    PF_FixedPoint pt{};
    err = e->cbs.source_to_frame(e->cbs.refcon, &otherPtr, &pt);
  });
  host.Ui().AdjustCursor(id, PF_Window_COMP, {0, 0});
  EXPECT_EQ(err, PF_Err_BAD_CALLBACK_PARAM);
}

TEST_F(HostUiTest, ContextIsStablePerInstanceAndWindow) {
  std::vector<PF_ContextH> seen;
  OnEvent([&](PF_InData*, PF_ParamDef**, PF_EventExtra* e) { seen.push_back(e->contextH); });
  host.Ui().AdjustCursor(id, PF_Window_COMP, {0, 0});
  host.Ui().Click(id, PF_Window_COMP, {1, 1});
  host.Ui().AdjustCursor(id, PF_Window_EFFECT, {0, 0});
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_EQ(seen[0], seen[1]);
  EXPECT_NE(seen[0], seen[2]);
  EXPECT_EQ((*seen[2])->w_type, PF_Window_EFFECT);
}

// The effect asks for drags at the click and for two drag steps, counting in continue_refcon.
TEST_F(HostUiTest, DragsCarryRefconAndRunOnlyWhileAsked) {
  std::vector<A_intptr_t> refcons;
  std::vector<A_Boolean> lastTimes;
  OnEvent([&](PF_InData*, PF_ParamDef**, PF_EventExtra* e) {
    PF_DoClickEventInfo& c = e->u.do_click;
    if (e->e_type == PF_Event_DO_CLICK) {
      c.continue_refcon[0] = 42;
      c.send_drag = 1;
      return;
    }
    refcons.push_back(c.continue_refcon[0]);
    lastTimes.push_back(c.last_time);
    c.continue_refcon[0] += 1;
    c.send_drag = c.continue_refcon[0] < 44;
  });
  HostUi& ui = host.Ui();
  EXPECT_TRUE(ui.Click(id, PF_Window_COMP, {5, 5}).sendDrag);
  int sent = 0;
  for (int i = 0; i < 5; ++i) sent += ui.Drag({6 + i, 5}).sent ? 1 : 0;
  EXPECT_EQ(sent, 2);
  EXPECT_EQ(refcons, (std::vector<A_intptr_t>{42, 43}));
  EXPECT_FALSE(ui.MouseUp({9, 9}).sent);
  EXPECT_FALSE(ui.InGesture());

  // A gesture still dragging at the mouse-up gets one last drag.
  refcons.clear();
  lastTimes.clear();
  ui.Click(id, PF_Window_COMP, {5, 5});
  EXPECT_TRUE(ui.MouseUp({7, 7}).sent);
  EXPECT_EQ(lastTimes, (std::vector<A_Boolean>{1}));
}

TEST_F(HostUiTest, ClickWithoutDragRequestStartsNoDrag) {
  int drags = 0;
  OnEvent([&](PF_InData*, PF_ParamDef**, PF_EventExtra* e) { drags += e->e_type == PF_Event_DRAG; });
  host.Ui().Click(id, PF_Window_COMP, {5, 5}, 2);
  EXPECT_FALSE(host.Ui().Drag({6, 6}).sent);
  EXPECT_EQ(drags, 0);
}

TEST_F(HostUiTest, CursorIsReportedOrLeftAlone) {
  OnEvent([](PF_InData*, PF_ParamDef**, PF_EventExtra*) {});
  EXPECT_EQ(host.Ui().AdjustCursor(id, PF_Window_COMP, {1, 1}).cursor, kCursorLeftAlone);
  OnEvent([](PF_InData*, PF_ParamDef**, PF_EventExtra* e) { e->u.adjust_cursor.set_cursor = PF_Cursor_NONE; });
  EXPECT_EQ(host.Ui().AdjustCursor(id, PF_Window_COMP, {1, 1}).cursor, PF_Cursor_NONE);
}

TEST_F(HostUiTest, EventChangesAreStoredAndFollowedUp) {
  OnEvent([](PF_InData*, PF_ParamDef** params, PF_EventExtra* e) {
    params[kFakeSlider]->u.fs_d.value = 55;
    params[kFakeSlider]->uu.change_flags = PF_ChangeFlag_CHANGED_VALUE;
    e->evt_out_flags = PF_EO_HANDLED_EVENT;
  });
  const EventReport r = host.Ui().Click(id, PF_Window_EFFECT, {60, 60});
  EXPECT_EQ(r.outFlags, PF_EO_HANDLED_EVENT);
  EXPECT_EQ(r.changed, std::vector<PF_ParamIndex>{kFakeSlider});
  EXPECT_EQ(host.Stream(id, kFakeSlider).ValueAt(0).fs_d.value, 55);
  EXPECT_EQ(Script().changedParams, std::vector<PF_ParamIndex>{kFakeSlider});
}

TEST_F(HostUiTest, EffectPanelEventsCarryTheControlArea) {
  PF_EffectWindowInfo seen{};
  OnEvent([&](PF_InData*, PF_ParamDef**, PF_EventExtra* e) { seen = e->effect_win; });
  host.Ui().Click(id, PF_Window_EFFECT, {60, 60});
  const PF_Rect& c = seen.current_frame;
  EXPECT_EQ(seen.area, PF_EA_CONTROL);
  EXPECT_EQ(seen.index, 1);
  EXPECT_EQ(c.right - c.left, 200);
  EXPECT_EQ(c.bottom - c.top, 260);
  EXPECT_GT(c.left, 0);
  EXPECT_LT(c.right, host.Ui().Panel().widthPx);
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
