// A NanoVG context over a stand-in back end that draws nothing and records every fill: the flattened
// vertices of each path (anti-aliasing off, so they are the path's own points).
#pragma once

#include <vector>

#include "layout/LayoutGeometry.h"

struct NVGcontext;

namespace Orvane::Mosaira::testing {

struct RecordedPath {
  std::vector<Vec2d> points;
};

struct RecordedFill {
  std::vector<RecordedPath> paths;
};

class RecordingNanoVg {
 public:
  RecordingNanoVg();
  ~RecordingNanoVg();
  RecordingNanoVg(const RecordingNanoVg&) = delete;
  RecordingNanoVg& operator=(const RecordingNanoVg&) = delete;

  NVGcontext* context() const { return ctx_; }
  // Wraps `draw` (which builds a path) in a frame and fills it; returns what the fill received.
  template <typename Draw>
  RecordedFill fill(Draw&& draw) {
    begin();
    draw(ctx_);
    return finish();
  }

  std::vector<RecordedFill> fills;

 private:
  void begin();
  RecordedFill finish();

  NVGcontext* ctx_ = nullptr;
};

}  // namespace Orvane::Mosaira::testing
