// Helpers shared by the registry tests: the built-in registry, layouts of its templates at any size,
// and geometry read through the model (layout text comes from the layout tests' fixtures).
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "layout/GridLayoutModel.h"
#include "layout/LayoutRegistry.h"
#include "tests/layout/LayoutFixtures.h"

namespace Orvane::Mosaira::testing {

inline const LayoutRegistry& Builtin() { return LayoutRegistry::instance(); }

// Template i of the built-in registry, built at width x height.
inline std::unique_ptr<GridLayoutModel> BuildTemplate(std::size_t i, double width, double height) {
  const JsonValue* json = Builtin().templateAt(i);
  if (json == nullptr) throw std::out_of_range("no template");
  return std::make_unique<GridLayoutModel>(*json, LayoutSize{width, height}, static_cast<int32_t>(i));
}

// Signed area of a frame's polygon at the points' current positions (twins), in square pixels.
inline double FrameArea(const GridLayoutModel& layout, const FrameModel& frame) {
  std::vector<PointPosition> ps;
  for (const std::string& id : frame.polygon) {
    const PointModel* p = layout.findPointCopy(id);
    ps.push_back(p != nullptr ? p->getPosition() : PointPosition{});
  }
  double twice = 0.0;
  for (std::size_t k = 0; k < ps.size(); ++k) {
    const PointPosition& a = ps[k];
    const PointPosition& b = ps[(k + 1) % ps.size()];
    twice += a.x * b.y - b.x * a.y;
  }
  return twice / 2.0;
}

// Whether every point of every frame has a position.
inline bool AllFramePointsPlaced(const GridLayoutModel& layout) {
  for (const auto& frame : layout.frames) {
    for (const std::string& id : frame->polygon) {
      const PointModel* p = layout.findPointCopy(id);
      if (p == nullptr || !p->getPosition().valid) return false;
    }
  }
  return true;
}

// Ids of the built-in templates in template order.
inline std::vector<std::string> ExpectedIds() {
  const int counts[9] = {2, 10, 14, 16, 14, 10, 13, 13, 12};
  std::vector<std::string> ids;
  for (int n = 1; n <= 9; ++n) {
    for (int i = 1; i <= counts[n - 1]; ++i) ids.push_back(std::to_string(n) + "-" + std::to_string(i));
  }
  return ids;
}

}  // namespace Orvane::Mosaira::testing
