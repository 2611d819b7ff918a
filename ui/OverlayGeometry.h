// Geometry of the composition overlay, free of the host: the shapes drawn for move buttons and
// sliding points, where a frame's number goes, and what lies under the mouse. Layer positions are
// layer pixels; shapes are built around a centre already in whole frame pixels.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "layout/GridLayoutModel.h"

namespace Orvane::Mosaira {

// Half-sizes of the hit areas, in layer pixels. A distance passes when, truncated toward zero to
// a whole number, it is at most the limit: 7.5 admits distances below 8, 15 below 16, 10 below 11.
inline constexpr double kButtonHitAlong = 15.0;  // along the edge the button sits on
inline constexpr double kButtonHitAcross = 7.5;  // across it
inline constexpr double kPointHitLimit = 10.0;

// True when |mouse - reference|, truncated toward zero, is at most `limit`; false for NaN.
bool WithinHitLimit(double mouse, double reference, double limit);

// The centre of a move button: the midpoint of its two display points' twins, or no position
// when either has none.
PointPosition MoveButtonCentre(const GridLayoutModel& layout, const MoveButtonModel& button);

// What the mouse at whole layer pixels (mx, my) is over: the first move button in id order whose
// hit area holds it and, independently, the first sliding point in id order within 10 pixels.
// Elements without a position are never hit.
struct OverlayHit {
  const MoveButtonModel* button = nullptr;
  const PointModel* point = nullptr;
};
OverlayHit HitTestOverlay(const GridLayoutModel& layout, double mx, double my);

// One step of a Drawbot path.
struct PathStep {
  enum class Kind { kMoveTo, kLineTo, kArc, kClose } kind;
  float x = 0.0f, y = 0.0f;  // the point, or the arc's centre
  float radius = 0.0f, startDeg = 0.0f, sweepDeg = 0.0f;
};

// The capsule of a move button centred on whole frame pixels (x, y): 30 x 10 pixels lying along
// its edge (upright for LEFT_RIGHT, lying for UP_DOWN), as MoveTo, arc, LineTo, arc, Close.
std::array<PathStep, 5> CapsuleSteps(MoveDirection direction, int32_t x, int32_t y);

// The turn of a sliding point's marker in degrees: atan2 of its vector (end - start of the
// vector's twins) in layer pixels, 0 when the point is not sliding, the vector or an end is
// missing, or the vector has zero length.
float MarkerAngleDeg(const GridLayoutModel& layout, const PointModel& point);

// The 30 vertices of a point marker: an ellipse about (cx, cy) with semi-axes 10 (along the
// angle) and 5 (across it), turned by `angleDeg`.
inline constexpr int kMarkerVertexCount = 30;
std::array<Vec2d, kMarkerVertexCount> MarkerVertices(int32_t cx, int32_t cy, float angleDeg);

// Where frame k's number goes, in layer pixels: the centroid of its inset; when the inset has
// vanished, the mean of the frame's own corner positions that exist (the origin when none does).
Vec2d FrameNumberPosition(const GridLayoutModel& layout, const FrameModel& frame);

}  // namespace Orvane::Mosaira
