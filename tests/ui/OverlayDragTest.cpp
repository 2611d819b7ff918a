// A drag step of the composition overlay straight through the controls' event handler, with no
// host to answer the parameters it writes: the layout it leaves is ready to draw and render.
#include <gtest/gtest.h>

#include <algorithm>

#include "layout/LayoutRegistry.h"
#include "ui/EventDispatch.h"

namespace Orvane::Mosaira {
namespace {

double RightOfInset(const FrameModel& frame) {
  double right = -1.0;
  for (const Polygon& polygon : frame.insetPolygons) {
    for (const Vec2d& p : polygon) right = std::max(right, p.x);
  }
  return right;
}

// Button B2 of "3-1" at 1920 x 1080 dragged 100 px to the right: frame 2's inset reaches 100 px
// further at once, before anything reads the parameters back.
TEST(OverlayDrag, FramesAreInsetAgainAtOnce) {
  const LayoutRegistry& registry = LayoutRegistry::instance();
  size_t index = 0;
  while (index < registry.layoutIds.size() && registry.layoutIds[index].id != "3-1") ++index;
  ASSERT_LT(index, registry.layoutIds.size());
  GridLayoutModel layout(*registry.templateAt(index), LayoutSize{1920, 1080}, int32_t(index));
  layout.setSpacing(10.0f);
  const double before = RightOfInset(*layout.frames[1]);
  bool interacting = false;
  InstanceLink link;
  link.record = &layout;
  link.layout = &layout;
  link.interacting = &interacting;
  PF_InData in{};
  in.width = 1920;  // the layer's size, as every event carries it
  in.height = 1080;
  PF_OutData out{};
  PF_ParamDef* params[2] = {nullptr, nullptr};
  PF_Context context{};
  PF_Context* contextP = &context;
  PF_EventExtra extra{};
  extra.contextH = &contextP;
  extra.e_type = PF_Event_DO_CLICK;
  extra.u.do_click.screen_point = PF_Point{960, 810};  // no callbacks: frame pixels are layer pixels
  ASSERT_EQ(HandleEvent(&in, &out, params, &extra, link), PF_Err_NONE);
  ASSERT_TRUE(extra.u.do_click.send_drag);
  extra.e_type = PF_Event_DRAG;
  extra.u.do_click.screen_point = PF_Point{1060, 810};
  ASSERT_EQ(HandleEvent(&in, &out, params, &extra, link), PF_Err_NONE);
  EXPECT_TRUE(interacting);
  EXPECT_NEAR(RightOfInset(*layout.frames[1]) - before, 100.0, 1e-9);
}

}  // namespace
}  // namespace Orvane::Mosaira
