#include "layout/CornerPoints.h"

namespace Orvane::Mosaira {

bool IsCornerName(std::string_view id) {
  return id == "LEFT_TOP" || id == "RIGHT_TOP" || id == "RIGHT_BOTTOM" || id == "LEFT_BOTTOM";
}

Vec2d CornerUnitPosition(std::string_view id) {
  if (id == "LEFT_TOP") {
    return {0.0, 0.0};
  }
  if (id == "RIGHT_TOP") {
    return {1.0, 0.0};
  }
  if (id == "RIGHT_BOTTOM") {
    return {1.0, 1.0};
  }
  return {0.0, 1.0};
}

}  // namespace Orvane::Mosaira
