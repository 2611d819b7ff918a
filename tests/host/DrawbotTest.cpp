// The host's Drawbot suites: shapes and text on the draw surface, the live-object books, and
// every function failing on request. The fake effect plays the drawing effect.
#include <gtest/gtest.h>

#include <functional>
#include <string>

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
    getRefErr = ui->PF_GetDrawingReference(e->contextH, &ref);
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
  // Fills `path` with an opaque colour and releases both.
  void Fill(DRAWBOT_PathRef path, DRAWBOT_ColorRGBA c, DRAWBOT_FillType type = kDRAWBOT_FillType_Winding) const {
    DRAWBOT_BrushRef brush = nullptr;
    supply->NewBrush(supplier, &c, &brush);
    surf->FillPath(surface, brush, path, type);
    Free(brush);
    Free(path);
  }

  PF_InData* in;
  const void* Get(const char* name, A_long v) { return Acquire(in, name, v); }
  const DRAWBOT_DrawbotSuite1* draw = static_cast<const DRAWBOT_DrawbotSuite1*>(Get(kDRAWBOT_DrawSuite, 1));
  const DRAWBOT_SupplierSuite1* supply = static_cast<const DRAWBOT_SupplierSuite1*>(Get(kDRAWBOT_SupplierSuite, 1));
  const DRAWBOT_SurfaceSuite2* surf = static_cast<const DRAWBOT_SurfaceSuite2*>(Get(kDRAWBOT_SurfaceSuite, 2));
  const DRAWBOT_PathSuite1* path = static_cast<const DRAWBOT_PathSuite1*>(Get(kDRAWBOT_PathSuite, 1));
  const PF_EffectCustomUISuite1* ui = nullptr;
  PF_Err getRefErr = PF_Err_NONE;
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
  // Draws with `body` in a draw event of the composition window; the host's surface afterwards.
  DrawSurface& DrawWith(std::function<void(Drawing&)> body) {
    On(PF_Cmd_EVENT, [body](PF_InData* in, PF_OutData*, PF_ParamDef**, void* extra) {
      Drawing d(in, static_cast<PF_EventExtra*>(extra));
      body(d);
    });
    host.Ui().Draw(id, PF_Window_COMP);
    return *host.Ui().LastSurface();
  }
};

// Columns of the surface with ink, as [first, last]; {-1, -1} when none.
std::pair<A_long, A_long> InkColumns(const DrawSurface& s) {
  std::pair<A_long, A_long> ink{-1, -1};
  for (A_long x = 0; x < s.Width(); ++x) {
    for (A_long y = 0; y < s.Height(); ++y) {
      if (s.Pixel(x, y).alpha == 0) continue;
      if (ink.first < 0) ink.first = x;
      ink.second = x;
    }
  }
  return ink;
}

TEST_F(DrawbotTest, TextIsCutWithAnEllipsisToFitTheWidth) {
  const std::u16string text = u"Double click to load layout";
  for (DRAWBOT_TextTruncation truncation : {kDRAWBOT_TextTruncation_None, kDRAWBOT_TextTruncation_EndEllipsis}) {
    DrawSurface& s = DrawWith([&](Drawing& d) {
      DRAWBOT_BrushRef brush = nullptr;
      DRAWBOT_FontRef font = nullptr;
      float size = 0;
      d.supply->NewBrush(d.supplier, &kRed, &brush);
      d.supply->GetDefaultFontSize(d.supplier, &size);
      d.supply->NewDefaultFont(d.supplier, size, &font);
      const DRAWBOT_PointF32 origin{10, 50};
      d.surf->DrawString(d.surface, brush, font, reinterpret_cast<const DRAWBOT_UTF16Char*>(text.c_str()), &origin,
                         kDRAWBOT_TextAlignment_Left, truncation, 60);
      d.Free(brush);
      d.Free(font);
    });
    const auto [first, last] = InkColumns(s);
    ASSERT_GE(first, 10);
    if (truncation == kDRAWBOT_TextTruncation_None) {
      EXPECT_GT(last, 80);  // the whole text is far wider than 60 pixels
    } else {
      EXPECT_LE(last, 70);
      EXPECT_GT(last, 50);  // as much text as fits, not less
    }
  }
  EXPECT_TRUE(host.Violations().empty());
}

TEST_F(DrawbotTest, LeakedObjectIsReportedAfterTheEvent) {
  DrawWith([](Drawing& d) {
    DRAWBOT_PenRef pen = nullptr;
    d.supply->NewPen(d.supplier, &kRed, 1, &pen);
  });
  EXPECT_TRUE(Reported("1 Drawbot object(s) not released (pen)"));
  EXPECT_EQ(host.Ui().Drawbot().LiveObjects(), 0u);
}

TEST_F(DrawbotTest, ObjectOfTheWrongKindIsRefusedAndReported) {
  A_Err err = A_Err_NONE;
  DrawWith([&](Drawing& d) {
    DRAWBOT_PenRef pen = nullptr;
    DRAWBOT_PathRef path = nullptr;
    d.supply->NewPen(d.supplier, &kRed, 1, &pen);
    d.supply->NewPath(d.supplier, &path);
    err = d.surf->FillPath(d.surface, pen, path, kDRAWBOT_FillType_Winding);
    d.Free(pen);
    d.Free(path);
  });
  EXPECT_NE(err, A_Err_NONE);
  EXPECT_TRUE(Reported("a pen where a brush is due"));
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
  host.ClearFaults();
  host.Faults().FailAll("PF_GetDrawingReference", true);
  PF_Err refErr = PF_Err_NONE;
  DrawWith([&](Drawing& d) { refErr = d.getRefErr; });
  EXPECT_NE(refErr, PF_Err_NONE);
}

TEST_F(DrawbotTest, BackgroundColourIsSettableAndCanFail) {
  PF_App_Color seen{};
  PF_Err err = PF_Err_NONE;
  On(PF_Cmd_UPDATE_PARAMS_UI, [&](PF_InData* in, PF_OutData*, PF_ParamDef**, void*) {
    auto* app = static_cast<const PF_AppSuite6*>(Acquire(in, kPFAppSuite, 6));
    err = app->PF_AppGetBgColor(&seen);
    Release(in, kPFAppSuite, 6);
  });
  host.Ui().SetBackground({1, 2, 3});
  host.Send(id, PF_Cmd_UPDATE_PARAMS_UI);
  EXPECT_EQ(err, PF_Err_NONE);
  EXPECT_EQ(seen.blue, 3);
  host.Faults().Fail("PF_AppGetBgColor", 0);
  host.Send(id, PF_Cmd_UPDATE_PARAMS_UI);
  EXPECT_NE(err, PF_Err_NONE);
}

}  // namespace
}  // namespace Orvane::Mosaira
