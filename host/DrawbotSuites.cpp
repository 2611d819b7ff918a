// The C function tables of the Drawbot suites and of "PF Effect Custom UI Suite" 1: each serves
// the host of the calling thread (HostCallbacks::Current) and forwards to its books.
#include "host/HostCallbacks.h"
#include "host/HostUi.h"
#include "host/SuiteTable.h"

namespace Orvane::Mosaira {
namespace {

using detail::HostCallbacks;

// Calls `work` on the current host's Drawbot books; A_Err_GENERIC when no host serves the thread.
template <typename Work>
A_Err WithBook(Work&& work) {
  SimulatedHost* host = HostCallbacks::Current();
  return host ? work(host->Ui().Drawbot()) : A_Err_GENERIC;
}

A_Err GetSupplier(DRAWBOT_DrawRef d, DRAWBOT_SupplierRef* s) {
  return WithBook([&](DrawbotBook& b) { return b.GetSupplier(d, s); });
}
A_Err GetSurface(DRAWBOT_DrawRef d, DRAWBOT_SurfaceRef* s) {
  return WithBook([&](DrawbotBook& b) { return b.GetSurface(d, s); });
}
A_Err NewPen(DRAWBOT_SupplierRef s, const DRAWBOT_ColorRGBA* c, float size, DRAWBOT_PenRef* p) {
  return WithBook([&](DrawbotBook& b) { return b.NewPen(s, c, size, p); });
}
A_Err NewBrush(DRAWBOT_SupplierRef s, const DRAWBOT_ColorRGBA* c, DRAWBOT_BrushRef* br) {
  return WithBook([&](DrawbotBook& b) { return b.NewBrush(s, c, br); });
}
A_Err GetDefaultFontSize(DRAWBOT_SupplierRef s, float* size) {
  return WithBook([&](DrawbotBook& b) { return b.GetDefaultFontSize(s, size); });
}
A_Err NewDefaultFont(DRAWBOT_SupplierRef s, float size, DRAWBOT_FontRef* f) {
  return WithBook([&](DrawbotBook& b) { return b.NewDefaultFont(s, size, f); });
}
A_Err NewPath(DRAWBOT_SupplierRef s, DRAWBOT_PathRef* p) {
  return WithBook([&](DrawbotBook& b) { return b.NewPath(s, p); });
}
A_Err ReleaseObject(DRAWBOT_ObjectRef o) {
  return WithBook([&](DrawbotBook& b) { return b.ReleaseObject(o); });
}
A_Err FillPath(DRAWBOT_SurfaceRef s, DRAWBOT_BrushRef br, DRAWBOT_PathRef p, DRAWBOT_FillType t) {
  return WithBook([&](DrawbotBook& b) { return b.FillPath(s, br, p, t); });
}
A_Err StrokePath(DRAWBOT_SurfaceRef s, DRAWBOT_PenRef pen, DRAWBOT_PathRef p) {
  return WithBook([&](DrawbotBook& b) { return b.StrokePath(s, pen, p); });
}
A_Err DrawString(DRAWBOT_SurfaceRef s, DRAWBOT_BrushRef br, DRAWBOT_FontRef f, const DRAWBOT_UTF16Char* text,
                 const DRAWBOT_PointF32* origin, DRAWBOT_TextAlignment a, DRAWBOT_TextTruncation t, float width) {
  return WithBook([&](DrawbotBook& b) { return b.DrawString(s, br, f, text, origin, a, t, width); });
}
A_Err MoveTo(DRAWBOT_PathRef p, float x, float y) {
  return WithBook([&](DrawbotBook& b) { return b.MoveTo(p, x, y); });
}
A_Err LineTo(DRAWBOT_PathRef p, float x, float y) {
  return WithBook([&](DrawbotBook& b) { return b.LineTo(p, x, y); });
}
A_Err AddRect(DRAWBOT_PathRef p, const DRAWBOT_RectF32* r) {
  return WithBook([&](DrawbotBook& b) { return b.AddRect(p, r); });
}
A_Err AddArc(DRAWBOT_PathRef p, const DRAWBOT_PointF32* c, float radius, float start, float sweep) {
  return WithBook([&](DrawbotBook& b) { return b.AddArc(p, c, radius, start, sweep); });
}
A_Err Close(DRAWBOT_PathRef p) {
  return WithBook([&](DrawbotBook& b) { return b.Close(p); });
}

PF_Err GetDrawingReference(const PF_ContextH context, DRAWBOT_DrawRef* drawRef) {
  SimulatedHost* host = HostCallbacks::Current();
  if (drawRef != nullptr) *drawRef = nullptr;
  if (host == nullptr || drawRef == nullptr) return PF_Err_BAD_CALLBACK_PARAM;
  if (host->Faults().ShouldFail("PF_GetDrawingReference")) return PF_Err_OUT_OF_MEMORY;
  *drawRef = host->Ui().Drawbot().DrawRefFor(context);
  return *drawRef ? PF_Err_NONE : PF_Err_BAD_CALLBACK_PARAM;  // no draw event open for the context
}

DRAWBOT_DrawbotSuite1 kDrawSuite = {GetSupplier, GetSurface};
DRAWBOT_SupplierSuite1 kSupplierSuite = {NewPen, NewBrush, GetDefaultFontSize, NewDefaultFont, NewPath,
                                         ReleaseObject};
DRAWBOT_SurfaceSuite2 kSurfaceSuite = {FillPath, StrokePath, DrawString};
DRAWBOT_PathSuite1 kPathSuite = {MoveTo, LineTo, AddRect, AddArc, Close};
const PF_EffectCustomUISuite1 kCustomUiSuite = {GetDrawingReference};

}  // namespace

void HostUi::RegisterSuites(SuiteTable* suites) {
  suites->Add(kDRAWBOT_DrawSuite, kDRAWBOT_DrawSuite_Version1, &kDrawSuite);
  suites->Add(kDRAWBOT_SupplierSuite, kDRAWBOT_SupplierSuite_Version1, &kSupplierSuite);
  suites->Add(kDRAWBOT_SurfaceSuite, kDRAWBOT_SurfaceSuite_Version2, &kSurfaceSuite);
  suites->Add(kDRAWBOT_PathSuite, kDRAWBOT_PathSuite_Version1, &kPathSuite);
  suites->Add(kPFEffectCustomUISuite, kPFEffectCustomUISuiteVersion1, &kCustomUiSuite);
}

}  // namespace Orvane::Mosaira
