#include "layout/FrameModel.h"

#include "layout/JsonAccess.h"

namespace Orvane::Mosaira {

FrameModel::FrameModel(const JsonValue& json) {
  detail::ReadString(json, "id", id);
  if (const JsonValue* array = detail::FindArray(json, "polygon")) {
    for (const JsonValue& entry : array->GetArray()) {
      if (entry.IsString()) {
        polygon.push_back(detail::StringOf(entry));
      }
    }
  }
}

void FrameModel::toJson(JsonWriter& writer) const {
  writer.StartObject();
  detail::WriteKey(writer, "id");
  detail::WriteString(writer, id);
  detail::WriteKey(writer, "polygon");
  writer.StartArray();
  for (const std::string& key : polygon) {
    detail::WriteString(writer, key);
  }
  writer.EndArray();
  writer.EndObject();
}

void FrameModel::computeInset(const std::vector<PointPosition>& corners, float spacing) {
  insetPolygons = Inset(corners, spacing);
}

}  // namespace Orvane::Mosaira
