// Root of the layout's movable elements: something with a number.
#pragma once

#include <cstdint>

namespace Orvane::Mosaira {

// Holds the element's number. Points are numbered among the points of their kind (the number picks
// the point or slider parameter that mirrors them); move buttons keep 0.
class IndexPoint {
 public:
  int32_t index = 0;

 protected:
  IndexPoint() = default;
  explicit IndexPoint(int32_t startIndex) : index(startIndex) {}
  IndexPoint(const IndexPoint&) = default;
  IndexPoint& operator=(const IndexPoint&) = default;
  // Never deleted through this type: the layout owns its elements by their concrete classes.
  ~IndexPoint() = default;
};

}  // namespace Orvane::Mosaira
