// An element of a layout that the user can move: a point or a move button.
#pragma once

#include "layout/IndexPoint.h"
#include "layout/LayoutJson.h"

namespace Orvane::Mosaira {

// The three operations every movable element offers, in this order. Deltas and positions are in
// layer pixels of the owning layout. Each operation changes this object only (a move button moves the
// points it names, each with its twin).
class MoveablePoint : public IndexPoint {
 public:
  virtual void moveBy(double dx, double dy) = 0;
  virtual void moveTo(double x, double y) = 0;
  // Writes the element as one JSON object.
  virtual void toJson(JsonWriter& writer) const = 0;

 protected:
  MoveablePoint() = default;
  explicit MoveablePoint(int32_t startIndex) : IndexPoint(startIndex) {}
  MoveablePoint(const MoveablePoint&) = default;
  MoveablePoint& operator=(const MoveablePoint&) = default;
  // No virtual destructor: concrete classes are final and always deleted as themselves.
  ~MoveablePoint() = default;
};

}  // namespace Orvane::Mosaira
