#include "layout/MoveButtonModel.h"

#include "layout/GridLayoutModel.h"
#include "layout/JsonAccess.h"

namespace Orvane::Mosaira {
namespace {

void ReadDisplayPoints(const JsonValue& json, std::array<std::string, 2>& out) {
  const JsonValue* array = detail::FindArray(json, "displayPoints");
  if (array == nullptr) {
    return;
  }
  for (rapidjson::SizeType i = 0; i < array->Size() && i < out.size(); ++i) {
    if ((*array)[i].IsString()) {
      out[i] = detail::StringOf((*array)[i]);
    }
  }
}

}  // namespace

MoveButtonModel::MoveButtonModel(const JsonValue& json, GridLayoutModel* layout) : owner(layout) {
  detail::ReadString(json, "id", id);
  if (const JsonValue* array = detail::FindArray(json, "moveWith")) {
    for (const JsonValue& entry : array->GetArray()) {
      if (entry.IsString()) {
        moveWith.push_back(detail::StringOf(entry));
      }
    }
  }
  std::string word;
  if (detail::ReadString(json, "direction", word) && word == "UP_DOWN") {
    direction = MoveDirection::UP_DOWN;
  }
  ReadDisplayPoints(json, displayPoints);
}

void MoveButtonModel::moveBy(double dx, double dy) {
  if (owner == nullptr) {
    return;
  }
  if (direction == MoveDirection::UP_DOWN) {
    dx = 0.0;
  } else {
    dy = 0.0;
  }
  // Display points first, then moveWith: a sliding point listed after one of its vector's ends is
  // projected onto the vector as that end has already moved.
  for (const std::string& key : displayPoints) {
    owner->movePoint(key, dx, dy);
  }
  for (const std::string& key : moveWith) {
    owner->movePoint(key, dx, dy);
  }
}

void MoveButtonModel::moveTo(double, double) {}

void MoveButtonModel::toJson(JsonWriter& writer) const {
  writer.StartObject();
  detail::WriteKey(writer, "id");
  detail::WriteString(writer, id);
  detail::WriteKey(writer, "direction");
  detail::WriteString(writer, direction == MoveDirection::UP_DOWN ? "UP_DOWN" : "LEFT_RIGHT");
  detail::WriteKey(writer, "displayPoints");
  writer.StartArray();
  for (const std::string& key : displayPoints) {
    detail::WriteString(writer, key);
  }
  writer.EndArray();
  detail::WriteKey(writer, "moveWith");
  writer.StartArray();
  for (const std::string& key : moveWith) {
    detail::WriteString(writer, key);
  }
  writer.EndArray();
  writer.EndObject();
}

}  // namespace Orvane::Mosaira
