// The host's Drawbot: the four Drawbot suites ("DRAWBOT Draw Suite" 1, "DRAWBOT Supplier Suite" 1,
// "DRAWBOT Surface Suite" 2, "DRAWBOT Path Suite" 1) drawing with Cairo on the DrawSurface of one
// draw event (the Windows build, without Cairo, only records the drawing calls), with the books a
// careful host keeps:
// - a table of live objects (pens, brushes, fonts, paths): every call checks that its object is
//   live and of the kind it expects; objects still live when a command ends are leaks;
// - the draw, supplier and surface references of the open draw event only; any use of them after
//   the event (or of an object from another kind's slot) is misuse;
// - a record of every call (function name, key numbers, result) for tests;
// - fault injection: each function fails on request through the host's CallFaults under the
//   name "DRAWBOT_<function>" (see FunctionNames()).
// Misuse lines are collected by the host after every command into its Violations().
//
// Geometry: frame pixels of the window, y down. AddArc angles are degrees, 0 along +x, growing
// clockwise on screen; a positive sweep turns clockwise. A failing call returns A_Err_GENERIC,
// writes null to its out-parameter and draws nothing.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "host/CallFaults.h"
#include "host/DrawSurface.h"
#include "sdk/sdk.h"

namespace Orvane::Mosaira {

enum class DrawbotKind { kPen, kBrush, kFont, kPath };

// One Drawbot call as the effect made it. Numbers by function: NewPen r, g, b, a, width;
// NewBrush r, g, b, a; NewDefaultFont / GetDefaultFontSize size; MoveTo / LineTo x, y; AddRect
// left, top, width, height; AddArc cx, cy, radius, start, sweep; FillPath fill type; DrawString
// x, y, alignment, truncation, width, number of text units, the units; the others none.
struct DrawbotCall {
  std::string function;
  std::vector<double> numbers;
  A_Err result;
};

class DrawbotBook {
 public:
  // The default font: a face Debian ships (fonts-dejavu-core), at this size in pixels.
  static constexpr float kDefaultFontSize = 12.0f;
  static constexpr const char* kDefaultFontFace = "DejaVu Sans";
  // Longest text DrawString reads, in UTF-16 units (a longer text is cut there).
  static constexpr size_t kMaxTextUnits = 4096;
  // Largest pen width and font size accepted, pixels.
  static constexpr float kMaxSizePx = 4096.0f;

  explicit DrawbotBook(CallFaults* faults) : faults_(faults) {}
  DrawbotBook(const DrawbotBook&) = delete;
  DrawbotBook& operator=(const DrawbotBook&) = delete;

  // Fault names of every suite function.
  static const std::vector<std::string>& FunctionNames();

  // Opens the drawing of one draw event of `context` on `surface` (not owned; it must outlive the
  // event). A draw left open is ended first.
  void BeginDraw(PF_ContextH context, DrawSurface* surface);
  // The draw reference of `context`'s open draw event; null when none is open for it.
  DRAWBOT_DrawRef DrawRefFor(PF_ContextH context) const;
  // Ends the command: the open draw event's references stop being valid and objects still live
  // are released and reported as leaks. Returns the misuse lines gathered since the last call.
  std::vector<std::string> EndCommand();

  const std::vector<DrawbotCall>& Calls() const { return calls_; }
  void ClearCalls() { calls_.clear(); }
  size_t LiveObjects() const;

  // The suite functions' work (the C tables forward here).
  A_Err GetSupplier(DRAWBOT_DrawRef draw, DRAWBOT_SupplierRef* supplier);
  A_Err GetSurface(DRAWBOT_DrawRef draw, DRAWBOT_SurfaceRef* surface);
  A_Err NewPen(DRAWBOT_SupplierRef supplier, const DRAWBOT_ColorRGBA* color, float size, DRAWBOT_PenRef* pen);
  A_Err NewBrush(DRAWBOT_SupplierRef supplier, const DRAWBOT_ColorRGBA* color, DRAWBOT_BrushRef* brush);
  A_Err GetDefaultFontSize(DRAWBOT_SupplierRef supplier, float* size);
  A_Err NewDefaultFont(DRAWBOT_SupplierRef supplier, float size, DRAWBOT_FontRef* font);
  A_Err NewPath(DRAWBOT_SupplierRef supplier, DRAWBOT_PathRef* path);
  A_Err ReleaseObject(DRAWBOT_ObjectRef object);
  A_Err FillPath(DRAWBOT_SurfaceRef surface, DRAWBOT_BrushRef brush, DRAWBOT_PathRef path, DRAWBOT_FillType fill);
  A_Err StrokePath(DRAWBOT_SurfaceRef surface, DRAWBOT_PenRef pen, DRAWBOT_PathRef path);
  A_Err DrawString(DRAWBOT_SurfaceRef surface, DRAWBOT_BrushRef brush, DRAWBOT_FontRef font,
                   const DRAWBOT_UTF16Char* text, const DRAWBOT_PointF32* origin, DRAWBOT_TextAlignment alignment,
                   DRAWBOT_TextTruncation truncation, float truncationWidth);
  A_Err MoveTo(DRAWBOT_PathRef path, float x, float y);
  A_Err LineTo(DRAWBOT_PathRef path, float x, float y);
  A_Err AddRect(DRAWBOT_PathRef path, const DRAWBOT_RectF32* rect);
  A_Err AddArc(DRAWBOT_PathRef path, const DRAWBOT_PointF32* centre, float radius, float start, float sweep);
  A_Err Close(DRAWBOT_PathRef path);

 private:
  enum class PathOp { kMove, kLine, kRect, kArc, kClose };
  struct PathStep {
    PathOp op;
    double v[5];
  };
  struct Object {
    DrawbotKind kind;
    DRAWBOT_ColorRGBA color{};
    float size = 0;  // pen width or font size
    std::vector<PathStep> path;
  };
  struct Draw {
    uintptr_t draw = 0, supplier = 0, surface = 0;
    PF_ContextH context = nullptr;
    DrawSurface* target = nullptr;
  };

  // Counts the call and answers whether an injected fault is due.
  bool Failing(const char* function);
  A_Err Record(const char* function, std::vector<double> numbers, A_Err result);
  void Misuse(const std::string& text);
  bool ValidSupplier(const char* function, DRAWBOT_SupplierRef supplier);
  cairo_t* SurfaceCairo(const char* function, DRAWBOT_SurfaceRef surface);
  Object* Find(const char* function, DRAWBOT_ObjectRef ref, DrawbotKind kind);
  DRAWBOT_ObjectRef Add(Object object);
  A_Err AddStep(const char* function, DRAWBOT_PathRef path, PathStep step);
  void Trace(cairo_t* cr, const Object& path) const;

  CallFaults* faults_;
  mutable std::mutex mutex_;
  std::map<uintptr_t, Object> objects_;
  Draw open_;
  uintptr_t nextToken_ = 1;
  std::vector<DrawbotCall> calls_;
  std::vector<std::string> misuse_;
};

}  // namespace Orvane::Mosaira
