// One frame of a layout: a polygon over point ids in which one layer is shown, with its inset and its
// (rounded) vector path. The frame holds no link to its layout: the layout resolves the positions of
// the frame's points and hands them in (GridLayoutModel::framePositions).
#pragma once

#include <string>
#include <vector>

#include "layout/LayoutGeometry.h"
#include "layout/LayoutJson.h"

struct NVGcontext;

namespace Orvane::Mosaira {

struct FrameModel {
  // Reads "id" and "polygon" (its string entries, in order). A non-object reads as {}. The inset
  // starts empty.
  explicit FrameModel(const JsonValue& json);

  // Writes "id" and "polygon".
  void toJson(JsonWriter& writer) const;

  // Rebuilds `insetPolygons` as Inset(corners, spacing): `corners` are the positions of the points
  // of `polygon`, in its order.
  void computeInset(const std::vector<PointPosition>& corners, float spacing);

  // Replaces the context's current path with the inset polygons, one sub-path each, closed once at the
  // end. With 0 < roundness <= 1 every corner becomes an arc tangent to both edges, touching them at
  // roundness/2 of the shorter edge from the corner; otherwise the corners stay sharp. Coordinates go
  // to the context in layout pixels under its current transform. `ctx` is not owned, never null.
  void buildPath(NVGcontext* ctx, float roundness) const;

  std::string id;
  std::vector<std::string> polygon;  // point ids in drawing order
  std::vector<Polygon> insetPolygons;  // derived from the points and the spacing; never saved
};

}  // namespace Orvane::Mosaira
