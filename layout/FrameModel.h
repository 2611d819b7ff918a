// One frame of a layout: a polygon over point ids in which one layer is shown, with its inset and its
// (rounded) vector path. The frame knows the layout that holds it (`owner`), which resolves the
// positions of the frame's points; the geometry itself is the pure functions of LayoutGeometry.
#pragma once

#include <string>
#include <vector>

#include "layout/LayoutGeometry.h"
#include "layout/LayoutJson.h"

struct NVGcontext;

namespace Orvane::Mosaira {

class GridLayoutModel;

struct FrameModel {
  // Reads "id" and "polygon" (its string entries, in order). A non-object reads as {}. The inset
  // starts empty. `owner` is the layout that holds the frame (not owned; may be null, and then no
  // point has a position).
  FrameModel(const JsonValue& json, const GridLayoutModel* owner);

  // Writes "id" and "polygon".
  void toJson(JsonWriter& writer) const;

  // Rebuilds `insetPolygons` as Inset(corners, spacing), `spacing` in layer pixels: the corners are
  // the positions of the twins of `polygon`'s points in the owner, in the polygon's order (an id
  // the layout lacks, or a point without a position, counts as (0, 0)).
  void computeInset(float spacing);

  // Where the frame's centre is, in layer pixels: Centroid of the inset polygons.
  Vec2d centroid() const;

  // The transform that lays an image of width x height layout pixels (both above 0) over the inset's
  // bounds, covering them: CoverFit of the inset polygons. Identity for an empty inset.
  AffineTransform coverFit(double width, double height) const;

  // Replaces the context's current path with the inset polygons, one sub-path each, closed once at the
  // end. With 0 < roundness <= 1 every corner becomes an arc tangent to both edges, touching them at
  // roundness/2 of the shorter edge from the corner; otherwise the corners stay sharp. Coordinates go
  // to the context in layout pixels under its current transform. `ctx` is not owned, never null.
  void buildPath(NVGcontext* ctx, float roundness) const;

  const GridLayoutModel* owner = nullptr;
  std::string id;
  std::vector<std::string> polygon;  // point ids in drawing order
  std::vector<Polygon> insetPolygons;  // derived from the points and the spacing; never saved
};

}  // namespace Orvane::Mosaira
