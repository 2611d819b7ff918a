// The drawing calls of the Drawbot books where the host has no drawing surface (the Windows
// build): each call is checked and recorded as on Cairo and answered as drawn, but paints nothing,
// so that draw events run there and tests read what was drawn from the record. A call on a
// surface no window can have (DrawSurface's size limits) fails, as on Cairo.
#include <cmath>

#include "host/DrawbotBook.h"

namespace Orvane::Mosaira {
namespace {

// Whether `surface` is the open draw event's (`openSurface`) and its target has a size a window
// can have.
bool Drawable(DRAWBOT_SurfaceRef surface, uintptr_t openSurface, const DrawSurface* target) {
  const auto inRange = [](A_long side) { return side >= 1 && side <= DrawSurface::kMaxSide; };
  return reinterpret_cast<uintptr_t>(surface) == openSurface && target != nullptr && inRange(target->Width()) &&
         inRange(target->Height());
}

}  // namespace

A_Err DrawbotBook::FillPath(DRAWBOT_SurfaceRef surface, DRAWBOT_BrushRef brush, DRAWBOT_PathRef path,
                            DRAWBOT_FillType fill) {
  std::lock_guard<std::mutex> lock(mutex_);
  SurfaceCairo("FillPath", surface);  // notes a surface of another draw event as misuse
  const bool own = Drawable(surface, open_.surface, open_.target);
  const Object* b = Find("FillPath", brush, DrawbotKind::kBrush);
  const Object* p = Find("FillPath", path, DrawbotKind::kPath);
  const bool known = fill == kDRAWBOT_FillType_EvenOdd || fill == kDRAWBOT_FillType_Winding;
  const bool drawn = own && b && p && known && !Failing("FillPath");
  return Record("FillPath", {double(fill)}, drawn ? A_Err_NONE : A_Err_GENERIC);
}

A_Err DrawbotBook::StrokePath(DRAWBOT_SurfaceRef surface, DRAWBOT_PenRef pen, DRAWBOT_PathRef path) {
  std::lock_guard<std::mutex> lock(mutex_);
  SurfaceCairo("StrokePath", surface);
  const bool own = Drawable(surface, open_.surface, open_.target);
  const Object* pn = Find("StrokePath", pen, DrawbotKind::kPen);
  const Object* p = Find("StrokePath", path, DrawbotKind::kPath);
  const bool drawn = own && pn && p && !Failing("StrokePath");
  return Record("StrokePath", {}, drawn ? A_Err_NONE : A_Err_GENERIC);
}

A_Err DrawbotBook::DrawString(DRAWBOT_SurfaceRef surface, DRAWBOT_BrushRef brush, DRAWBOT_FontRef font,
                              const DRAWBOT_UTF16Char* text, const DRAWBOT_PointF32* origin,
                              DRAWBOT_TextAlignment alignment, DRAWBOT_TextTruncation truncation,
                              float truncationWidth) {
  std::lock_guard<std::mutex> lock(mutex_);
  size_t units = 0;
  while (text && units < kMaxTextUnits && text[units] != 0) ++units;
  std::vector<double> numbers = {origin ? origin->x : NAN, origin ? origin->y : NAN, double(alignment),
                                 double(truncation), truncationWidth, double(units)};
  for (size_t i = 0; i < units; ++i) numbers.push_back(text[i]);
  SurfaceCairo("DrawString", surface);
  const bool own = Drawable(surface, open_.surface, open_.target);
  const Object* b = Find("DrawString", brush, DrawbotKind::kBrush);
  const Object* f = Find("DrawString", font, DrawbotKind::kFont);
  const bool valid = own && b && f && text && origin && std::isfinite(origin->x) && std::isfinite(origin->y) &&
                     alignment >= kDRAWBOT_TextAlignment_Left && alignment <= kDRAWBOT_TextAlignment_Right &&
                     truncation >= kDRAWBOT_TextTruncation_None && truncation <= kDRAWBOT_TextTruncation_PathEllipsis &&
                     (truncation == kDRAWBOT_TextTruncation_None || std::isfinite(truncationWidth));
  return Record("DrawString", numbers, valid && !Failing("DrawString") ? A_Err_NONE : A_Err_GENERIC);
}

}  // namespace Orvane::Mosaira
