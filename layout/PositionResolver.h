// Works out positions of points that hang on other points (sliding and crossing points), through the
// owning layout's twins, for one query. Internal to the layout model.
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "layout/LayoutGeometry.h"

namespace Orvane::Mosaira {
class GridLayoutModel;
class PointModel;
struct VectorModel;
}  // namespace Orvane::Mosaira

namespace Orvane::Mosaira::detail {

// One resolver serves one query and is then dropped. It remembers the points it has placed, so a query
// over shared dependencies costs one visit per point, and the points it is placing, so that a chain
// that leads back to one of them ends as "no position" instead of recursing without end. A chain
// deeper than kMaxChainDepth also ends as "no position": each level costs stack, and a stored layout
// with an absurdly long chain must not overflow it (the built-in layouts are a few levels deep).
class PositionResolver {
 public:
  static constexpr std::size_t kMaxChainDepth = 256;

  PointPosition pointPosition(const PointModel& point);
  // The position of the twin filed under `key` in `layout` (no position when there is none).
  PointPosition twinPosition(const GridLayoutModel* layout, const std::string& key);
  // The crossing of the lines of `first` and `second`.
  PointPosition crossing(const VectorModel& first, const VectorModel& second);

 private:
  PointPosition sliderPosition(const PointModel& point);
  PointPosition crossingPointPosition(const PointModel& point);

  std::vector<const PointModel*> inProgress_;
  std::vector<std::pair<const PointModel*, PointPosition>> placed_;
};

// The position of the twin filed under `key` in `layout`, as a fresh query.
PointPosition TwinPosition(const GridLayoutModel* layout, const std::string& key);

}  // namespace Orvane::Mosaira::detail
