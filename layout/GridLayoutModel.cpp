#include "layout/GridLayoutModel.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "layout/CornerPoints.h"
#include "layout/JsonAccess.h"
#include "layout/PositionResolver.h"

namespace Orvane::Mosaira {
namespace {

template <typename Map>
typename Map::mapped_type::element_type* FindIn(const Map& map, const std::string& key) {
  const auto it = map.find(key);
  return it == map.end() ? nullptr : it->second.get();
}

// Renumbers the listed points by their current index, stably, so equal indices keep key order.
void SortAndRenumber(std::vector<std::string>& ids, std::map<std::string, std::unique_ptr<PointModel>>& points) {
  std::vector<std::pair<int32_t, std::string>> order;
  order.reserve(ids.size());
  for (std::string& key : ids) {
    order.emplace_back(points.at(key)->index, std::move(key));
  }
  std::stable_sort(order.begin(), order.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  for (size_t i = 0; i < order.size(); ++i) {
    ids[i] = std::move(order[i].second);
    points.at(ids[i])->index = static_cast<int32_t>(i);
  }
}

// Writes `key` and an array of one value per element of `elements`, in their order.
template <typename Range, typename WriteOne>
void WriteArray(JsonWriter& writer, const char* key, const Range& elements, WriteOne writeOne) {
  detail::WriteKey(writer, key);
  writer.StartArray();
  for (const auto& element : elements) {
    writeOne(element);
  }
  writer.EndArray();
}

// Vectors have no writer of their own: the layout writes "index", "id", "start", "end".
void WriteVector(JsonWriter& writer, const VectorModel& vector) {
  writer.StartObject();
  detail::WriteKey(writer, "index");
  writer.Int(vector.index);
  detail::WriteKey(writer, "id");
  detail::WriteString(writer, vector.id);
  detail::WriteKey(writer, "start");
  detail::WriteString(writer, vector.start);
  detail::WriteKey(writer, "end");
  detail::WriteString(writer, vector.end);
  writer.EndObject();
}

}  // namespace

GridLayoutModel::GridLayoutModel(const JsonValue& json, LayoutSize size, int32_t templateIndex)
    : width(size.width), height(size.height), index(templateIndex) {
  fromJson(json, size);
}

GridLayoutModel::~GridLayoutModel() {
  points.clear();
  pointCopies.clear();
  moveButtons.clear();
  vectors.clear();
  frames.clear();
}

void GridLayoutModel::fromJson(const JsonValue& json, LayoutSize size) {
  detail::ReadString(json, "id", id);
  detail::ReadInt32(json, "index", index);
  if (const JsonValue* array = detail::FindArray(json, "points")) {
    readPoints(*array, size);
  }
  if (const JsonValue* array = detail::FindArray(json, "vectors")) {
    readVectors(*array);
  }
  if (const JsonValue* array = detail::FindArray(json, "moveButtons")) {
    readMoveButtons(*array);
  }
  if (const JsonValue* array = detail::FindArray(json, "frames")) {
    readFrames(*array, size);
  }
  std::string selected;
  if (detail::ReadString(json, "activePoint", selected) && points.count(selected) != 0) {
    activePoint = selected;
  }
  if (detail::ReadString(json, "activeMoveButton", selected) && moveButtons.count(selected) != 0) {
    activeMoveButton = selected;
  }
  reindexPoints();
}

// Elements that are not objects are skipped; the position counter still advances past them.
void GridLayoutModel::readPoints(const JsonValue& array, LayoutSize size) {
  for (rapidjson::SizeType i = 0; i < array.Size(); ++i) {
    if (!array[i].IsObject()) {
      continue;
    }
    auto point = std::make_unique<PointModel>(array[i], size, this, static_cast<int32_t>(i));
    const std::string key = point->id;
    addPoint(std::move(point), key);
  }
}

void GridLayoutModel::readVectors(const JsonValue& array) {
  for (rapidjson::SizeType i = 0; i < array.Size(); ++i) {
    if (!array[i].IsObject()) {
      continue;
    }
    auto vector = std::make_unique<VectorModel>(array[i], this, static_cast<int32_t>(i));
    const std::string key = vector->id;
    vectors.emplace(key, std::move(vector));  // a repeated id keeps the first
  }
}

void GridLayoutModel::readMoveButtons(const JsonValue& array) {
  for (const JsonValue& element : array.GetArray()) {
    if (!element.IsObject()) {
      continue;
    }
    auto button = std::make_unique<MoveButtonModel>(element, this);
    const std::string key = button->id;
    moveButtons.emplace(key, std::move(button));  // a repeated id keeps the first
  }
}

void GridLayoutModel::readFrames(const JsonValue& array, LayoutSize size) {
  for (const JsonValue& element : array.GetArray()) {
    if (!element.IsObject()) {
      continue;
    }
    auto frame = std::make_unique<FrameModel>(element, this);
    addCornerPoints(*frame, size);
    frames.push_back(std::move(frame));
  }
  setSpacing(spacing);
}

// A corner that a frame names but the points do not list joins as a free point. Its index is one less
// than the number of points so far; the renumbering afterwards orders it among the listed points.
void GridLayoutModel::addCornerPoints(const FrameModel& frame, LayoutSize size) {
  for (const std::string& key : frame.polygon) {
    if (IsCornerName(key) && points.count(key) == 0) {
      const auto cornerIndex = static_cast<int32_t>(points.size()) - 1;
      addPoint(std::make_unique<PointModel>(PointModel::Corner(key, size, this, cornerIndex)), key);
    }
  }
}

void GridLayoutModel::addPoint(std::unique_ptr<PointModel> point, const std::string& key) {
  if (point == nullptr || points.count(key) != 0) {
    return;  // the first point under an id stays; this one is dropped
  }
  auto twin = std::make_unique<PointModel>(*point);
  twin->id.clear();
  pointCopies.insert_or_assign(key, std::move(twin));
  points.emplace(key, std::move(point));
}

void GridLayoutModel::reindexPoints() {
  pointIds.clear();
  sliderIds.clear();
  for (const auto& [key, point] : points) {
    if (point->kind == PointKind::kAbsolute) {
      pointIds.push_back(key);
    } else if (point->kind == PointKind::kSlider) {
      sliderIds.push_back(key);
    }
  }
  SortAndRenumber(pointIds, points);
  SortAndRenumber(sliderIds, points);
}

void GridLayoutModel::setSpacing(float newSpacing) {
  spacing = newSpacing;
  for (const auto& frame : frames) {
    frame->computeInset(newSpacing);
  }
}

void GridLayoutModel::movePoint(const std::string& key, double dx, double dy) {
  PointModel* point = findPoint(key);
  if (point == nullptr) {
    return;
  }
  point->moveBy(dx, dy);
  if (PointModel* twin = findPointCopy(key)) {
    twin->moveBy(dx, dy);
  }
}

void GridLayoutModel::setSliderScalar(const std::string& key, float scalar) {
  for (PointModel* point : {findPoint(key), findPointCopy(key)}) {
    if (point != nullptr && point->kind == PointKind::kSlider) {
      point->scalar = scalar;
    }
  }
}

PointPosition GridLayoutModel::twinPosition(const std::string& key) const {
  return detail::TwinPosition(this, key);
}

std::vector<PointPosition> GridLayoutModel::framePositions(const FrameModel& frame) const {
  std::vector<PointPosition> corners;
  corners.reserve(frame.polygon.size());
  for (const std::string& key : frame.polygon) {
    corners.push_back(twinPosition(key));
  }
  return corners;
}

VectorModel* GridLayoutModel::findVector(const std::string& key) { return FindIn(vectors, key); }
const VectorModel* GridLayoutModel::findVector(const std::string& key) const { return FindIn(vectors, key); }
PointModel* GridLayoutModel::findPoint(const std::string& key) { return FindIn(points, key); }
const PointModel* GridLayoutModel::findPoint(const std::string& key) const { return FindIn(points, key); }
PointModel* GridLayoutModel::findPointCopy(const std::string& key) { return FindIn(pointCopies, key); }
const PointModel* GridLayoutModel::findPointCopy(const std::string& key) const {
  return FindIn(pointCopies, key);
}

void GridLayoutModel::toJson(JsonWriter& writer) const {
  writer.StartObject();
  if (!activeMoveButton.empty()) {
    detail::WriteKey(writer, "activeMoveButton");
    detail::WriteString(writer, activeMoveButton);
  }
  if (!activePoint.empty()) {
    detail::WriteKey(writer, "activePoint");
    detail::WriteString(writer, activePoint);
  }
  detail::WriteKey(writer, "index");
  writer.Int(index);
  detail::WriteKey(writer, "id");
  detail::WriteString(writer, id);
  WriteArray(writer, "points", points, [&](const auto& entry) { entry.second->toJson(writer); });
  WriteArray(writer, "vectors", vectors, [&](const auto& entry) { WriteVector(writer, *entry.second); });
  WriteArray(writer, "moveButtons", moveButtons, [&](const auto& entry) { entry.second->toJson(writer); });
  WriteArray(writer, "frames", frames, [&](const auto& frame) { frame->toJson(writer); });
  writer.EndObject();
}

std::unique_ptr<GridLayoutModel> LayoutAtSize(const GridLayoutModel& layout, LayoutSize size) {
  const bool usable = std::isfinite(size.width) && std::isfinite(size.height) && size.width > 0.0 &&
                      size.height > 0.0;
  if (!usable) return nullptr;
  rapidjson::StringBuffer buffer;
  JsonWriter writer(buffer);
  layout.toJson(writer);
  rapidjson::Document doc;
  if (!writer.IsComplete() || !ParseOwnJson(&doc, buffer.GetString(), buffer.GetSize())) return nullptr;
  auto resized = std::make_unique<GridLayoutModel>(doc, size, layout.index);
  resized->setSpacing(layout.spacing);
  return resized;
}

}  // namespace Orvane::Mosaira
