#include "layout/PositionResolver.h"

#include <algorithm>
#include <cmath>

#include "layout/GridLayoutModel.h"
#include "layout/SinglePrecision.h"

namespace Orvane::Mosaira::detail {
namespace {

PointPosition Valid(double x, double y) {
  // Positions feed integer conversions downstream: a non-finite one counts as no position.
  if (!std::isfinite(x) || !std::isfinite(y)) {
    return {};
  }
  return {x, y, true};
}

}  // namespace

PointPosition PositionResolver::pointPosition(const PointModel& point) {
  if (point.kind == PointKind::kAbsolute) {
    return Valid(point.x, point.y);
  }
  if (point.kind != PointKind::kSlider && point.kind != PointKind::kCrossing) {
    return {};
  }
  for (const auto& [placedPoint, position] : placed_) {
    if (placedPoint == &point) {
      return position;
    }
  }
  // A point met again while it is being placed closes a cycle: it and all that hang on it have none.
  if (std::find(inProgress_.begin(), inProgress_.end(), &point) != inProgress_.end()) {
    return {};
  }
  if (inProgress_.size() >= kMaxChainDepth) {
    return {};  // too deep to follow
  }
  inProgress_.push_back(&point);
  const PointPosition position =
      point.kind == PointKind::kSlider ? sliderPosition(point) : crossingPointPosition(point);
  inProgress_.pop_back();
  placed_.emplace_back(&point, position);
  return position;
}

PointPosition PositionResolver::twinPosition(const GridLayoutModel* layout, const std::string& key) {
  const PointModel* twin = layout != nullptr ? layout->findPointCopy(key) : nullptr;
  return twin != nullptr ? pointPosition(*twin) : PointPosition{};
}

PointPosition PositionResolver::sliderPosition(const PointModel& point) {
  const VectorModel* vector = point.owner != nullptr ? point.owner->findVector(point.sliderVector) : nullptr;
  if (vector == nullptr) {
    return {};
  }
  const PointPosition s = twinPosition(point.owner, vector->start);
  if (!s.valid) {
    return {};
  }
  const PointPosition e = twinPosition(point.owner, vector->end);
  if (!e.valid) {
    return {};
  }
  const double fraction = point.scalar;
  return Valid((e.x - s.x) * fraction + s.x, (e.y - s.y) * fraction + s.y);
}

PointPosition PositionResolver::crossingPointPosition(const PointModel& point) {
  if (point.owner == nullptr) {
    return {};
  }
  const VectorModel* first = point.owner->findVector(point.crossVector);
  const VectorModel* second = point.owner->findVector(point.baseVector);
  if (first == nullptr || second == nullptr) {
    return {};
  }
  return crossing(*first, *second);
}

PointPosition PositionResolver::crossing(const VectorModel& first, const VectorModel& second) {
  const PointPosition p1 = twinPosition(first.owner, first.start);
  if (!p1.valid) {
    return {};
  }
  const PointPosition p2 = twinPosition(first.owner, first.end);
  if (!p2.valid) {
    return {};
  }
  const PointPosition p3 = twinPosition(second.owner, second.start);
  if (!p3.valid) {
    return {};
  }
  const PointPosition p4 = twinPosition(second.owner, second.end);
  if (!p4.valid) {
    return {};
  }
  const float d = ToSingle((p3.y - p4.y) * (p1.x - p2.x) - (p3.x - p4.x) * (p1.y - p2.y));
  if (d == 0.0f) {
    return {};  // parallel lines, or a vector of zero length
  }
  const double a = p1.x * p2.y - p2.x * p1.y;
  const double b = p3.x * p4.y - p3.y * p4.x;
  const float x = ToSingle(a * (p3.x - p4.x) - b * (p1.x - p2.x)) / d;
  const float y = ToSingle(a * (p3.y - p4.y) - b * (p1.y - p2.y)) / d;
  return Valid(x, y);
}

PointPosition TwinPosition(const GridLayoutModel* layout, const std::string& key) {
  PositionResolver resolver;
  return resolver.twinPosition(layout, key);
}

}  // namespace Orvane::Mosaira::detail
