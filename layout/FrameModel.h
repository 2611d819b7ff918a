// One frame of a layout: a polygon over point ids in which one layer is shown, with its inset, the
// centroid of that inset, the cover-fit transform of an image over it and its (rounded) vector path.
#pragma once

#include <string>
#include <vector>

#include "layout/LayoutGeometry.h"
#include "layout/LayoutJson.h"

struct NVGcontext;

namespace Orvane::Mosaira {

class GridLayoutModel;

struct FrameModel {
  // Reads "id" and "polygon" (its string entries, in order). A non-object reads as {}. `owner` (not
  // owned, never null) is the layout that holds the frame. The inset starts empty.
  FrameModel(const JsonValue& json, GridLayoutModel* owner);

  // Writes "id" and "polygon".
  void toJson(JsonWriter& writer) const;

  // Rebuilds `insetPolygons`: the polygon of the points' current positions (owner's twins; a point
  // without a position counts as (0, 0)) offset inwards by `spacing` pixels with mitered corners
  // (miter limit 20), at a resolution of 1/10000 pixel. A spacing of exactly 0 grows the polygon by
  // one pixel instead, so that neighbouring frames overlap; a negative spacing grows it by its size.
  // Zero polygons when the spacing swallows the frame, several when it splits it. A non-finite or
  // absurdly large spacing, or an offset that fails, leaves the inset empty.
  void computeInset(float spacing);

  // Area centroid of the inset polygons joined into one ring (layer pixels). When that ring encloses
  // no area, the mean of its points; (0, 0) for an empty inset.
  Vec2d centroid() const;

  // The transform that scales an image of imageWidth x imageHeight (layout pixels, both above 0) by one
  // factor so that it covers the bounding box of the inset and centres it there. Identity when the
  // inset is empty or the size is not positive and finite.
  AffineTransform coverFit(double imageWidth, double imageHeight) const;

  // Replaces the context's current path with the inset polygons, one sub-path each, closed once at the
  // end. With 0 < roundness <= 1 every corner becomes an arc tangent to both edges, touching them at
  // roundness/2 of the shorter edge from the corner; otherwise the corners stay sharp. Coordinates go
  // to the context in layout pixels under its current transform. `ctx` is not owned, never null.
  void buildPath(NVGcontext* ctx, float roundness) const;

  GridLayoutModel* owner = nullptr;  // not owned
  std::string id;
  std::vector<std::string> polygon;  // point ids in drawing order
  std::vector<Polygon> insetPolygons;  // derived from the points and the spacing; never saved
};

}  // namespace Orvane::Mosaira
