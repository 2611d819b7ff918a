#include "ui/RectClip.h"

#include <algorithm>

namespace Orvane::Mosaira {
namespace {

// One clipping edge: keeps the points with sign * (coordinate - limit) <= 0.
struct Edge {
  bool vertical;  // tests x (true) or y (false)
  double limit;
  double sign;
  double Distance(const Vec2d& p) const { return sign * ((vertical ? p.x : p.y) - limit); }
};

Polygon ClipToEdge(const Polygon& in, const Edge& edge) {
  Polygon out;
  for (size_t i = 0; i < in.size(); ++i) {
    const Vec2d& a = in[i];
    const Vec2d& b = in[(i + 1) % in.size()];
    const double da = edge.Distance(a), db = edge.Distance(b);
    if (da <= 0) out.push_back(a);
    if ((da < 0 && db > 0) || (da > 0 && db < 0)) {
      const double t = da / (da - db);
      out.push_back(Vec2d{a.x + t * (b.x - a.x), a.y + t * (b.y - a.y)});
    }
  }
  return out;
}

struct Box {
  double left, top, right, bottom;
};

// Cuts the segment a-b to the box (Liang-Barsky); false when no part of it is inside. `whole` says
// whether nothing was cut.
bool ClipSegment(const Box& box, Vec2d& a, Vec2d& b, bool& whole) {
  const double dx = b.x - a.x, dy = b.y - a.y;
  const double p[4] = {-dx, dx, -dy, dy};
  const double q[4] = {a.x - box.left, box.right - a.x, a.y - box.top, box.bottom - a.y};
  double t0 = 0.0, t1 = 1.0;
  for (int i = 0; i < 4; ++i) {
    if (p[i] == 0.0) {
      if (q[i] < 0.0) return false;
      continue;
    }
    const double t = q[i] / p[i];
    if (p[i] < 0.0) t0 = std::max(t0, t);
    if (p[i] > 0.0) t1 = std::min(t1, t);
  }
  if (!(t0 <= t1)) return false;
  whole = t0 == 0.0 && t1 == 1.0;
  const Vec2d start = a;
  if (t1 < 1.0) b = Vec2d{start.x + t1 * dx, start.y + t1 * dy};
  if (t0 > 0.0) a = Vec2d{start.x + t0 * dx, start.y + t0 * dy};
  return true;
}

bool SamePoint(const Vec2d& a, const Vec2d& b) { return a.x == b.x && a.y == b.y; }

}  // namespace

PF_Rect ClipRect(const PF_Rect& rect, const PF_Rect& bounds) {
  return PF_Rect{std::max(rect.left, bounds.left), std::max(rect.top, bounds.top),
                 std::min(rect.right, bounds.right), std::min(rect.bottom, bounds.bottom)};
}

bool IsEmptyRect(const PF_Rect& rect) { return rect.right <= rect.left || rect.bottom <= rect.top; }

Polygon ClipPolygonToRect(const Polygon& polygon, const PF_Rect& bounds) {
  if (IsEmptyRect(bounds)) return {};
  const Edge edges[] = {{true, double(bounds.left), -1.0},
                        {true, double(bounds.right), 1.0},
                        {false, double(bounds.top), -1.0},
                        {false, double(bounds.bottom), 1.0}};
  Polygon clipped = polygon;
  for (const Edge& edge : edges) {
    if (clipped.empty()) break;
    clipped = ClipToEdge(clipped, edge);
  }
  return clipped;
}

OutlinePieces ClipOutlineToRect(const Polygon& polygon, const PF_Rect& bounds, double margin) {
  const Box box{bounds.left + margin, bounds.top + margin, bounds.right - margin,
                bounds.bottom - margin};
  OutlinePieces out;
  bool allWhole = true;
  bool runOpen = false;  // the last edge reached its own end inside the box
  for (size_t i = 0; i < polygon.size(); ++i) {
    const Vec2d& end = polygon[(i + 1) % polygon.size()];
    Vec2d a = polygon[i], b = end;
    bool whole = false;
    if (!ClipSegment(box, a, b, whole)) {
      allWhole = runOpen = false;
      continue;
    }
    allWhole = allWhole && whole;
    if (runOpen) {
      out.runs.back().push_back(b);
    } else {
      out.runs.push_back(Polygon{a, b});
    }
    runOpen = SamePoint(b, end);
  }
  if (allWhole && !polygon.empty()) return OutlinePieces{{polygon}, true};
  // A run that reaches the first vertex continues with the run that starts there.
  if (out.runs.size() > 1 && runOpen && SamePoint(out.runs.front().front(), polygon.front())) {
    Polygon& last = out.runs.back();
    last.insert(last.end(), out.runs.front().begin() + 1, out.runs.front().end());
    out.runs.front() = std::move(last);
    out.runs.pop_back();
  }
  return out;
}

}  // namespace Orvane::Mosaira
