#include "layout/VectorModel.h"

#include "layout/JsonAccess.h"
#include "layout/PositionResolver.h"

namespace Orvane::Mosaira {

VectorModel::VectorModel(const JsonValue& json, GridLayoutModel* layout, int32_t startIndex)
    : index(startIndex), owner(layout) {
  detail::ReadString(json, "id", id);
  detail::ReadInt32(json, "index", index);
  detail::ReadString(json, "start", start);
  detail::ReadString(json, "end", end);
}

PointPosition VectorModel::intersect(const VectorModel& other) const {
  detail::PositionResolver resolver;
  return resolver.crossing(*this, other);
}

}  // namespace Orvane::Mosaira
