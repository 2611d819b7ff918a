// Geometry of the layout chooser, free of the host: the thumbnail grid, the scroll bar and which
// thumbnails a control rectangle shows. Rectangles are frame pixels (left, top, right, bottom).
// The precision of each step (single or double) is part of the result and kept as written.
#pragma once

#include <cstdint>
#include <vector>

#include "sdk/pf_types.h"
#include "ui/PanelStyle.h"

namespace Orvane::Mosaira {

struct ThumbnailGrid {
  int32_t count = 0;        // number of thumbnails
  double cellWidth = 60.0;  // thumbnail size
  double cellHeight = 60.0;
  float spacing = 5.0f;        // gap between thumbnails and around the grid
  float gridWidth = 0.0f;      // width available to the grid; set before every layout
  float contentHeight = 0.0f;  // height of the whole grid, set by ComputeThumbnailRows
};

struct ScrollState {
  float contentHeight = 100.0f;  // height of the whole grid
  float viewportHeight = 10.0f;  // control height less the hint strip
  float offset = 0.0f;           // thumb position below the top of the track, pixels
  float thumbLength = 0.0f;      // pixels; 0 when there is no scroll bar
  const void* owner = nullptr;   // the instance (record) whose control was laid out last
};

// One thumbnail on screen: the template's registry position and its full cell (not clipped).
struct VisibleThumbnail {
  int32_t index = 0;
  int32_t left = 0, top = 0, right = 0, bottom = 0;
};

// The process-wide records, made on first use (the grid counts the registry's previews) and never
// freed. Only the chooser's event handlers touch them.
ThumbnailGrid& GetThumbnailGrid();
ScrollState& GetScrollState();

// Lays the grid out in rows: fills the row tops and the column count and sets contentHeight. No
// rows and contentHeight 0 (columns untouched) when there is nothing to show, both cell sizes are
// 0 or gridWidth is not above 2 * spacing + cellWidth (NaN included).
void ComputeThumbnailRows(ThumbnailGrid& grid, std::vector<float>& rowTops, int32_t& columns);

// True when the content overflows a viewport of positive height: only then is there a thumb.
bool HasScrollBar(const ScrollState& scroll);

// scrollStart limited to [0, max(0, 1 - thumbLength / viewportHeight)]; 0 when not finite or
// when there is no scroll bar.
float ClampScrollStart(float scrollStart, const ScrollState& scroll);

// One layout of the grid and the scroll bar for a control: the rows and columns, ScrollState
// (owner included) and the thumb rectangle, placed at `scrollStart` clamped (ClampScrollStart).
// The instance's own value is left as it is: a control that grows and shrinks again shows the
// thumb where it was.
struct ChooserLayout {
  std::vector<float> rowTops;
  int32_t columns = 0;
  PF_Rect thumb{};
};
ChooserLayout LayOutChooser(const PanelStyle& style, const PF_Rect& control, float scrollStart,
                            const void* owner, ThumbnailGrid& grid, ScrollState& scroll);

// LayOutChooser, then the thumbnails of the rows that show in the viewport (a row shows when it
// lies inside it or crosses its top or bottom), each with its full cell. Returns the layout.
ChooserLayout ComputeVisibleThumbnails(const PanelStyle& style, const PF_Rect& control,
                                       float scrollStart, const void* owner, ThumbnailGrid& grid,
                                       ScrollState& scroll, std::vector<VisibleThumbnail>& visible);

// True when (h, v) lies strictly inside the thumb's rectangle (and there is a scroll bar).
bool ThumbHit(const ScrollState& scroll, const PF_Rect& thumb, int32_t h, int32_t v);

// The first thumbnail whose cell holds (h, v) strictly inside; null when none.
const VisibleThumbnail* ThumbnailAt(const std::vector<VisibleThumbnail>& visible, int32_t h,
                                    int32_t v);

// The thumb's move for a mouse movement of dy pixels, kept so that the thumb stays in its track:
// min(viewport - (thumb + offset), dy) down, max(dy, -offset) up, in double precision.
float ScrollMove(const ScrollState& scroll, int32_t dy);

// A double truncated toward zero into int32, clamped; NaN gives 0.
int32_t TruncToInt32(double value);

}  // namespace Orvane::Mosaira
