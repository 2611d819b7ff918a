// FrameModel::buildPath: tracing the inset as a vector-drawing path, corners sharp or rounded.
#include <algorithm>
#include <cmath>

#include "layout/FrameModel.h"
#include "layout/SinglePrecision.h"
#include "nanovg.h"

namespace Orvane::Mosaira {
namespace {

using detail::ToSingle;

float Length(const Vec2d& from, const Vec2d& to) {
  const double dx = to.x - from.x;
  const double dy = to.y - from.y;
  return ToSingle(std::sqrt(dx * dx + dy * dy));
}

// One rounded corner: where the arc leaves the incoming edge, where it meets the outgoing edge, and
// its radius.
struct RoundedCorner {
  Vec2d enter;
  Vec2d leave;
  float radius = 0.0f;
};

RoundedCorner RoundCorner(const Vec2d& prev, const Vec2d& corner, const Vec2d& next, float roundness) {
  const float len1 = Length(prev, corner);
  const float len2 = Length(corner, next);
  const float shorter = std::min(len1, len2);
  // Next to an edge of zero length there is nothing to round: the corner stays sharp (radius 0).
  if (!(shorter > 0.0f)) {
    return {corner, corner, 0.0f};
  }
  RoundedCorner out;
  const float k1 = 1.0f - (shorter / len1) * roundness * 0.5f;
  out.enter = {prev.x + (corner.x - prev.x) * k1, prev.y + (corner.y - prev.y) * k1};
  const float k2 = ToSingle(static_cast<double>((shorter / len2) * roundness) * 0.5);
  out.leave = {corner.x + (next.x - corner.x) * k2, corner.y + (next.y - corner.y) * k2};
  const float ax = ToSingle(prev.x - corner.x);
  const float ay = ToSingle(prev.y - corner.y);
  const float bx = ToSingle(next.x - corner.x);
  const float by = ToSingle(next.y - corner.y);
  const float angle = std::atan2(std::fabs(ax * by - ay * bx), ax * bx + ay * by);
  const float halfTangent = std::tan(ToSingle(static_cast<double>(angle) / 2.0));
  const float cut = shorter * roundness;
  out.radius = ToSingle(static_cast<double>(halfTangent) * cut * 0.5);
  return out;
}

void TraceRounded(NVGcontext* ctx, const Polygon& inset, float roundness) {
  const size_t n = inset.size();
  for (size_t i = 0; i < n; ++i) {
    const Vec2d& corner = inset[i];
    const RoundedCorner r = RoundCorner(inset[(i + n - 1) % n], corner, inset[(i + 1) % n], roundness);
    const float ex = ToSingle(r.enter.x);
    const float ey = ToSingle(r.enter.y);
    if (i == 0) {
      nvgMoveTo(ctx, ex, ey);
    } else {
      nvgLineTo(ctx, ex, ey);
    }
    nvgArcTo(ctx, ToSingle(corner.x), ToSingle(corner.y), ToSingle(r.leave.x), ToSingle(r.leave.y), r.radius);
  }
}

void TraceSharp(NVGcontext* ctx, const Polygon& inset) {
  for (size_t i = 0; i < inset.size(); ++i) {
    const float x = ToSingle(inset[i].x);
    const float y = ToSingle(inset[i].y);
    if (i == 0) {
      nvgMoveTo(ctx, x, y);
    } else {
      nvgLineTo(ctx, x, y);
    }
  }
}

}  // namespace

void FrameModel::buildPath(NVGcontext* ctx, float roundness) const {
  nvgBeginPath(ctx);
  const bool rounded = roundness > 0.0f && roundness <= 1.0f;  // NaN counts as sharp
  for (const Polygon& inset : insetPolygons) {
    if (rounded) {
      TraceRounded(ctx, inset, roundness);
    } else {
      TraceSharp(ctx, inset);
    }
  }
  // One close after the last sub-path; each further polygon starts its own sub-path with its move.
  nvgClosePath(ctx);
}

}  // namespace Orvane::Mosaira
