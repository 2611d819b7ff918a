#include "layout/LayoutGeometry.h"

#include <clipper.hpp>
#include <cmath>
#include <cstdint>

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
constexpr AffineTransform kIdentity = {1.0, 0.0, 0.0, 0.0, 1.0, 0.0};

// The integer vertex of a corner; one that is missing, not finite or beyond kMaxPixels enters at
// (0, 0), like a point without a position.
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

Polygon FromUnits(const ClipperLib::Path& path) {
  Polygon polygon;
  polygon.reserve(path.size());
  for (const ClipperLib::IntPoint& point : path) {
    polygon.push_back({FromUnits(point.X), FromUnits(point.Y)});
  }
  return polygon;
}

// The points of all polygons, polygon after polygon.
Polygon JoinedRing(const std::vector<Polygon>& polygons) {
  Polygon ring;
  for (const Polygon& polygon : polygons) {
    ring.insert(ring.end(), polygon.begin(), polygon.end());
  }
  return ring;
}

Vec2d MeanOf(const Polygon& ring) {
  Vec2d mean;
  for (const Vec2d& p : ring) {
    mean.x += p.x;
    mean.y += p.y;
  }
  const auto n = static_cast<double>(ring.size());
  return {mean.x / n, mean.y / n};
}

// Bounds kept in single precision, compared in double precision; they start where no point is.
struct SingleBounds {
  float minX = 1e8f;
  float minY = 1e8f;
  float maxX = -1e8f;
  float maxY = -1e8f;
  bool any = false;
};

SingleBounds BoundsOf(const std::vector<Polygon>& polygons) {
  SingleBounds b;
  for (const Polygon& polygon : polygons) {
    for (const Vec2d& p : polygon) {
      b.any = true;
      b.minX = p.x < b.minX ? ToSingle(p.x) : b.minX;
      b.minY = p.y < b.minY ? ToSingle(p.y) : b.minY;
      b.maxX = p.x > b.maxX ? ToSingle(p.x) : b.maxX;
      b.maxY = p.y > b.maxY ? ToSingle(p.y) : b.maxY;
    }
  }
  return b;
}

}  // namespace

std::vector<Polygon> Inset(const std::vector<PointPosition>& corners, float spacing) {
  // Exactly 0 grows each frame by a pixel so that neighbours overlap and no seam shows between them.
  const double distance = spacing == 0.0f ? -1.0 : static_cast<double>(spacing);
  if (!(std::fabs(distance) <= kMaxPixels)) {
    return {};  // NaN, infinite or absurd: no offset could be represented
  }
  ClipperLib::Path path;
  path.reserve(corners.size());
  for (const PointPosition& corner : corners) {
    path.push_back(ToUnits(corner));
  }
  ClipperLib::Paths solution;
  try {
    ClipperLib::ClipperOffset offset(kMiterLimit, kArcTolerance);
    offset.AddPath(path, ClipperLib::jtMiter, ClipperLib::etClosedPolygon);
    // Clipper shrinks for a negative delta whatever the winding of the path.
    offset.Execute(solution, distance * -kUnitsPerPixel);
  } catch (const ClipperLib::clipperException&) {
    return {};
  }
  std::vector<Polygon> insets;
  insets.reserve(solution.size());
  for (const ClipperLib::Path& result : solution) {
    insets.push_back(FromUnits(result));
  }
  return insets;
}

Vec2d Centroid(const std::vector<Polygon>& polygons) {
  const Polygon ring = JoinedRing(polygons);
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
  return MeanOf(ring);
}

AffineTransform CoverFit(const std::vector<Polygon>& polygons, double imageWidth, double imageHeight) {
  if (!(imageWidth > 0.0 && imageHeight > 0.0 && std::isfinite(imageWidth) && std::isfinite(imageHeight))) {
    return kIdentity;
  }
  const SingleBounds b = BoundsOf(polygons);
  if (!b.any) {
    return kIdentity;  // nothing to cover; the frame's path is empty too
  }
  const float boxWidth = b.maxX - b.minX;
  const float boxHeight = b.maxY - b.minY;
  const float scale = std::fmax(ToSingle(boxWidth / imageWidth), ToSingle(boxHeight / imageHeight));
  const float scaledWidth = ToSingle(static_cast<double>(scale) * imageWidth);
  const float scaledHeight = ToSingle(static_cast<double>(scale) * imageHeight);
  const float tx = ToSingle((static_cast<double>(boxWidth) - scaledWidth) * 0.5 + b.minX);
  const float ty = ToSingle((static_cast<double>(boxHeight) - scaledHeight) * 0.5 + b.minY);
  if (!std::isfinite(scale) || !std::isfinite(tx) || !std::isfinite(ty)) {
    return kIdentity;
  }
  return {scale, 0.0, tx, 0.0, scale, ty};
}

AffineTransform MakeAffineTransform(double anchorX, double anchorY, double positionX,
                                    double positionY, double kx, double ky, double degrees) {
  const double theta = degrees * kRadiansPerDegree;
  const double a = std::cos(theta) * kx;
  const double b = -std::sin(theta) * ky;
  const double d = std::sin(theta) * kx;
  const double e = std::cos(theta) * ky;
  const double c = positionX - (a * anchorX + b * anchorY);
  const double f = positionY - (d * anchorX + e * anchorY);
  return {a, b, c, d, e, f};
}

AffineTransform ComposeAffine(const AffineTransform& s, const AffineTransform& m) {
  return {s[0] * m[0] + s[1] * m[3],        s[0] * m[1] + s[1] * m[4],
          s[0] * m[2] + s[1] * m[5] + s[2], s[3] * m[0] + s[4] * m[3],
          s[3] * m[1] + s[4] * m[4],        s[3] * m[2] + s[4] * m[5] + s[5]};
}

AffineTransform FrameImageTransform(const AffineTransform& coverFit, double imageWidth,
                                    double imageHeight, double scale, double xOffset, double yOffset) {
  const double lw = imageWidth;
  const double lh = imageHeight;
  const AffineTransform zoom =
      MakeAffineTransform(lw / 2, lh / 2, lw / 2 + xOffset, lh / 2 + yOffset, scale, scale, 0.0);
  return ComposeAffine(coverFit, zoom);
}

}  // namespace Orvane::Mosaira
