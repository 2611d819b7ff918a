// The four named corners of a layout: "LEFT_TOP", "RIGHT_TOP", "RIGHT_BOTTOM", "LEFT_BOTTOM".
#pragma once

#include <string_view>

#include "layout/LayoutGeometry.h"

namespace Orvane::Mosaira {

// True only when `id` is exactly one of the four corner names (whole string, case-sensitive).
bool IsCornerName(std::string_view id);

// The corner's position in unit fractions of the layout: "LEFT_TOP" (0, 0), "RIGHT_TOP" (1, 0),
// "RIGHT_BOTTOM" (1, 1); any other id, "LEFT_BOTTOM" included, gives (0, 1).
Vec2d CornerUnitPosition(std::string_view id);

}  // namespace Orvane::Mosaira
