// The host's Drawbot books: misused objects and draw references are reported, and every function
// fails on request (the plug-in's failing-call sweeps rely on it). What the plug-in draws through
// them is checked in tests/controls. The fake effect plays the drawing effect.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>

#include "FakeEffect.h"
#include "host/HostUi.h"
#include "host/SimulatedHost.h"

namespace Orvane::Mosaira {
namespace {

using namespace test;

// The suites and the draw reference of one draw event, released at the end of the scope.
struct Drawing {
  Drawing(PF_InData* in, PF_EventExtra* e) : in(in) {
    ui = static_cast<const PF_EffectCustomUISuite1*>(Acquire(in, kPFEffectCustomUISuite, 1));
    ui->PF_GetDrawingReference(e->contextH, &ref);
    draw->GetSupplier(ref, &supplier);
    draw->GetSurface(ref, &surface);
  }
  ~Drawing() {
    Release(in, kDRAWBOT_DrawSuite, 1);
    Release(in, kDRAWBOT_SupplierSuite, 1);
    Release(in, kDRAWBOT_SurfaceSuite, 2);
    Release(in, kDRAWBOT_PathSuite, 1);
    Release(in, kPFEffectCustomUISuite, 1);
  }
  Drawing(const Drawing&) = delete;
  Drawing& operator=(const Drawing&) = delete;

  void Free(DRAWBOT_ObjectRef o) const {
    if (o) supply->ReleaseObject(o);
  }

  PF_InData* in;
  const void* Get(const char* name, A_long v) { return Acquire(in, name, v); }
  const DRAWBOT_DrawbotSuite1* draw = static_cast<const DRAWBOT_DrawbotSuite1*>(Get(kDRAWBOT_DrawSuite, 1));
  const DRAWBOT_SupplierSuite1* supply = static_cast<const DRAWBOT_SupplierSuite1*>(Get(kDRAWBOT_SupplierSuite, 1));
  const DRAWBOT_SurfaceSuite2* surf = static_cast<const DRAWBOT_SurfaceSuite2*>(Get(kDRAWBOT_SurfaceSuite, 2));
  const DRAWBOT_PathSuite1* path = static_cast<const DRAWBOT_PathSuite1*>(Get(kDRAWBOT_PathSuite, 1));
  const PF_EffectCustomUISuite1* ui = nullptr;
  DRAWBOT_DrawRef ref = nullptr;
  DRAWBOT_SupplierRef supplier = nullptr;
  DRAWBOT_SurfaceRef surface = nullptr;
};

constexpr DRAWBOT_ColorRGBA kRed{1, 0, 0, 1};

class DrawbotTest : public FakeHostTest {
 protected:
  void SetUp() override {
    FakeHostTest::SetUp();
    id = host.AddInstance(100, 100);
  }
  // Draws with `body` in a draw event of the composition window.
  void DrawWith(std::function<void(Drawing&)> body) {
    On(PF_Cmd_EVENT, [body](PF_InData* in, PF_OutData*, PF_ParamDef**, void* extra) {
      Drawing d(in, static_cast<PF_EventExtra*>(extra));
      body(d);
    });
    host.Ui().Draw(id, PF_Window_COMP);
  }
};

// Each misuse of the Drawbot objects, and the words the host's report must hold for it.
TEST_F(DrawbotTest, ObjectMisuseIsRefusedAndReported) {
  const std::pair<std::function<void(Drawing&)>, const char*> cases[] = {
      {[](Drawing& d) {
         DRAWBOT_PenRef pen = nullptr;
         d.supply->NewPen(d.supplier, &kRed, 1, &pen);
       },
       "1 Drawbot object(s) not released (pen)"},
      {[](Drawing& d) {
         DRAWBOT_PenRef pen = nullptr;
         DRAWBOT_PathRef path = nullptr;
         d.supply->NewPen(d.supplier, &kRed, 1, &pen);
         d.supply->NewPath(d.supplier, &path);
         EXPECT_NE(d.surf->FillPath(d.surface, pen, path, kDRAWBOT_FillType_Winding), A_Err_NONE);
         d.Free(pen);
         d.Free(path);
       },
       "a pen where a brush is due"},
  };
  for (const auto& [body, report] : cases) {
    host.ClearViolations();
    DrawWith(body);
    EXPECT_TRUE(Reported(report)) << report;
    EXPECT_EQ(host.Ui().Drawbot().LiveObjects(), 0u);
  }
}

TEST_F(DrawbotTest, DrawReferenceIsDeadAfterItsEvent) {
  DRAWBOT_DrawRef kept = nullptr;
  DrawWith([&](Drawing& d) { kept = d.ref; });
  ASSERT_NE(kept, nullptr);
  A_Err err = A_Err_NONE;
  On(PF_Cmd_UPDATE_PARAMS_UI, [&](PF_InData* in, PF_OutData*, PF_ParamDef**, void*) {
    auto* draw = static_cast<const DRAWBOT_DrawbotSuite1*>(Acquire(in, kDRAWBOT_DrawSuite, 1));
    DRAWBOT_SupplierRef supplier = nullptr;
    err = draw->GetSupplier(kept, &supplier);
    Release(in, kDRAWBOT_DrawSuite, 1);
  });
  host.Send(id, PF_Cmd_UPDATE_PARAMS_UI);
  EXPECT_NE(err, A_Err_NONE);
  EXPECT_TRUE(Reported("draw reference used outside its draw event"));
}

// Calls every Drawbot function once, releasing whatever was made.
void DrawEverything(Drawing& d) {
  DRAWBOT_PenRef pen = nullptr;
  DRAWBOT_BrushRef brush = nullptr;
  DRAWBOT_FontRef font = nullptr;
  DRAWBOT_PathRef path = nullptr;
  float size = 0;
  d.supply->NewPen(d.supplier, &kRed, 1, &pen);
  d.supply->NewBrush(d.supplier, &kRed, &brush);
  d.supply->GetDefaultFontSize(d.supplier, &size);
  d.supply->NewDefaultFont(d.supplier, 12, &font);
  d.supply->NewPath(d.supplier, &path);
  const DRAWBOT_RectF32 rect{1, 1, 5, 5};
  const DRAWBOT_PointF32 centre{20, 20};
  d.path->MoveTo(path, 1, 1);
  d.path->LineTo(path, 9, 9);
  d.path->AddRect(path, &rect);
  d.path->AddArc(path, &centre, 4, 0, 90);
  d.path->Close(path);
  d.surf->FillPath(d.surface, brush, path, kDRAWBOT_FillType_Winding);
  d.surf->StrokePath(d.surface, pen, path);
  const DRAWBOT_UTF16Char text[] = {'1', 0};
  d.surf->DrawString(d.surface, brush, font, text, &centre, kDRAWBOT_TextAlignment_Left,
                     kDRAWBOT_TextTruncation_None, 0);
  for (DRAWBOT_ObjectRef o : {pen, brush, font, path}) d.Free(o);
}

TEST_F(DrawbotTest, EveryFunctionFailsWhenTold) {
  for (const std::string& name : DrawbotBook::FunctionNames()) {
    host.ClearFaults();
    host.Ui().Drawbot().ClearCalls();
    host.Faults().FailAll(name, true);
    DrawWith(DrawEverything);
    bool failed = false;
    for (const DrawbotCall& c : host.Ui().Drawbot().Calls()) {
      failed |= "DRAWBOT_" + c.function == name && c.result != A_Err_NONE;
    }
    EXPECT_TRUE(failed) << name;
    EXPECT_EQ(host.Ui().Drawbot().LiveObjects(), 0u) << name;
  }
}

}  // namespace
}  // namespace Orvane::Mosaira
