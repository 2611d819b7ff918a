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

// True when the whole segment a-b lies within the box, its sides included.
bool SegmentWithin(const Box& box, const Vec2d& a, const Vec2d& b) {
  const auto within = [&](const Vec2d& p) {
    return p.x >= box.left && p.x <= box.right && p.y >= box.top && p.y <= box.bottom;
  };
  return within(a) && within(b);
}

Vec2d ClampInto(const Box& box, const Vec2d& p) {
  return Vec2d{std::clamp(p.x, box.left, std::max(box.left, box.right)),
               std::clamp(p.y, box.top, std::max(box.top, box.bottom))};
}

// One edge of the outline as far as it is drawn: an edge within the bounds whole, moved inside
// the margin where it lies on their sides; an edge the bounds cut, cut to the box inside the
// margin. `fromStart` / `toEnd` say whether the piece reaches the edge's own ends.
struct EdgePiece {
  Vec2d a, b;
  bool fromStart = false, toEnd = false;
};

bool DrawnPiece(const Box& bounds, const Box& inner, const Vec2d& start, const Vec2d& end,
                EdgePiece* piece, bool* cut) {
  *cut = !SegmentWithin(bounds, start, end);
  if (!*cut) {
    *piece = EdgePiece{ClampInto(inner, start), ClampInto(inner, end), true, true};
    return true;
  }
  Vec2d a = start, b = end;
  bool whole = false;
  if (!ClipSegment(inner, a, b, whole)) return false;
  *piece = EdgePiece{a, b, a.x == start.x && a.y == start.y, b.x == end.x && b.y == end.y};
  return true;
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

OutlinePieces ClipOutlineToRect(const Polygon& polygon, const PF_Rect& bounds, double margin) {
  const Box outer{double(bounds.left), double(bounds.top), double(bounds.right), double(bounds.bottom)};
  const Box inner{outer.left + margin, outer.top + margin, outer.right - margin, outer.bottom - margin};
  OutlinePieces out;
  bool anyCut = false;
  bool runOpen = false;        // the last piece reached its edge's end
  bool firstAtStart = false;   // the first run begins at the polygon's first vertex
  for (size_t i = 0; i < polygon.size(); ++i) {
    EdgePiece piece;
    bool cut = false;
    const bool drawn = DrawnPiece(outer, inner, polygon[i], polygon[(i + 1) % polygon.size()], &piece, &cut);
    anyCut = anyCut || cut;
    if (!drawn) {
      runOpen = false;
      continue;
    }
    if (runOpen && piece.fromStart) {
      out.runs.back().push_back(piece.b);
    } else {
      if (out.runs.empty()) firstAtStart = i == 0 && piece.fromStart;
      out.runs.push_back(Polygon{piece.a, piece.b});
    }
    runOpen = piece.toEnd;
  }
  if (!anyCut && !polygon.empty()) {
    Polygon closed;
    for (const Vec2d& p : polygon) closed.push_back(ClampInto(inner, p));
    return OutlinePieces{{closed}, true};
  }
  // A run that reaches the first vertex continues with the run that starts there.
  if (out.runs.size() > 1 && runOpen && firstAtStart) {
    Polygon& last = out.runs.back();
    last.insert(last.end(), out.runs.front().begin() + 1, out.runs.front().end());
    out.runs.front() = std::move(last);
    out.runs.pop_back();
  }
  return out;
}

}  // namespace Orvane::Mosaira
