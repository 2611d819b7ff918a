// Plain geometric values shared by the layout model: sizes, positions, polygons and transforms.
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

}  // namespace Orvane::Mosaira
