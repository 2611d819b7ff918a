// Custom user-interface events with records built here rather than by the host's windows: drags
// whose click was another instance's or none, and a click that comes with the drag flag set.
#include <gtest/gtest.h>

#include <string>

#include "effect/ParamIndices.h"
#include "tests/effect/PluginFixture.h"

namespace Orvane::Mosaira {
namespace {

using testing::kLayouts31;

// Frame pixels are layer pixels.
PF_Err SameTime(void*, PF_ContextH, A_long, A_long, PF_FixedPoint*) { return PF_Err_NONE; }
PF_Err Same(void*, PF_ContextH, PF_FixedPoint*) { return PF_Err_NONE; }

// One event of one window, as the host would deliver it.
struct Event {
  explicit Event(PF_WindowType window, PF_EventType type) {
    context.w_type = window;
    contextP = &context;
    extra.contextH = &contextP;
    extra.e_type = type;
    extra.cbs = PF_EventCallbacks{nullptr, SameTime, SameTime, Same, Same};
    extra.effect_win.area = PF_EA_CONTROL;
    extra.effect_win.current_frame = PF_Rect{0, 0, 200, 260};
  }
  Event& At(A_long h, A_long v) {
    extra.u.do_click.screen_point = PF_Point{h, v};
    return *this;
  }
  PF_Context context{};
  PF_Context* contextP = nullptr;
  PF_EventExtra extra{};
};

class UiEvents : public testing::PluginTest {
 protected:
  PF_Err Send(Event& e, InstanceId to = kNoInstance) {
    return host.Send(to == kNoInstance ? id : to, PF_Cmd_EVENT, &e.extra);
  }
};

constexpr std::pair<A_long, A_long> kP8{960 * 65536, 1080 * 65536};

TEST_F(UiEvents, DragWithoutItsOwnClickMovesNothing) {
  ASSERT_EQ(host.SetPopup(id, kParamLayouts, kLayouts31), PF_Err_NONE);
  const InstanceId other = host.AddInstance(1920, 1080);
  ASSERT_EQ(host.SetPopup(other, kParamLayouts, kLayouts31), PF_Err_NONE);
  Event click(PF_Window_COMP, PF_Event_DO_CLICK);
  ASSERT_EQ(Send(click.At(967, 810)), PF_Err_NONE);  // B2 is now this instance's active button
  Event stale(PF_Window_COMP, PF_Event_DRAG);
  Event othersClick(PF_Window_COMP, PF_Event_DO_CLICK);
  ASSERT_EQ(Send(othersClick.At(967, 810), other), PF_Err_NONE);
  othersClick.extra.e_type = PF_Event_DRAG;
  othersClick.extra.evt_out_flags = 0;
  for (Event* drag : {&stale, &othersClick}) {
    ASSERT_EQ(Send(drag->At(990, 810)), PF_Err_NONE);
    EXPECT_FALSE(drag->extra.u.do_click.send_drag);
    EXPECT_EQ(drag->extra.evt_out_flags, 0);
    EXPECT_EQ(testing::PointValues(host, id, 5).count(kP8), 1u);
  }
}

// A click that arrives with send_drag still set (as a host may send the steps of a gesture) is a
// drag: the grabbed button moves, and the event reads as a drag afterwards.
TEST_F(UiEvents, ClickWithTheDragFlagSetIsADrag) {
  ASSERT_EQ(host.SetPopup(id, kParamLayouts, kLayouts31), PF_Err_NONE);
  Event click(PF_Window_COMP, PF_Event_DO_CLICK);
  ASSERT_EQ(Send(click.At(960, 810)), PF_Err_NONE);  // B2
  ASSERT_TRUE(click.extra.u.do_click.send_drag);
  ASSERT_EQ(Send(click.At(990, 810)), PF_Err_NONE);
  EXPECT_EQ(click.extra.e_type, PF_Event_DRAG);
  EXPECT_EQ(testing::PointValues(host, id, 5).count({990 * 65536, 1080 * 65536}), 1u);
}

}  // namespace
}  // namespace Orvane::Mosaira
