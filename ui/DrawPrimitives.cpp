#include "ui/DrawPrimitives.h"

#include "sdk/drawbot_objects.h"
#include "ui/CoordinateMapping.h"

namespace Orvane::Mosaira {
namespace {

// The surface and supplier of a drawing reference, with the first error met.
struct Target {
  DRAWBOT_SurfaceRef surface = nullptr;
  DRAWBOT_SupplierRef supplier = nullptr;
  A_Err error = A_Err_NONE;
};

Target GetTarget(DRAWBOT_DrawRef drawRef, const DRAWBOT_Suites& suites) {
  Target t;
  t.error = suites.drawbot_suiteP->GetSurface(drawRef, &t.surface);
  if (!t.error) t.error = suites.drawbot_suiteP->GetSupplier(drawRef, &t.supplier);
  return t;
}

// The hint line as UTF-16, built once from the ASCII text.
const DRAWBOT_UTF16Char* HintText16() {
  static const auto text = [] {
    struct Text {
      DRAWBOT_UTF16Char units[sizeof(kHintText)];
    } t{};
    for (size_t i = 0; i < sizeof(kHintText); ++i) t.units[i] = DRAWBOT_UTF16Char(kHintText[i]);
    return t;
  }();
  return text.units;
}

}  // namespace

PF_Err FillRect(const PF_Rect& rect, DRAWBOT_DrawRef drawRef, const DRAWBOT_Suites& suites,
                const DRAWBOT_ColorRGBA& colour) {
  const Target t = GetTarget(drawRef, suites);
  if (t.error) return t.error;
  DRAWBOT_PathP path(suites.supplier_suiteP, t.supplier);
  const DRAWBOT_RectF32 r{float(rect.left), float(rect.top),
                          float(double(rect.right) - double(rect.left)),
                          float(double(rect.bottom) - double(rect.top))};
  A_Err err = suites.path_suiteP->AddRect(path.Get(), &r);
  DRAWBOT_BrushP brush(suites.supplier_suiteP, t.supplier, &colour);
  if (!err) {
    err = suites.surface_suiteP->FillPath(t.surface, brush.Get(), path.Get(),
                                          kDRAWBOT_FillType_Winding);
  }
  return err;
}

PF_Err StrokePath(DRAWBOT_DrawRef drawRef, const DRAWBOT_Suites& suites,
                  const DRAWBOT_ColorRGBA& colour, float width, DRAWBOT_PathRef path) {
  const Target t = GetTarget(drawRef, suites);
  if (t.error) return t.error;
  DRAWBOT_PenP pen(suites.supplier_suiteP, t.supplier, &colour, width);
  return suites.surface_suiteP->StrokePath(t.surface, pen.Get(), path);
}

PF_Err DrawHintText(DRAWBOT_DrawRef drawRef, const DRAWBOT_Suites& suites,
                    const DRAWBOT_ColorRGBA& colour, const PF_Rect& rect, float fontSize) {
  const Target t = GetTarget(drawRef, suites);
  if (t.error) return t.error;
  DRAWBOT_BrushP brush(suites.supplier_suiteP, t.supplier, &colour);
  float size = fontSize;
  if (size == 0.0f) {
    const A_Err err = suites.supplier_suiteP->GetDefaultFontSize(t.supplier, &size);
    if (err) return err;
  }
  DRAWBOT_FontP font(suites.supplier_suiteP, t.supplier, size);
  const double height = double(rect.bottom) - double(rect.top);
  const DRAWBOT_PointF32 origin{float(rect.left), float(rect.top + (height - size) * 0.5 + size)};
  return suites.surface_suiteP->DrawString(
      t.surface, brush.Get(), font.Get(), HintText16(), &origin, kDRAWBOT_TextAlignment_Left,
      kDRAWBOT_TextTruncation_EndEllipsis, float(double(rect.right) - double(rect.left)));
}

PF_Err DrawFrameNumber(const PF_InData* inData, const PF_EventExtra* extra, DRAWBOT_DrawRef drawRef,
                       const DRAWBOT_Suites& suites, const DRAWBOT_ColorRGBA& colour,
                       double position[2], const DRAWBOT_UTF16Char* text) {
  const Target t = GetTarget(drawRef, suites);
  if (t.error) return t.error;
  DRAWBOT_BrushP brush(suites.supplier_suiteP, t.supplier, &colour);
  float defaultSize = 0.0f;
  const A_Err err = suites.supplier_suiteP->GetDefaultFontSize(t.supplier, &defaultSize);
  if (err) return err;
  const float size = defaultSize * 2.0f;
  if (extra) {
    const PF_Point frame = LayerToFramePoint(inData, *extra, position[0], position[1]);
    position[0] = frame.h;
    position[1] = frame.v;
  }
  DRAWBOT_FontP font(suites.supplier_suiteP, t.supplier, size);
  const DRAWBOT_PointF32 origin{float(position[0] - size * 0.5), float(position[1] + size * 0.5)};
  return suites.surface_suiteP->DrawString(t.surface, brush.Get(), font.Get(), text, &origin,
                                           kDRAWBOT_TextAlignment_Left,
                                           kDRAWBOT_TextTruncation_EndEllipsis, size * 3.0f);
}

}  // namespace Orvane::Mosaira
