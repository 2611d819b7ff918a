// A handle that shifts a group of points along one axis. It has no position of its own: it is drawn
// between its two display points.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "layout/LayoutJson.h"
#include "layout/MoveablePoint.h"

namespace Orvane::Mosaira {

class GridLayoutModel;

enum class MoveDirection : int32_t {
  UP_DOWN = 0,     // moves its points vertically only
  LEFT_RIGHT = 1,  // moves its points horizontally only (the default)
};

class MoveButtonModel final : public MoveablePoint {
 public:
  // Reads "id", "moveWith" (string entries, in order, duplicates kept), "direction" ("UP_DOWN" exactly,
  // anything else is LEFT_RIGHT) and "displayPoints" (its first two string entries). A non-object
  // reads as {}. `owner` (not owned, never null) is the layout that holds the button.
  MoveButtonModel(const JsonValue& json, GridLayoutModel* owner);

  MoveButtonModel(const MoveButtonModel&) = default;
  MoveButtonModel& operator=(const MoveButtonModel&) = default;
  ~MoveButtonModel() = default;

  // Drops the delta's component across the button's axis, then moves the two display points and every
  // "moveWith" point, in that order, each with its twin (GridLayoutModel::movePoint). Ids the layout
  // lacks are passed over; an id listed twice moves twice.
  void moveBy(double dx, double dy) override;
  // A button has no position: nothing happens.
  void moveTo(double x, double y) override;
  // Writes "id", "direction", "displayPoints" (both ids, even empty), "moveWith".
  void toJson(JsonWriter& writer) const override;

  MoveDirection direction = MoveDirection::LEFT_RIGHT;
  GridLayoutModel* owner = nullptr;  // not owned
  std::vector<std::string> moveWith;
  std::string id;
  std::array<std::string, 2> displayPoints;
};

}  // namespace Orvane::Mosaira
