#include "ui/OverlayGeometry.h"

#include <cmath>

namespace Orvane::Mosaira {
namespace {

bool ButtonHit(const GridLayoutModel& layout, const MoveButtonModel& button, double mx, double my) {
  const PointPosition c = MoveButtonCentre(layout, button);
  if (!c.valid) return false;
  const bool upright = button.direction == MoveDirection::LEFT_RIGHT;
  const double xLimit = upright ? kButtonHitAcross : kButtonHitAlong;
  const double yLimit = upright ? kButtonHitAlong : kButtonHitAcross;
  return WithinHitLimit(mx, c.x, xLimit) && WithinHitLimit(my, c.y, yLimit);
}

bool PointHit(const PointModel& point, double mx, double my) {
  if (point.kind != PointKind::kSlider) return false;
  const PointPosition p = point.getPosition();
  return p.valid && WithinHitLimit(mx, p.x, kPointHitLimit) &&
         WithinHitLimit(my, p.y, kPointHitLimit);
}

}  // namespace

bool WithinHitLimit(double mouse, double reference, double limit) {
  return std::trunc(std::fabs(mouse - reference)) <= limit;
}

PointPosition MoveButtonCentre(const GridLayoutModel& layout, const MoveButtonModel& button) {
  const PointPosition a = layout.twinPosition(button.displayPoints[0]);
  const PointPosition b = layout.twinPosition(button.displayPoints[1]);
  if (!a.valid || !b.valid) return PointPosition{};
  return PointPosition{(a.x + b.x) * 0.5, (a.y + b.y) * 0.5, true};
}

OverlayHit HitTestOverlay(const GridLayoutModel& layout, double mx, double my) {
  OverlayHit hit;
  for (const auto& [id, button] : layout.moveButtons) {
    if (ButtonHit(layout, *button, mx, my)) {
      hit.button = button.get();
      break;
    }
  }
  for (const auto& [id, point] : layout.points) {
    if (PointHit(*point, mx, my)) {
      hit.point = point.get();
      break;
    }
  }
  return hit;
}

std::array<PathStep, 5> CapsuleSteps(MoveDirection direction, int32_t x, int32_t y) {
  using K = PathStep::Kind;
  const float fx = float(x), fy = float(y);
  if (direction == MoveDirection::LEFT_RIGHT) {
    return {PathStep{K::kMoveTo, fx - 5, fy - 10}, PathStep{K::kArc, fx, fy - 10, 5, -180, 180},
            PathStep{K::kLineTo, fx + 5, fy + 10}, PathStep{K::kArc, fx, fy + 10, 5, 0, 180},
            PathStep{K::kClose}};
  }
  return {PathStep{K::kMoveTo, fx - 10, fy + 5}, PathStep{K::kArc, fx - 10, fy, 5, -270, 180},
          PathStep{K::kLineTo, fx + 10, fy - 5}, PathStep{K::kArc, fx + 10, fy, 5, 270, 180},
          PathStep{K::kClose}};
}

float MarkerAngleDeg(const GridLayoutModel& layout, const PointModel& point) {
  if (point.kind != PointKind::kSlider) return 0.0f;
  const VectorModel* vector = layout.findVector(point.sliderVector);
  if (!vector) return 0.0f;
  const PointPosition s = layout.twinPosition(vector->start);
  const PointPosition e = layout.twinPosition(vector->end);
  if (!s.valid || !e.valid) return 0.0f;
  const double dx = e.x - s.x, dy = e.y - s.y;
  if (dx == 0.0 && dy == 0.0) return 0.0f;
  return float(std::atan2(dy, dx) * kDegreesPerRadian);
}

std::array<Vec2d, kMarkerVertexCount> MarkerVertices(int32_t cx, int32_t cy, float angleDeg) {
  std::array<Vec2d, kMarkerVertexCount> v;
  const double a = angleDeg * kRadiansPerDegree;
  for (int i = 0; i < kMarkerVertexCount; ++i) {
    const float t = float(i * 6.283185307179586 / kMarkerVertexCount);
    v[i] = Vec2d{cx + 10.0 * std::sin(t), cy + 5.0 * std::cos(t)};
    if (angleDeg == 0.0f) continue;
    const double dx = v[i].x - cx, dy = v[i].y - cy;
    v[i] =
        Vec2d{cx + dx * std::cos(a) - dy * std::sin(a), cy + dx * std::sin(a) + dy * std::cos(a)};
  }
  return v;
}

Vec2d FrameNumberPosition(const GridLayoutModel& layout, const FrameModel& frame) {
  if (!frame.insetPolygons.empty()) return frame.centroid();
  Vec2d sum;
  int count = 0;
  for (const PointPosition& p : layout.framePositions(frame)) {
    if (!p.valid) continue;
    sum.x += p.x;
    sum.y += p.y;
    ++count;
  }
  if (count == 0) return Vec2d{};
  return Vec2d{sum.x / count, sum.y / count};
}

}  // namespace Orvane::Mosaira
