// One layout at one size in layer pixels: its named points, vectors, move buttons and frames, read from
// and written to a layout JSON object, together with the user's reshaping of it.
//
// Every point has a twin in `pointCopies`: a copy with an empty id that every move changes alike
// (movePoint, setSliderScalar and the move buttons keep the two in step). Geometry (slider and
// crossing positions, insets, drawing, hit tests) reads the twins (twinPosition, framePositions);
// writing, renumbering and selection read `points`.
//
// Maps are keyed by id and ordered byte by byte as unsigned characters, a prefix first
// ("LEFT_BOTTOM" < "LEFT_TOP" < "P1" < "P10" < "P2"); every walk over them follows that order.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "layout/FrameModel.h"
#include "layout/LayoutGeometry.h"
#include "layout/LayoutJson.h"
#include "layout/MoveButtonModel.h"
#include "layout/PointModel.h"
#include "layout/VectorModel.h"

namespace Orvane::Mosaira {

class GridLayoutModel {
 public:
  // Builds the layout from a layout object (not kept). `size` is the layout's size in layer pixels;
  // `templateIndex` is the built-in template's number, or -1, unless the JSON carries "index".
  // Members that are missing or of another type are passed over; so are array elements that are not
  // objects. A non-object reads as {}: no points, vectors, move buttons or frames.
  // Throws what PointModel's constructor throws for a bad coordinate; nothing is leaked.
  GridLayoutModel(const JsonValue& json, LayoutSize size, int32_t templateIndex);
  virtual ~GridLayoutModel();

  // Elements keep a pointer to their layout, so a layout never moves or copies.
  GridLayoutModel(const GridLayoutModel&) = delete;
  GridLayoutModel& operator=(const GridLayoutModel&) = delete;

  // Writes the layout object: "activeMoveButton" and "activePoint" when set, "index", "id", then the
  // arrays "points", "vectors", "moveButtons" (key order) and "frames" (frame order). Coordinates are
  // written as fractions of the size; a value that is not finite is written as 0.0.
  void toJson(JsonWriter& writer) const;

  // Files a new point and its twin under `id`. When `id` is taken the first point stays and `point` is
  // dropped.
  void addPoint(std::unique_ptr<PointModel> point, const std::string& id);

  // Rebuilds `pointIds` and `sliderIds` and renumbers their points by list position: free points, then
  // sliding points, each stably sorted by their current index from key order.
  void reindexPoints();

  // Stores the spacing and recomputes every frame's inset with it, in frame order.
  void setSpacing(float newSpacing);

  // Moves the point filed under `key` by (dx, dy) layer pixels (PointModel::moveBy), then its twin
  // alike. Nothing when the layout has no such point. The insets are left as they are.
  void movePoint(const std::string& key, double dx, double dy);

  // Sets the fraction along its vector of the sliding point filed under `key` and of its twin.
  // Nothing for a key the layout lacks or a point of another kind.
  void setSliderScalar(const std::string& key, float scalar);

  // The position of the twin filed under `key`; no position when there is none.
  PointPosition twinPosition(const std::string& key) const;

  // The positions of the twins of `frame`'s points, in the order of its polygon (an id the layout
  // lacks gives no position): the corners its inset and outline are made of.
  std::vector<PointPosition> framePositions(const FrameModel& frame) const;

  // The element stored under exactly `key`, or null.
  VectorModel* findVector(const std::string& key);
  const VectorModel* findVector(const std::string& key) const;
  PointModel* findPoint(const std::string& key);
  const PointModel* findPoint(const std::string& key) const;
  PointModel* findPointCopy(const std::string& key);
  const PointModel* findPointCopy(const std::string& key) const;

  double width = 0.0;
  double height = 0.0;
  float spacing = 0.0f;
  int32_t index = -1;
  std::string id;
  std::map<std::string, std::unique_ptr<PointModel>> pointCopies;
  std::vector<std::string> pointIds;   // entry i is driven by point parameter i + 1
  std::vector<std::string> sliderIds;  // entry i is driven by slider parameter i + 1
  std::string activePoint;
  std::string activeMoveButton;
  std::map<std::string, std::unique_ptr<VectorModel>> vectors;
  std::map<std::string, std::unique_ptr<MoveButtonModel>> moveButtons;
  std::map<std::string, std::unique_ptr<PointModel>> points;
  std::vector<std::unique_ptr<FrameModel>> frames;

 private:
  void fromJson(const JsonValue& json, LayoutSize size);
  void readPoints(const JsonValue& array, LayoutSize size);
  void readVectors(const JsonValue& array);
  void readMoveButtons(const JsonValue& array);
  void readFrames(const JsonValue& array, LayoutSize size);
  void addCornerPoints(const FrameModel& frame, LayoutSize size);
};

// `layout` rebuilt through its own JSON at `size` in layer pixels, its spacing kept: the same
// shape in fractions of the size. Null when the size is not finite and positive or the layout
// cannot be written or read back.
std::unique_ptr<GridLayoutModel> LayoutAtSize(const GridLayoutModel& layout, LayoutSize size);

}  // namespace Orvane::Mosaira
