#include "host/DrawbotBook.h"

#include <algorithm>
#include <cmath>

#include "host/DrawbotText.h"

namespace Orvane::Mosaira {
namespace {

const char* KindName(DrawbotKind kind) {
  switch (kind) {
    case DrawbotKind::kPen: return "pen";
    case DrawbotKind::kBrush: return "brush";
    case DrawbotKind::kFont: return "font";
    case DrawbotKind::kPath: return "path";
  }
  return "object";
}

uintptr_t Token(const void* ref) { return reinterpret_cast<uintptr_t>(ref); }

template <typename Ref>
Ref AsRef(uintptr_t token) {
  return reinterpret_cast<Ref>(token);
}

bool Finite(std::initializer_list<double> values) {
  return std::all_of(values.begin(), values.end(), [](double v) { return std::isfinite(v); });
}

bool ValidColor(const DRAWBOT_ColorRGBA* c) {
  return c != nullptr && Finite({c->red, c->green, c->blue, c->alpha});
}

std::vector<double> ColorNumbers(const DRAWBOT_ColorRGBA* c) {
  return c ? std::vector<double>{c->red, c->green, c->blue, c->alpha} : std::vector<double>{};
}

void SetSource(cairo_t* cr, const DRAWBOT_ColorRGBA& c) {
  const auto v = [](float f) { return std::clamp(double(f), 0.0, 1.0); };
  cairo_set_source_rgba(cr, v(c.red), v(c.green), v(c.blue), v(c.alpha));
}

constexpr double kRadiansPerDegree = 3.14159265358979323846 / 180.0;

}  // namespace

// --- Books -------------------------------------------------------------------------------------

const std::vector<std::string>& DrawbotBook::FunctionNames() {
  static const std::vector<std::string> names = {
      "DRAWBOT_GetSupplier", "DRAWBOT_GetSurface",     "DRAWBOT_NewPen",        "DRAWBOT_NewBrush",
      "DRAWBOT_GetDefaultFontSize", "DRAWBOT_NewDefaultFont", "DRAWBOT_NewPath", "DRAWBOT_ReleaseObject",
      "DRAWBOT_FillPath",    "DRAWBOT_StrokePath",     "DRAWBOT_DrawString",    "DRAWBOT_MoveTo",
      "DRAWBOT_LineTo",      "DRAWBOT_AddRect",        "DRAWBOT_AddArc",        "DRAWBOT_Close"};
  return names;
}

void DrawbotBook::BeginDraw(PF_ContextH context, DrawSurface* surface) {
  std::lock_guard<std::mutex> lock(mutex_);
  open_.draw = nextToken_++ * 16;
  open_.supplier = nextToken_++ * 16;
  open_.surface = nextToken_++ * 16;
  open_.context = context;
  open_.target = surface;
}

DRAWBOT_DrawRef DrawbotBook::DrawRefFor(PF_ContextH context) const {
  std::lock_guard<std::mutex> lock(mutex_);
  return open_.draw != 0 && context != nullptr && context == open_.context ? AsRef<DRAWBOT_DrawRef>(open_.draw)
                                                                           : nullptr;
}

std::vector<std::string> DrawbotBook::EndCommand() {
  std::lock_guard<std::mutex> lock(mutex_);
  open_ = Draw{};
  if (!objects_.empty()) {
    std::string kinds;
    for (const auto& entry : objects_) kinds += std::string(kinds.empty() ? "" : ", ") + KindName(entry.second.kind);
    misuse_.push_back(std::to_string(objects_.size()) + " Drawbot object(s) not released (" + kinds + ")");
    objects_.clear();
  }
  std::vector<std::string> lines;
  lines.swap(misuse_);
  return lines;
}

size_t DrawbotBook::LiveObjects() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return objects_.size();
}

bool DrawbotBook::Failing(const char* function) {
  return faults_ != nullptr && faults_->ShouldFail(std::string("DRAWBOT_") + function);
}

A_Err DrawbotBook::Record(const char* function, std::vector<double> numbers, A_Err result) {
  calls_.push_back({function, std::move(numbers), result});
  return result;
}

void DrawbotBook::Misuse(const std::string& text) { misuse_.push_back("Drawbot " + text); }

bool DrawbotBook::ValidSupplier(const char* function, DRAWBOT_SupplierRef supplier) {
  if (supplier != nullptr && Token(supplier) == open_.supplier) return true;
  Misuse(std::string(function) + ": supplier not of the open draw event");
  return false;
}

cairo_t* DrawbotBook::SurfaceCairo(const char* function, DRAWBOT_SurfaceRef surface) {
  if (surface == nullptr || Token(surface) != open_.surface) {
    Misuse(std::string(function) + ": surface not of the open draw event");
    return nullptr;
  }
  return open_.target ? open_.target->Cairo() : nullptr;
}

DrawbotBook::Object* DrawbotBook::Find(const char* function, DRAWBOT_ObjectRef ref, DrawbotKind kind) {
  auto it = objects_.find(Token(ref));
  if (it == objects_.end()) {
    Misuse(std::string(function) + ": unknown or released " + KindName(kind));
    return nullptr;
  }
  if (it->second.kind != kind) {
    Misuse(std::string(function) + ": a " + KindName(it->second.kind) + " where a " + KindName(kind) + " is due");
    return nullptr;
  }
  return &it->second;
}

DRAWBOT_ObjectRef DrawbotBook::Add(Object object) {
  const uintptr_t token = nextToken_++ * 16;
  objects_.emplace(token, std::move(object));
  return AsRef<DRAWBOT_ObjectRef>(token);
}

// --- Draw suite --------------------------------------------------------------------------------

A_Err DrawbotBook::GetSupplier(DRAWBOT_DrawRef draw, DRAWBOT_SupplierRef* supplier) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (supplier) *supplier = nullptr;
  const bool valid = draw != nullptr && Token(draw) == open_.draw;
  if (!valid) Misuse("GetSupplier: draw reference used outside its draw event");
  if (!valid || supplier == nullptr || Failing("GetSupplier")) return Record("GetSupplier", {}, A_Err_GENERIC);
  *supplier = AsRef<DRAWBOT_SupplierRef>(open_.supplier);
  return Record("GetSupplier", {}, A_Err_NONE);
}

A_Err DrawbotBook::GetSurface(DRAWBOT_DrawRef draw, DRAWBOT_SurfaceRef* surface) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (surface) *surface = nullptr;
  const bool valid = draw != nullptr && Token(draw) == open_.draw;
  if (!valid) Misuse("GetSurface: draw reference used outside its draw event");
  if (!valid || surface == nullptr || Failing("GetSurface")) return Record("GetSurface", {}, A_Err_GENERIC);
  *surface = AsRef<DRAWBOT_SurfaceRef>(open_.surface);
  return Record("GetSurface", {}, A_Err_NONE);
}

// --- Supplier suite ----------------------------------------------------------------------------

A_Err DrawbotBook::NewPen(DRAWBOT_SupplierRef supplier, const DRAWBOT_ColorRGBA* color, float size,
                          DRAWBOT_PenRef* pen) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (pen) *pen = nullptr;
  std::vector<double> numbers = ColorNumbers(color);
  numbers.push_back(size);
  const bool valid = ValidSupplier("NewPen", supplier) && pen && ValidColor(color) && std::isfinite(size) &&
                     size >= 0 && size <= kMaxSizePx;
  if (!valid || Failing("NewPen")) return Record("NewPen", numbers, A_Err_GENERIC);
  *pen = Add({DrawbotKind::kPen, *color, size, {}});
  return Record("NewPen", numbers, A_Err_NONE);
}

A_Err DrawbotBook::NewBrush(DRAWBOT_SupplierRef supplier, const DRAWBOT_ColorRGBA* color, DRAWBOT_BrushRef* brush) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (brush) *brush = nullptr;
  const bool valid = ValidSupplier("NewBrush", supplier) && brush && ValidColor(color);
  if (!valid || Failing("NewBrush")) return Record("NewBrush", ColorNumbers(color), A_Err_GENERIC);
  *brush = Add({DrawbotKind::kBrush, *color, 0, {}});
  return Record("NewBrush", ColorNumbers(color), A_Err_NONE);
}

A_Err DrawbotBook::GetDefaultFontSize(DRAWBOT_SupplierRef supplier, float* size) {
  std::lock_guard<std::mutex> lock(mutex_);
  const bool valid = ValidSupplier("GetDefaultFontSize", supplier) && size;
  if (!valid || Failing("GetDefaultFontSize")) return Record("GetDefaultFontSize", {}, A_Err_GENERIC);
  *size = kDefaultFontSize;
  return Record("GetDefaultFontSize", {kDefaultFontSize}, A_Err_NONE);
}

A_Err DrawbotBook::NewDefaultFont(DRAWBOT_SupplierRef supplier, float size, DRAWBOT_FontRef* font) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (font) *font = nullptr;
  const bool valid = ValidSupplier("NewDefaultFont", supplier) && font && std::isfinite(size) && size > 0 &&
                     size <= kMaxSizePx;
  if (!valid || Failing("NewDefaultFont")) return Record("NewDefaultFont", {size}, A_Err_GENERIC);
  *font = Add({DrawbotKind::kFont, {}, size, {}});
  return Record("NewDefaultFont", {size}, A_Err_NONE);
}

A_Err DrawbotBook::NewPath(DRAWBOT_SupplierRef supplier, DRAWBOT_PathRef* path) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (path) *path = nullptr;
  if (!ValidSupplier("NewPath", supplier) || !path || Failing("NewPath")) return Record("NewPath", {}, A_Err_GENERIC);
  *path = Add({DrawbotKind::kPath, {}, 0, {}});
  return Record("NewPath", {}, A_Err_NONE);
}

A_Err DrawbotBook::ReleaseObject(DRAWBOT_ObjectRef object) {
  std::lock_guard<std::mutex> lock(mutex_);
  // An injected failure still frees the object: the fault is the host's, not a leak of the caller.
  const bool failing = Failing("ReleaseObject");
  if (objects_.erase(Token(object)) == 0) {
    Misuse("ReleaseObject: unknown or already released object");
    return Record("ReleaseObject", {}, A_Err_GENERIC);
  }
  return Record("ReleaseObject", {}, failing ? A_Err_GENERIC : A_Err_NONE);
}

// --- Path suite --------------------------------------------------------------------------------

A_Err DrawbotBook::AddStep(const char* function, DRAWBOT_PathRef path, PathStep step) {
  const std::vector<double> numbers(std::begin(step.v), std::end(step.v));
  const size_t used = step.op == PathOp::kClose ? 0 : step.op == PathOp::kMove || step.op == PathOp::kLine ? 2
                      : step.op == PathOp::kRect                                                     ? 4
                                                                                                      : 5;
  const std::vector<double> key(numbers.begin(), numbers.begin() + long(used));
  Object* object = Find(function, path, DrawbotKind::kPath);
  const bool valid = object && std::all_of(key.begin(), key.end(), [](double v) { return std::isfinite(v); });
  if (!valid || Failing(function)) return Record(function, key, A_Err_GENERIC);
  object->path.push_back(step);
  return Record(function, key, A_Err_NONE);
}

A_Err DrawbotBook::MoveTo(DRAWBOT_PathRef path, float x, float y) {
  std::lock_guard<std::mutex> lock(mutex_);
  return AddStep("MoveTo", path, {PathOp::kMove, {x, y, 0, 0, 0}});
}

A_Err DrawbotBook::LineTo(DRAWBOT_PathRef path, float x, float y) {
  std::lock_guard<std::mutex> lock(mutex_);
  return AddStep("LineTo", path, {PathOp::kLine, {x, y, 0, 0, 0}});
}

A_Err DrawbotBook::AddRect(DRAWBOT_PathRef path, const DRAWBOT_RectF32* rect) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (rect == nullptr) return Record("AddRect", {}, A_Err_GENERIC);
  return AddStep("AddRect", path, {PathOp::kRect, {rect->left, rect->top, rect->width, rect->height, 0}});
}

A_Err DrawbotBook::AddArc(DRAWBOT_PathRef path, const DRAWBOT_PointF32* centre, float radius, float start,
                          float sweep) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (centre == nullptr || !(radius >= 0)) return Record("AddArc", {}, A_Err_GENERIC);
  return AddStep("AddArc", path, {PathOp::kArc, {centre->x, centre->y, radius, start, sweep}});
}

A_Err DrawbotBook::Close(DRAWBOT_PathRef path) {
  std::lock_guard<std::mutex> lock(mutex_);
  return AddStep("Close", path, {PathOp::kClose, {0, 0, 0, 0, 0}});
}

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
