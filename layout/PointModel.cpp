#include "layout/PointModel.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "layout/CornerPoints.h"
#include "layout/DecimalString.h"
#include "layout/GridLayoutModel.h"
#include "layout/JsonAccess.h"
#include "layout/JsonNumber.h"
#include "layout/PositionResolver.h"
#include "layout/SinglePrecision.h"

namespace Orvane::Mosaira {
namespace {

using detail::ToSingle;

[[noreturn]] void ThrowOutOfRange() { throw std::out_of_range("stod argument out of range"); }

// A stored single-precision value must be finite: it is written back as a JSON number.
float FiniteSingle(double value) {
  const float narrowed = ToSingle(value);
  if (!std::isfinite(narrowed)) {
    ThrowOutOfRange();
  }
  return narrowed;
}

// A coordinate given as a unit fraction (number or decimal string), sized to `extent` layer pixels.
// Any other type reads as 0.
float SizedCoordinate(const JsonValue& value, double extent) {
  double fraction = 0.0;
  if (value.IsNumber()) {
    fraction = value.GetDouble();
  } else if (value.IsString()) {
    fraction = StringToDouble(detail::StringOf(value));
  }
  const float single = FiniteSingle(fraction);
  return FiniteSingle(static_cast<double>(single) * extent);
}

// Clamps a moved coordinate to [0, extent]. A NaN (from a NaN delta) keeps the current value.
float ClampedCoordinate(float moved, double extent, float current) {
  if (moved < 0.0f) {
    return 0.0f;
  }
  if (std::isnan(moved)) {
    return current;
  }
  return std::min(moved, ToSingle(extent));
}

}  // namespace

PointModel::PointModel(GridLayoutModel* layout, int32_t startIndex)
    : MoveablePoint(startIndex), owner(layout) {}

PointModel::PointModel(const JsonValue& json, LayoutSize size, GridLayoutModel* layout, int32_t startIndex)
    : PointModel(layout, startIndex) {
  detail::ReadBool(json, "movable", movable);
  detail::ReadInt32(json, "index", index);
  if (!detail::ReadString(json, "id", id)) {
    return;  // no id: no kind
  }
  readKind(json, size);
}

void PointModel::readKind(const JsonValue& json, LayoutSize size) {
  const JsonValue* jsonX = detail::FindMember(json, "x");
  const JsonValue* jsonY = detail::FindMember(json, "y");
  // The kind is chosen by presence alone; the types are looked at afterwards.
  if (jsonX != nullptr && jsonY != nullptr) {
    kind = PointKind::kAbsolute;
    x = SizedCoordinate(*jsonX, size.width);
    y = SizedCoordinate(*jsonY, size.height);
  } else if (IsCornerName(id)) {
    kind = PointKind::kAbsolute;
    const Vec2d unit = CornerUnitPosition(id);
    x = FiniteSingle(size.width * unit.x);
    y = FiniteSingle(size.height * unit.y);
  } else if (detail::FindMember(json, "vector") != nullptr && detail::FindMember(json, "scalar") != nullptr) {
    kind = PointKind::kSlider;
    const JsonValue& jsonScalar = *detail::FindMember(json, "scalar");
    if (jsonScalar.IsNumber()) {
      scalar = FiniteSingle(jsonScalar.GetDouble());
    }
    detail::ReadString(json, "vector", sliderVector);
  } else if (detail::FindMember(json, "crossVector") != nullptr) {
    kind = PointKind::kCrossing;
    movable = false;
    detail::ReadString(json, "vector", baseVector);
    detail::ReadString(json, "crossVector", crossVector);
  }
}

PointModel PointModel::Corner(std::string_view cornerId, LayoutSize size, GridLayoutModel* owner,
                              int32_t startIndex) {
  PointModel corner(owner, startIndex);
  corner.kind = PointKind::kAbsolute;
  corner.id = std::string(cornerId);
  const Vec2d unit = CornerUnitPosition(cornerId);
  corner.x = ToSingle(size.width * unit.x);
  corner.y = ToSingle(size.height * unit.y);
  return corner;
}

PointPosition PointModel::getPosition() const {
  detail::PositionResolver resolver;
  return resolver.pointPosition(*this);
}

float PointModel::projectOnVector(double tx, double ty, bool& ok) const {
  ok = false;
  const VectorModel* vector = owner != nullptr ? owner->findVector(sliderVector) : nullptr;
  if (vector == nullptr) {
    return scalar;
  }
  const PointPosition s = detail::TwinPosition(owner, vector->start);
  if (!s.valid) {
    return scalar;
  }
  const PointPosition e = detail::TwinPosition(owner, vector->end);
  if (!e.valid) {
    return scalar;
  }
  const double ux = e.x - s.x;
  const double uy = e.y - s.y;
  const double wx = tx - s.x;
  const double wy = ty - s.y;
  float fraction = 0.0f;
  if (ux != 0.0 || uy != 0.0) {
    fraction = ToSingle(ux * wx + uy * wy) / ToSingle(uy * uy + ux * ux);
  }
  if (std::isnan(fraction)) {
    return scalar;  // a target or vector too degenerate to project onto: stay put
  }
  ok = true;
  return fraction < 0.0f ? 0.0f : std::min(fraction, 1.0f);
}

void PointModel::moveBy(double dx, double dy) {
  if (kind == PointKind::kAbsolute && owner != nullptr) {
    x = ClampedCoordinate(ToSingle(x + dx), owner->width, x);
    y = ClampedCoordinate(ToSingle(y + dy), owner->height, y);
  } else if (kind == PointKind::kSlider) {
    const PointPosition p = getPosition();
    if (!p.valid) {
      return;
    }
    bool ok = false;
    const float fraction = projectOnVector(p.x + dx, p.y + dy, ok);
    if (ok) {
      scalar = fraction;
    }
  }
}

void PointModel::moveTo(double px, double py) {
  if (kind == PointKind::kAbsolute && owner != nullptr) {
    x = ClampedCoordinate(ToSingle(px), owner->width, x);
    y = ClampedCoordinate(ToSingle(py), owner->height, y);
  } else if (kind == PointKind::kSlider) {
    bool ok = false;
    const float fraction = projectOnVector(px, py, ok);
    if (ok) {
      scalar = fraction;
    }
  }
}

void PointModel::toJson(JsonWriter& writer) const {
  writer.StartObject();
  detail::WriteKey(writer, "index");
  writer.Int(index);
  detail::WriteKey(writer, "movable");
  writer.Bool(movable);
  detail::WriteKey(writer, "id");
  detail::WriteString(writer, id);
  if (kind == PointKind::kAbsolute) {
    // A zero-sized layout gives 0/0 here; the writer turns any non-finite fraction into 0.0.
    const double width = owner != nullptr ? owner->width : 0.0;
    const double height = owner != nullptr ? owner->height : 0.0;
    detail::WriteKey(writer, "x");
    WriteJsonDouble(writer, static_cast<double>(x) / width);
    detail::WriteKey(writer, "y");
    WriteJsonDouble(writer, static_cast<double>(y) / height);
  } else if (kind == PointKind::kSlider) {
    detail::WriteKey(writer, "vector");
    detail::WriteString(writer, sliderVector);
    detail::WriteKey(writer, "scalar");
    WriteJsonDouble(writer, scalar);
  } else if (kind == PointKind::kCrossing) {
    detail::WriteKey(writer, "crossVector");
    detail::WriteString(writer, crossVector);
    detail::WriteKey(writer, "vector");
    detail::WriteString(writer, baseVector);
  }
  writer.EndObject();
}

}  // namespace Orvane::Mosaira
