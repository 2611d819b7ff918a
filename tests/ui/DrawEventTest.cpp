// Draw events through the simulated host with Drawbot suites registered by the test: they record
// where the effect draws and count the objects it makes, so that the failure paths of drawing
// (no drawing reference, an object that cannot be made) and the chooser's clipping can be seen.
#include <gtest/gtest.h>

#include <vector>

#include "effect/ParamIndices.h"
#include "sdk/pf_suites.h"
#include "tests/effect/PluginFixture.h"

namespace Orvane::Mosaira {
namespace {

struct Recording {
  int made = 0;
  int released = 0;
  bool nullReference = false;
  bool failPen = false;
  std::vector<DRAWBOT_PointF32> points;  // path vertices, arc centres, rectangle corners
};
Recording rec;
int dummy;
template <typename T>
T Dummy() {
  return reinterpret_cast<T>(&dummy);
}

A_Err GetSupplier(DRAWBOT_DrawRef, DRAWBOT_SupplierRef* s) {
  return *s = Dummy<DRAWBOT_SupplierRef>(), 0;
}
A_Err GetSurface(DRAWBOT_DrawRef, DRAWBOT_SurfaceRef* s) {
  return *s = Dummy<DRAWBOT_SurfaceRef>(), 0;
}
A_Err Make(DRAWBOT_ObjectRef* object) {
  ++rec.made;
  *object = Dummy<DRAWBOT_ObjectRef>();
  return 0;
}
A_Err NewPen(DRAWBOT_SupplierRef, const DRAWBOT_ColorRGBA*, float, DRAWBOT_PenRef* pen) {
  return rec.failPen ? 5 : Make(pen);
}
A_Err NewBrush(DRAWBOT_SupplierRef, const DRAWBOT_ColorRGBA*, DRAWBOT_BrushRef* b) {
  return Make(b);
}
A_Err FontSize(DRAWBOT_SupplierRef, float* size) { return *size = 10.0f, 0; }
A_Err NewFont(DRAWBOT_SupplierRef, float, DRAWBOT_FontRef* f) { return Make(f); }
A_Err NewPath(DRAWBOT_SupplierRef, DRAWBOT_PathRef* p) { return Make(p); }
A_Err Release(DRAWBOT_ObjectRef) { return ++rec.released, 0; }
A_Err Fill(DRAWBOT_SurfaceRef, DRAWBOT_BrushRef, DRAWBOT_PathRef, DRAWBOT_FillType) { return 0; }
A_Err Stroke(DRAWBOT_SurfaceRef, DRAWBOT_PenRef, DRAWBOT_PathRef) { return 0; }
A_Err Text(DRAWBOT_SurfaceRef, DRAWBOT_BrushRef, DRAWBOT_FontRef, const DRAWBOT_UTF16Char*,
           const DRAWBOT_PointF32*, DRAWBOT_TextAlignment, DRAWBOT_TextTruncation, float) {
  return 0;
}
A_Err Point(DRAWBOT_PathRef, float x, float y) { return rec.points.push_back({x, y}), 0; }
A_Err Rect(DRAWBOT_PathRef, const DRAWBOT_RectF32* r) {
  rec.points.push_back({r->left, r->top});
  rec.points.push_back({r->left + r->width, r->top + r->height});
  return 0;
}
A_Err Arc(DRAWBOT_PathRef, const DRAWBOT_PointF32* c, float, float, float) {
  return rec.points.push_back(*c), 0;
}
A_Err Close(DRAWBOT_PathRef) { return 0; }
PF_Err Reference(const PF_ContextH, DRAWBOT_DrawRef* ref) {
  *ref = rec.nullReference ? nullptr : Dummy<DRAWBOT_DrawRef>();
  return rec.nullReference ? PF_Err_OUT_OF_MEMORY : PF_Err_NONE;
}

DRAWBOT_DrawbotSuite1 kDraw{GetSupplier, GetSurface};
DRAWBOT_SupplierSuite1 kSupplier{NewPen, NewBrush, FontSize, NewFont, NewPath, Release};
DRAWBOT_SurfaceSuite2 kSurface{Fill, Stroke, Text};
DRAWBOT_PathSuite1 kPath{Point, Point, Rect, Arc, Close};
PF_EffectCustomUISuite1 kCustomUi{Reference};

PF_Err Identity(void*, PF_ContextH, PF_FixedPoint*) { return PF_Err_NONE; }
PF_Err IdentityAt(void*, PF_ContextH, A_long, A_long, PF_FixedPoint*) { return PF_Err_NONE; }

class DrawEvents : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::LoadPlugin(host);
    SuiteTable& s = host.Suites();
    s.Add(kDRAWBOT_DrawSuite, kDRAWBOT_DrawSuite_Version1, &kDraw);
    s.Add(kDRAWBOT_SupplierSuite, kDRAWBOT_SupplierSuite_Version1, &kSupplier);
    s.Add(kDRAWBOT_SurfaceSuite, kDRAWBOT_SurfaceSuite_Version2, &kSurface);
    s.Add(kDRAWBOT_PathSuite, kDRAWBOT_PathSuite_Version1, &kPath);
    s.Add(kPFEffectCustomUISuite, kPFEffectCustomUISuiteVersion1, &kCustomUi);
    id = host.AddInstance(1920, 1080);
    ASSERT_NE(id, kNoInstance);
    ASSERT_EQ(host.SetPopup(id, kParamLayouts, testing::kLayouts31), PF_Err_NONE);
    rec = Recording{};
  }
  void TearDown() override {
    host.Shutdown();
    EXPECT_TRUE(host.Violations().empty()) << host.Violations().front();
    EXPECT_EQ(rec.made, rec.released);
  }
  PF_Err Send(PF_WindowType window, PF_EventType type, const PF_Rect& control = {0, 0, 200, 260}) {
    context.w_type = window;
    contextP = &context;
    extra = PF_EventExtra{};
    extra.contextH = &contextP;
    extra.e_type = type;
    extra.cbs = PF_EventCallbacks{nullptr, IdentityAt, IdentityAt, Identity, Identity};
    extra.effect_win.area = PF_EA_CONTROL;
    extra.effect_win.current_frame = control;
    return host.Send(id, PF_Cmd_EVENT, &extra);
  }
  SimulatedHost host;
  InstanceId id = kNoInstance;
  PF_Context context{};
  PF_Context* contextP = nullptr;
  PF_EventExtra extra{};
};

TEST_F(DrawEvents, OverlayAndChooserDrawAndReleaseEverything) {
  for (PF_WindowType window : {PF_Window_COMP, PF_Window_EFFECT}) {
    EXPECT_EQ(Send(window, PF_Event_DRAW), PF_Err_NONE);
    EXPECT_EQ(extra.evt_out_flags, PF_EO_HANDLED_EVENT);
  }
  EXPECT_GT(rec.made, 0);
}

TEST_F(DrawEvents, NullReferenceMakesNoObjects) {
  rec.nullReference = true;
  for (PF_WindowType window : {PF_Window_COMP, PF_Window_EFFECT}) {
    EXPECT_EQ(Send(window, PF_Event_DRAW), PF_Err_OUT_OF_MEMORY);
    EXPECT_EQ(extra.evt_out_flags, PF_EO_HANDLED_EVENT);
  }
  EXPECT_EQ(rec.made, 0);
}

TEST_F(DrawEvents, ObjectThatCannotBeMadeIsABadParameter) {
  rec.failPen = true;
  EXPECT_EQ(Send(PF_Window_COMP, PF_Event_DRAW), PF_Err_BAD_CALLBACK_PARAM);
}

TEST_F(DrawEvents, ScrolledChooserDrawsOnlyInsideItsControl) {
  const PF_Rect control{10, 20, 210, 280};
  // Grab the thumb and drag it 24 px down: the grid scrolls by 339 px, row 5 crosses the top.
  ASSERT_EQ(Send(PF_Window_EFFECT, PF_Event_DO_CLICK, control), PF_Err_NONE);
  extra.u.do_click.num_clicks = 1;
  extra.u.do_click.screen_point = PF_Point{205, 25};
  extra.e_type = PF_Event_DO_CLICK;
  ASSERT_EQ(host.Send(id, PF_Cmd_EVENT, &extra), PF_Err_NONE);
  ASSERT_TRUE(extra.u.do_click.send_drag);
  extra.u.do_click.screen_point.v = 49;
  ASSERT_EQ(host.Send(id, PF_Cmd_EVENT, &extra), PF_Err_NONE);
  rec.points.clear();
  ASSERT_EQ(Send(PF_Window_EFFECT, PF_Event_DRAW, control), PF_Err_NONE);
  ASSERT_FALSE(rec.points.empty());
  for (const DRAWBOT_PointF32& p : rec.points) {
    EXPECT_TRUE(p.x >= 10 && p.x <= 210 && p.y >= 20 && p.y <= 280) << p.x << "," << p.y;
  }
}

}  // namespace
}  // namespace Orvane::Mosaira
