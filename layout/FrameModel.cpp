#include "layout/FrameModel.h"

#include "layout/GridLayoutModel.h"
#include "layout/JsonAccess.h"

namespace Orvane::Mosaira {

FrameModel::FrameModel(const JsonValue& json, const GridLayoutModel* owner) : owner(owner) {
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

void FrameModel::computeInset(float spacing) {
  const std::vector<PointPosition> corners =
      owner ? owner->framePositions(*this) : std::vector<PointPosition>(polygon.size());
  insetPolygons = Inset(corners, spacing);
}

Vec2d FrameModel::centroid() const { return Centroid(insetPolygons); }

AffineTransform FrameModel::coverFit(double width, double height) const {
  return CoverFit(insetPolygons, width, height);
}

}  // namespace Orvane::Mosaira
