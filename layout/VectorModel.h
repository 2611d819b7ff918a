// A named segment of a layout, from point `start` (fraction 0) to point `end` (fraction 1).
#pragma once

#include <cstdint>
#include <string>

#include "layout/LayoutGeometry.h"
#include "layout/LayoutJson.h"

namespace Orvane::Mosaira {

class GridLayoutModel;

struct VectorModel {
  // Reads "id", "index" (a 32-bit JSON integer replaces `startIndex`), "start" and "end"; members that
  // are missing or of another type are passed over, and a non-object reads as {}. `owner` is not owned.
  VectorModel(const JsonValue& json, GridLayoutModel* owner, int32_t startIndex);

  // The crossing of this vector's line with `other`'s, from the positions of the owner's twins of the
  // four end points. Invalid when an end has no position, when the lines are parallel (or a vector
  // has zero length), or when the crossing is not finite.
  PointPosition intersect(const VectorModel& other) const;

  int32_t index = 0;
  GridLayoutModel* owner = nullptr;
  std::string id;
  std::string start;
  std::string end;
};

}  // namespace Orvane::Mosaira
