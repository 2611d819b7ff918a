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

}  // namespace Orvane::Mosaira
