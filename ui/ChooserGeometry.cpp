#include "ui/ChooserGeometry.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "layout/LayoutRegistry.h"

namespace Orvane::Mosaira {
namespace {

float Span(A_long from, A_long to, int64_t less) {
  return float(int64_t(to) - less - int64_t(from));
}

ThumbnailGrid MakeGrid() {
  ThumbnailGrid grid;
  grid.count = int32_t(LayoutRegistry::instance().previews.size());
  grid.cellWidth = kLayoutPreviewSize;
  grid.cellHeight = kLayoutPreviewSize;
  return grid;
}

void SetScroll(ScrollState& scroll, float contentHeight, float viewport) {
  scroll.contentHeight = contentHeight;
  scroll.viewportHeight = viewport;
  scroll.thumbLength = 0.0f;
  if (contentHeight > 0.0f && viewport > 0.0f) {
    scroll.thumbLength = viewport / contentHeight * viewport;
  }
}

PF_Rect ThumbRect(const PF_Rect& control, const PanelStyle& style, const ScrollState& scroll) {
  PF_Rect r;
  r.left = TruncToInt32(double(control.right) - style.scrollBarWidth);
  r.right = control.right;
  r.top = TruncToInt32(double(control.top) + std::trunc(scroll.offset));
  r.bottom = TruncToInt32(double(r.top) + std::trunc(scroll.thumbLength));
  return r;
}

// The cells of row `row`, appended when the row shows in the viewport.
void AddRow(const ThumbnailGrid& grid, const PF_Rect& control, float y0, float viewport,
            int32_t columns, int32_t& index, std::vector<VisibleThumbnail>& visible) {
  const float y1 = float(y0 + grid.cellHeight);
  const bool shows =
      (y0 >= 0 && y1 <= viewport) || (y0 < 0 && 0 < y1) || (y0 < viewport && viewport < y1);
  for (int32_t c = 0; c < columns && index < grid.count; ++c, ++index) {
    if (!shows) continue;
    const float x = float(float(c + 1) * grid.spacing + c * grid.cellWidth);
    VisibleThumbnail t;
    t.index = index;
    t.left = TruncToInt32(float(control.left) + x);
    t.top = TruncToInt32(float(control.top) + y0);
    t.right = TruncToInt32(float(control.left) + float(x + grid.cellWidth));
    t.bottom = TruncToInt32(float(control.top) + y1);
    visible.push_back(t);
  }
}

}  // namespace

ThumbnailGrid& GetThumbnailGrid() {
  static ThumbnailGrid grid = MakeGrid();
  return grid;
}

ScrollState& GetScrollState() {
  static ScrollState scroll;
  return scroll;
}

void ComputeThumbnailRows(ThumbnailGrid& grid, std::vector<float>& rowTops, int32_t& columns) {
  rowTops.clear();
  const float twoSpacing = grid.spacing + grid.spacing;
  if (grid.count <= 0 || (grid.cellWidth == 0.0 && grid.cellHeight == 0.0) ||
      !(double(grid.gridWidth) > double(twoSpacing) + grid.cellWidth)) {
    grid.contentHeight = 0.0f;
    return;
  }
  const float numerator = grid.gridWidth - grid.spacing;
  columns = TruncToInt32(std::floor(numerator / (double(grid.spacing) + grid.cellWidth)));
  const int32_t rows = TruncToInt32(std::ceil(float(grid.count) / float(columns)));
  grid.contentHeight = float(double(float(rows + 2) * grid.spacing) + rows * grid.cellHeight);
  for (int32_t i = 0; i < rows; ++i) {
    rowTops.push_back(float(double(float(i + 1) * grid.spacing) + i * grid.cellHeight));
  }
}

bool HasScrollBar(const ScrollState& scroll) {
  return scroll.viewportHeight > 0.0f && scroll.contentHeight > scroll.viewportHeight;
}

float ClampScrollStart(float scrollStart, const ScrollState& scroll) {
  if (!std::isfinite(scrollStart) || !HasScrollBar(scroll)) return 0.0f;
  const double limit = std::max(0.0, 1.0 - double(scroll.thumbLength) / scroll.viewportHeight);
  return float(std::clamp(double(scrollStart), 0.0, limit));
}

ChooserLayout LayOutChooser(const PanelStyle& style, const PF_Rect& control, float scrollStart,
                            const void* owner, ThumbnailGrid& grid, ScrollState& scroll) {
  ChooserLayout out;
  grid.gridWidth = Span(control.left, control.right, style.scrollBarWidth);
  ComputeThumbnailRows(grid, out.rowTops, out.columns);
  SetScroll(scroll, grid.contentHeight, Span(control.top, control.bottom, style.hintHeight));
  scroll.owner = owner;
  scroll.offset = scroll.viewportHeight * ClampScrollStart(scrollStart, scroll);
  out.thumb = ThumbRect(control, style, scroll);
  return out;
}

ChooserLayout ComputeVisibleThumbnails(const PanelStyle& style, const PF_Rect& control,
                                       float scrollStart, const void* owner, ThumbnailGrid& grid,
                                       ScrollState& scroll,
                                       std::vector<VisibleThumbnail>& visible) {
  ChooserLayout out = LayOutChooser(style, control, scrollStart, owner, grid, scroll);
  visible.clear();
  const float viewport = scroll.viewportHeight;
  const float shift = viewport > 0.0f ? -(scroll.contentHeight * (scroll.offset / viewport)) : 0.0f;
  int32_t index = 0;
  for (const float rowTop : out.rowTops) {
    AddRow(grid, control, rowTop + shift, viewport, out.columns, index, visible);
  }
  return out;
}

bool ThumbHit(const ScrollState& scroll, const PF_Rect& thumb, int32_t h, int32_t v) {
  return HasScrollBar(scroll) && thumb.left < h && h < thumb.right && thumb.top < v &&
         v < thumb.bottom;
}

const VisibleThumbnail* ThumbnailAt(const std::vector<VisibleThumbnail>& visible, int32_t h,
                                    int32_t v) {
  for (const VisibleThumbnail& t : visible) {
    if (t.left < h && h < t.right && t.top < v && v < t.bottom) return &t;
  }
  return nullptr;
}

float ScrollMove(const ScrollState& scroll, int32_t dy) {
  if (dy > 0) {
    return float(std::min(
        double(scroll.viewportHeight) - (double(scroll.thumbLength) + double(scroll.offset)),
        double(dy)));
  }
  if (dy < 0) return float(std::max(double(dy), -double(scroll.offset)));
  return 0.0f;
}

int32_t TruncToInt32(double value) {
  if (std::isnan(value)) return 0;
  if (value <= double(std::numeric_limits<int32_t>::min())) {
    return std::numeric_limits<int32_t>::min();
  }
  if (value >= double(std::numeric_limits<int32_t>::max())) {
    return std::numeric_limits<int32_t>::max();
  }
  return int32_t(value);
}

}  // namespace Orvane::Mosaira
