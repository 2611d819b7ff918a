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

}  // namespace Orvane::Mosaira
