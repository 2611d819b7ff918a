#include "host/DrawbotBook.h"

#include <algorithm>
#include <cmath>


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

}  // namespace Orvane::Mosaira
