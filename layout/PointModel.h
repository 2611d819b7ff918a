// A named point of a layout: free (its own position), sliding along a vector, or at the crossing of
// two vector lines.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "layout/LayoutGeometry.h"
#include "layout/LayoutJson.h"
#include "layout/MoveablePoint.h"

namespace Orvane::Mosaira {

class GridLayoutModel;

enum class PointKind : int32_t {
  kNone = -1,      // the JSON fits none of the forms below: no position, never moves
  kAbsolute = 0,   // own position ("x" and "y", or a corner id)
  kSlider = 1,     // at `scalar` along `sliderVector` ("vector" and "scalar")
  kCrossing = 2,   // where the lines of `crossVector` and `baseVector` meet ("crossVector" and "vector")
};

class PointModel final : public MoveablePoint {
 public:
  // Reads one point object. Coordinates in the JSON are unit fractions of `size`; they are stored in
  // layer pixels in single precision. `owner` (not owned, never null) is the layout that will hold the
  // point; `startIndex` is used unless the JSON carries an integer "index". A non-object reads as {}.
  // Throws std::invalid_argument("invalid stod argument") for a coordinate string that holds no decimal
  // number (or "nan"/"inf"), std::out_of_range("stod argument out of range") for a coordinate that is
  // not finite once sized to single precision.
  PointModel(const JsonValue& json, LayoutSize size, GridLayoutModel* owner, int32_t startIndex);

  // The free, movable point a layout adds for a corner named by a frame but not listed in its points:
  // at CornerUnitPosition(cornerId) times `size`, in single precision.
  static PointModel Corner(std::string_view cornerId, LayoutSize size, GridLayoutModel* owner,
                           int32_t startIndex);

  PointModel(const PointModel&) = default;
  PointModel& operator=(const PointModel&) = default;
  ~PointModel() = default;

  // Current position in layer pixels. Sliding and crossing points are worked out on every call from
  // the owner's twins (GridLayoutModel::findPointCopy), through chains up to 256 points deep. No
  // position ((0, 0), invalid) when a vector or point is missing, when a chain of positions leads back
  // on itself or runs deeper, when crossing lines are parallel, or when the result is not finite.
  PointPosition getPosition() const;

  // Free point: shift and clamp to the layout rectangle. Sliding point: project the shifted position
  // at right angles onto its vector and clamp the fraction to [0, 1]. Crossing point: nothing.
  void moveBy(double dx, double dy) override;
  // Free point: set and clamp. Sliding point: project (x, y) onto its vector. Crossing point: nothing.
  void moveTo(double x, double y) override;
  // Writes "index", "movable", "id", then by kind "x","y" (fractions) / "vector","scalar" /
  // "crossVector","vector".
  void toJson(JsonWriter& writer) const override;

  bool movable = true;               // only written back; no move consults it
  PointKind kind = PointKind::kNone;
  GridLayoutModel* owner = nullptr;  // not owned
  float x = 0.0f;                    // kAbsolute: layer pixels
  float y = 0.0f;
  std::string sliderVector;          // kSlider
  float scalar = 0.0f;               // kSlider: 0 at the vector's start, 1 at its end
  std::string crossVector;           // kCrossing: first vector
  std::string baseVector;            // kCrossing: second vector (JSON "vector")
  std::string id;                    // empty in the layout's twins

 private:
  PointModel(GridLayoutModel* layout, int32_t startIndex);
  void readKind(const JsonValue& json, LayoutSize size);
  float projectOnVector(double tx, double ty, bool& ok) const;
};

}  // namespace Orvane::Mosaira
