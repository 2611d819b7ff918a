// Plain geometric values shared by the layout model (sizes, positions, polygons, transforms) and the
// pure functions on them: the inset of a polygon, its centroid, the cover fit of an image over it and
// the affine maths of placing an image. Values in, values out; nothing here knows a layout.
// All lengths are layer pixels of the layout's size (origin top left, y downwards) unless a name says otherwise.
#pragma once

#include <array>
#include <vector>

namespace Orvane::Mosaira {

// A layout's size in layer pixels.
struct LayoutSize {
  double width = 0.0;
  double height = 0.0;
};

// A point or a vector of two doubles.
struct Vec2d {
  double x = 0.0;
  double y = 0.0;
};

// The answer of a position query: (x, y) and whether the point has a position at all.
// A point without a position reads as (0, 0) with `valid` false.
struct PointPosition {
  double x = 0.0;
  double y = 0.0;
  bool valid = false;
};

// One closed polygon, vertices in order, the closing edge implied.
using Polygon = std::vector<Vec2d>;

// 2x3 affine matrix in row order (a, b, c, d, e, f): (x, y) maps to (a x + b y + c, d x + e y + f).
using AffineTransform = std::array<double, 6>;

// The degree-to-radian factor the frame transforms and the point markers have always used (a little
// below pi / 180), and the radian-to-degree factor of the markers.
inline constexpr double kRadiansPerDegree = 0.017453292519943;
inline constexpr double kDegreesPerRadian = 57.29577951308232;

// The polygon through `corners` (in order; a corner without a position, not finite or beyond 1e9
// pixels counts as (0, 0)) offset inwards by `spacing` pixels with mitered corners (miter limit 20),
// at a resolution of 1/10000 pixel, vertices narrowed to single precision. A spacing of exactly 0
// grows the polygon by one pixel instead, so that neighbouring frames overlap; a negative spacing
// grows it by its size. Either winding. No polygon when the spacing swallows the shape, several when
// it splits it; none either for a non-finite or absurdly large spacing or an offset that fails.
std::vector<Polygon> Inset(const std::vector<PointPosition>& corners, float spacing);

// Area centroid of `polygons` joined into one ring, summed in single precision. When that ring
// encloses no area, the mean of its points; (0, 0) when there are no points.
Vec2d Centroid(const std::vector<Polygon>& polygons);

// The transform that scales an image of imageWidth x imageHeight (both above 0) by one factor, in
// single precision, so that it covers the bounding box of `polygons` and centres it there. Identity
// when there are no points, when the size is not positive and finite, or when the result is not finite.
AffineTransform CoverFit(const std::vector<Polygon>& polygons, double imageWidth, double imageHeight);

// The affine transform putting `anchor` at `position` after scaling by (kx, ky) and rotating by
// `degrees` about it: p goes to position + Rot K (p - anchor).
AffineTransform MakeAffineTransform(double anchorX, double anchorY, double positionX,
                                    double positionY, double kx, double ky, double degrees);

// `first` then `second`: the point goes through `first`, then through `second`.
AffineTransform ComposeAffine(const AffineTransform& second, const AffineTransform& first);

// The placement of an image of imageWidth x imageHeight: zoomed about its centre by `scale`, shifted
// by (xOffset, yOffset) in the image's own units, then put over its frame by `coverFit`.
AffineTransform FrameImageTransform(const AffineTransform& coverFit, double imageWidth,
                                    double imageHeight, double scale, double xOffset, double yOffset);

}  // namespace Orvane::Mosaira
