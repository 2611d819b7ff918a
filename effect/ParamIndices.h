// The fixed order of the effect's 95 parameters. A parameter's position is its index in every
// command's params array and its id; the host stores values and keyframes under these indices,
// so the order is a stored format and never changes.
#pragma once

#include <cstdint>

namespace Orvane::Mosaira {

enum : int32_t {
  kParamInputLayer = 0,
  kParamLayouts = 1,  // 1 = no layout, 2 + i = built-in layout i
  kParamEdgeInset = 2,
  kParamRoundCorner = 3,
  kParamCornerPointGroupStart = 4,
  kParamPointFirst = 5,  // point parameter i (from 1) has index 4 + i
  kParamPointLast = 28,
  kParamCornerPointGroupEnd = 29,
  kParamEdgeSliderGroupStart = 30,
  kParamSliderFirst = 31,  // slider parameter i (from 1) has index 30 + i
  kParamSliderLast = 39,
  kParamEdgeSliderGroupEnd = 40,
  kParamPolygonGroupFirst = 41,  // polygon group k (from 0) starts at 41 + 6k
  kParamPolygonGroupStride = 6,
  kParamCount = 95,  // including the host's input layer
};

// Offsets inside one polygon group.
enum : int32_t {
  kPolygonGroupStart = 0,
  kPolygonLayer = 1,
  kPolygonXOffset = 2,
  kPolygonYOffset = 3,
  kPolygonScale = 4,
  kPolygonGroupEnd = 5,
};

inline constexpr int32_t kPointParamCount = kParamPointLast - kParamPointFirst + 1;     // 24
inline constexpr int32_t kSliderParamCount = kParamSliderLast - kParamSliderFirst + 1;  // 9
inline constexpr int32_t kPolygonGroupCount = 9;
inline constexpr int32_t kLayoutsNone = 1;         // "Layouts" value that loads no layout
inline constexpr int32_t kLayoutsFirstLayout = 2;  // "Layouts" value of built-in layout 0

// Index of parameter `offset` of polygon group `group` (both from 0).
constexpr int32_t PolygonParam(int32_t group, int32_t offset) {
  return kParamPolygonGroupFirst + kParamPolygonGroupStride * group + offset;
}

static_assert(PolygonParam(kPolygonGroupCount - 1, kPolygonGroupEnd) == kParamCount - 1);

}  // namespace Orvane::Mosaira
