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

// The outline of a closed polygon as far as `bounds` show it, kept `margin` inside them so that a
// pen of twice that width draws nothing beyond them. An edge within the bounds (on their sides
// included) is drawn whole, moved inward by up to `margin` where it lies closer to a side; an edge
// the bounds cut through is cut at `margin` inside them, so that where the bounds cut the polygon
// the outline stays open instead of gaining an edge along the cut. With no edge cut the outline is
// the polygon itself (`closed`, its vertices moved inward as its edges are); otherwise the pieces,
// joined into open runs. No runs when nothing is inside.
struct OutlinePieces {
  std::vector<Polygon> runs;  // open polylines, or the polygon itself when `closed`
  bool closed = false;
};
OutlinePieces ClipOutlineToRect(const Polygon& polygon, const PF_Rect& bounds, double margin);

}  // namespace Orvane::Mosaira
