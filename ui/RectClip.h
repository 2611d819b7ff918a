// Clipping of rectangles and polygons to an axis-aligned rectangle (frame pixels), so that a
// control draws nothing outside its own area.
#pragma once

#include <vector>

#include "layout/LayoutGeometry.h"
#include "sdk/pf_types.h"

namespace Orvane::Mosaira {

// The part of `rect` inside `bounds`; empty (right <= left or bottom <= top) when none.
PF_Rect ClipRect(const PF_Rect& rect, const PF_Rect& bounds);

// True when the rectangle has no area.
bool IsEmptyRect(const PF_Rect& rect);

// The part of the closed polygon inside `bounds` (Sutherland-Hodgman, one edge at a time); for a
// convex polygon the result is exact, for a concave one it may hold zero-width bridges along the
// edges of `bounds`. Empty when nothing is inside.
Polygon ClipPolygonToRect(const Polygon& polygon, const PF_Rect& bounds);

// The outline of a closed polygon as far as it lies inside `bounds` shrunk by `margin` on every
// side: the whole outline (closed) when no edge leaves that box; otherwise the pieces of its edges
// inside the box, joined into open runs, so that where the box cuts the polygon the outline stays
// open instead of gaining an edge along the cut. No runs when nothing is inside.
struct OutlinePieces {
  std::vector<Polygon> runs;  // open polylines, or the polygon itself when `closed`
  bool closed = false;
};
OutlinePieces ClipOutlineToRect(const Polygon& polygon, const PF_Rect& bounds, double margin);

}  // namespace Orvane::Mosaira
