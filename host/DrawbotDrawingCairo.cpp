// The drawing calls of the Drawbot books, on Cairo.
#include <cairo.h>

#include <algorithm>
#include <cmath>

#include "host/DrawbotBook.h"
#include "host/DrawbotText.h"

namespace Orvane::Mosaira {
namespace {

void SetSource(cairo_t* cr, const DRAWBOT_ColorRGBA& c) {
  const auto v = [](float f) { return std::clamp(double(f), 0.0, 1.0); };
  cairo_set_source_rgba(cr, v(c.red), v(c.green), v(c.blue), v(c.alpha));
}

constexpr double kRadiansPerDegree = 3.14159265358979323846 / 180.0;

bool Finite(std::initializer_list<double> values) {
  return std::all_of(values.begin(), values.end(), [](double v) { return std::isfinite(v); });
}

}  // namespace

// --- Surface suite -----------------------------------------------------------------------------

void DrawbotBook::Trace(cairo_t* cr, const Object& path) const {
  cairo_new_path(cr);
  for (const PathStep& s : path.path) {
    const double* v = s.v;
    switch (s.op) {
      case PathOp::kMove: cairo_move_to(cr, v[0], v[1]); break;
      case PathOp::kLine: cairo_line_to(cr, v[0], v[1]); break;
      case PathOp::kRect: cairo_rectangle(cr, v[0], v[1], v[2], v[3]); break;
      case PathOp::kClose: cairo_close_path(cr); break;
      case PathOp::kArc: {
        // Cairo's angles grow from +x towards +y: clockwise on the y-down screen, as Drawbot's.
        const double from = v[3] * kRadiansPerDegree, to = (v[3] + v[4]) * kRadiansPerDegree;
        if (v[4] >= 0) {
          cairo_arc(cr, v[0], v[1], v[2], from, to);
        } else {
          cairo_arc_negative(cr, v[0], v[1], v[2], from, to);
        }
        break;
      }
    }
  }
}

A_Err DrawbotBook::FillPath(DRAWBOT_SurfaceRef surface, DRAWBOT_BrushRef brush, DRAWBOT_PathRef path,
                            DRAWBOT_FillType fill) {
  std::lock_guard<std::mutex> lock(mutex_);
  cairo_t* cr = SurfaceCairo("FillPath", surface);
  const Object* b = Find("FillPath", brush, DrawbotKind::kBrush);
  const Object* p = Find("FillPath", path, DrawbotKind::kPath);
  const bool known = fill == kDRAWBOT_FillType_EvenOdd || fill == kDRAWBOT_FillType_Winding;
  if (!cr || !b || !p || !known || Failing("FillPath")) return Record("FillPath", {double(fill)}, A_Err_GENERIC);
  cairo_save(cr);
  Trace(cr, *p);
  cairo_set_fill_rule(cr, fill == kDRAWBOT_FillType_Winding ? CAIRO_FILL_RULE_WINDING : CAIRO_FILL_RULE_EVEN_ODD);
  SetSource(cr, b->color);
  cairo_fill(cr);
  cairo_restore(cr);
  return Record("FillPath", {double(fill)}, A_Err_NONE);
}

A_Err DrawbotBook::StrokePath(DRAWBOT_SurfaceRef surface, DRAWBOT_PenRef pen, DRAWBOT_PathRef path) {
  std::lock_guard<std::mutex> lock(mutex_);
  cairo_t* cr = SurfaceCairo("StrokePath", surface);
  const Object* pn = Find("StrokePath", pen, DrawbotKind::kPen);
  const Object* p = Find("StrokePath", path, DrawbotKind::kPath);
  if (!cr || !pn || !p || Failing("StrokePath")) return Record("StrokePath", {}, A_Err_GENERIC);
  cairo_save(cr);
  Trace(cr, *p);
  cairo_set_line_width(cr, pn->size);
  SetSource(cr, pn->color);
  cairo_stroke(cr);
  cairo_restore(cr);
  return Record("StrokePath", {}, A_Err_NONE);
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
  cairo_t* cr = SurfaceCairo("DrawString", surface);
  const Object* b = Find("DrawString", brush, DrawbotKind::kBrush);
  const Object* f = Find("DrawString", font, DrawbotKind::kFont);
  const bool valid = cr && b && f && text && origin && Finite({origin->x, origin->y}) &&
                     alignment >= kDRAWBOT_TextAlignment_Left && alignment <= kDRAWBOT_TextAlignment_Right &&
                     truncation >= kDRAWBOT_TextTruncation_None && truncation <= kDRAWBOT_TextTruncation_PathEllipsis &&
                     (truncation == kDRAWBOT_TextTruncation_None || std::isfinite(truncationWidth));
  if (!valid || Failing("DrawString")) return Record("DrawString", numbers, A_Err_GENERIC);
  cairo_save(cr);
  cairo_select_font_face(cr, kDefaultFontFace, CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(cr, f->size);
  std::string utf8 = detail::Utf16ToUtf8(text, kMaxTextUnits);
  // Both ellipsis kinds cut at the end: the host has no file paths to shorten in the middle.
  if (truncation != kDRAWBOT_TextTruncation_None) utf8 = detail::TruncateEnd(cr, utf8, truncationWidth);
  const double width = detail::TextWidth(cr, utf8);
  const double shift = alignment == kDRAWBOT_TextAlignment_Center ? width / 2
                       : alignment == kDRAWBOT_TextAlignment_Right ? width
                                                                   : 0.0;
  SetSource(cr, b->color);
  cairo_move_to(cr, origin->x - shift, origin->y);
  cairo_show_text(cr, utf8.c_str());
  cairo_restore(cr);
  return Record("DrawString", numbers, A_Err_NONE);
}

}  // namespace Orvane::Mosaira
