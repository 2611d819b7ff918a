#include "layout/FrameModel.h"

#include <clipper.hpp>
#include <cmath>
#include <cstdint>

#include "layout/GridLayoutModel.h"
#include "layout/JsonAccess.h"
#include "layout/PositionResolver.h"
#include "layout/SinglePrecision.h"

namespace Orvane::Mosaira {
namespace {

using detail::ToSingle;

// Integer units per pixel of the offset: a ten-thousandth of a pixel.
constexpr double kUnitsPerPixel = 10000.0;
constexpr double kMiterLimit = 20.0;
constexpr double kArcTolerance = 0.25;
// Far beyond any layer, far within Clipper's integer range, even grown by 20 times the largest offset.
constexpr double kMaxPixels = 1e9;

// The integer vertex of a point position; a position that is missing, not finite or beyond
// kMaxPixels enters at (0, 0), like a point without a position.
ClipperLib::IntPoint ToUnits(const PointPosition& position) {
  const double x = position.x * kUnitsPerPixel;
  const double y = position.y * kUnitsPerPixel;
  constexpr double kMaxUnits = kMaxPixels * kUnitsPerPixel;
  if (!position.valid || !(std::fabs(x) <= kMaxUnits) || !(std::fabs(y) <= kMaxUnits)) {
    return ClipperLib::IntPoint(0, 0);
  }
  // Truncation toward zero, as the conversion does.
  return ClipperLib::IntPoint(static_cast<int64_t>(x), static_cast<int64_t>(y));
}

double FromUnits(ClipperLib::cInt units) {
  return ToSingle(static_cast<double>(units) / kUnitsPerPixel);
}

}  // namespace

FrameModel::FrameModel(const JsonValue& json, GridLayoutModel* layout) : owner(layout) {
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
  insetPolygons.clear();
  // Exactly 0 grows each frame by a pixel so that neighbours overlap and no seam shows between them.
  const double distance = spacing == 0.0f ? -1.0 : static_cast<double>(spacing);
  if (!(std::fabs(distance) <= kMaxPixels)) {
    return;  // NaN, infinite or absurd: no offset could be represented
  }
  ClipperLib::Path path;
  path.reserve(polygon.size());
  for (const std::string& key : polygon) {
    path.push_back(ToUnits(detail::TwinPosition(owner, key)));
  }
  ClipperLib::Paths solution;
  try {
    ClipperLib::ClipperOffset offset(kMiterLimit, kArcTolerance);
    offset.AddPath(path, ClipperLib::jtMiter, ClipperLib::etClosedPolygon);
    // Clipper shrinks for a negative delta whatever the winding of the path.
    offset.Execute(solution, distance * -kUnitsPerPixel);
  } catch (const ClipperLib::clipperException&) {
    return;  // this frame stays empty; the other frames are unaffected
  }
  insetPolygons.reserve(solution.size());
  for (const ClipperLib::Path& result : solution) {
    Polygon inset;
    inset.reserve(result.size());
    for (const ClipperLib::IntPoint& point : result) {
      inset.push_back({FromUnits(point.X), FromUnits(point.Y)});
    }
    insetPolygons.push_back(std::move(inset));
  }
}

Vec2d FrameModel::centroid() const {
  Polygon ring;
  for (const Polygon& inset : insetPolygons) {
    ring.insert(ring.end(), inset.begin(), inset.end());
  }
  if (ring.empty()) {
    return {};
  }
  float area = 0.0f;
  float cx = 0.0f;
  float cy = 0.0f;
  const size_t n = ring.size();
  for (size_t i = 0; i < n; ++i) {
    const Vec2d& p = ring[i];
    const Vec2d& q = ring[(i + 1) % n];
    const double a = (p.y * q.x - p.x * q.y) * 0.5;
    area = ToSingle(area + a);
    cx = ToSingle(cx + (p.x + q.x) * a / 3.0);
    cy = ToSingle(cy + (p.y + q.y) * a / 3.0);
  }
  if (area != 0.0f) {
    const float x = cx / area;
    const float y = cy / area;
    if (std::isfinite(x) && std::isfinite(y)) {
      return {x, y};
    }
  }
  // No enclosed area (a flat ring): the mean of the points is the only meaningful middle.
  Vec2d mean;
  for (const Vec2d& p : ring) {
    mean.x += p.x;
    mean.y += p.y;
  }
  return {mean.x / static_cast<double>(n), mean.y / static_cast<double>(n)};
}

AffineTransform FrameModel::coverFit(double imageWidth, double imageHeight) const {
  constexpr AffineTransform kIdentity = {1.0, 0.0, 0.0, 0.0, 1.0, 0.0};
  if (!(imageWidth > 0.0 && imageHeight > 0.0 && std::isfinite(imageWidth) && std::isfinite(imageHeight))) {
    return kIdentity;
  }
  float minX = 1e8f;
  float minY = 1e8f;
  float maxX = -1e8f;
  float maxY = -1e8f;
  bool any = false;
  for (const Polygon& inset : insetPolygons) {
    for (const Vec2d& p : inset) {
      any = true;
      minX = p.x < minX ? ToSingle(p.x) : minX;
      minY = p.y < minY ? ToSingle(p.y) : minY;
      maxX = p.x > maxX ? ToSingle(p.x) : maxX;
      maxY = p.y > maxY ? ToSingle(p.y) : maxY;
    }
  }
  if (!any) {
    return kIdentity;  // nothing to cover; the frame's path is empty too
  }
  const float boxWidth = maxX - minX;
  const float boxHeight = maxY - minY;
  const float scale = std::fmax(ToSingle(boxWidth / imageWidth), ToSingle(boxHeight / imageHeight));
  const float scaledWidth = ToSingle(static_cast<double>(scale) * imageWidth);
  const float scaledHeight = ToSingle(static_cast<double>(scale) * imageHeight);
  const float tx = ToSingle((static_cast<double>(boxWidth) - scaledWidth) * 0.5 + minX);
  const float ty = ToSingle((static_cast<double>(boxHeight) - scaledHeight) * 0.5 + minY);
  if (!std::isfinite(scale) || !std::isfinite(tx) || !std::isfinite(ty)) {
    return kIdentity;
  }
  return {scale, 0.0, tx, 0.0, scale, ty};
}

}  // namespace Orvane::Mosaira
