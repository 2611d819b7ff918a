#include "ui/LayoutChooser.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "layout/LayoutRegistry.h"
#include "sdk/drawbot_objects.h"
#include "ui/ChooserGeometry.h"
#include "ui/DebugLog.h"
#include "ui/DragToken.h"
#include "ui/DrawPrimitives.h"
#include "ui/DrawingSetup.h"
#include "ui/PanelStyle.h"
#include "ui/RectClip.h"

namespace Orvane::Mosaira {
namespace {

constexpr float kThumbnailStrokeWidth = 1.0f;

int32_t Low32(A_intptr_t v) {
  return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(v)));
}

PF_Rect HintStrip(const PF_Rect& control, const PanelStyle& style) {
  return PF_Rect{control.left, TruncToInt32(double(control.bottom) - style.hintHeight),
                 control.right, control.bottom};
}

PF_Rect Track(const PF_Rect& control, const PanelStyle& style) {
  return PF_Rect{TruncToInt32(double(control.right) - style.scrollBarWidth), control.top,
                 control.right, TruncToInt32(double(control.bottom) - style.hintHeight)};
}

// FillRect of the part of `rect` inside the control; nothing when no part is.
void FillClipped(const PF_Rect& rect, const PF_Rect& control, const DrawingSession& s,
                 const DRAWBOT_ColorRGBA& colour) {
  const PF_Rect clipped = ClipRect(rect, control);
  if (!IsEmptyRect(clipped)) FillRect(clipped, s.drawRef(), s.suites(), colour);
}

// The frame's polygon in whole frame pixels of the cell; nullopt when a point has no position.
std::optional<Polygon> ThumbnailPolygon(const FrameModel& frame, const GridLayoutModel& preview,
                                        const int32_t cellOrigin[2]) {
  Polygon polygon;
  for (const PointPosition& p : preview.framePositions(frame)) {
    if (!p.valid) return std::nullopt;
    polygon.push_back(Vec2d{double(TruncToInt32(cellOrigin[0] + p.x)),
                            double(TruncToInt32(cellOrigin[1] + p.y))});
  }
  return polygon;
}

bool SamePoints(const Polygon& a, const Polygon& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](const Vec2d& p, const Vec2d& q) { return p.x == q.x && p.y == q.y; });
}

// Adds the points to the path as one subpath (MoveTo, LineTo...), closed when asked; the first
// error.
A_Err AddPolyline(const DRAWBOT_PathSuite1& ps, DRAWBOT_PathRef path, const Polygon& points,
                  bool close) {
  A_Err err = ps.MoveTo(path, float(points[0].x), float(points[0].y));
  for (size_t i = 1; i < points.size() && !err; ++i) {
    err = ps.LineTo(path, float(points[i].x), float(points[i].y));
  }
  if (!err && close) err = ps.Close(path);
  return err;
}

void DrawThumbnail(const DrawingSession& s, const VisibleThumbnail& t, const PanelStyle& style,
                   const PF_Rect& control, const InstanceLink& link) {
  FillClipped(PF_Rect{t.left, t.top, t.right, t.bottom}, control, s, style.shade);
  const auto& previews = LayoutRegistry::instance().previews;
  if (t.index < 0 || size_t(t.index) >= previews.size() || !previews[size_t(t.index)]) return;
  const GridLayoutModel& preview = *previews[size_t(t.index)];
  const bool loaded = link.layout && link.layout->index == t.index;
  const DRAWBOT_ColorRGBA& fill = loaded ? style.accent : style.background;
  const DRAWBOT_ColorRGBA& stroke = loaded ? style.background : style.accent;
  const int32_t origin[2] = {t.left, t.top};
  for (const auto& frame : preview.frames) {
    DrawThumbnailFrame(s.drawRef(), s.suites(), *frame, preview, fill, stroke, origin, control);
  }
}

void DrawGrid(const DrawingSession& s, const PanelStyle& style, const PF_Rect& control,
              const InstanceLink& link) {
  std::vector<VisibleThumbnail> visible;
  ScrollState& scroll = GetScrollState();
  const ChooserLayout layout = ComputeVisibleThumbnails(
      style, control, *link.scrollStart, link.record, GetThumbnailGrid(), scroll, visible);
  if (HasScrollBar(scroll)) {
    FillClipped(Track(control, style), control, s, style.shade);
    FillClipped(layout.thumb, control, s, style.accent);
  }
  for (const VisibleThumbnail& t : visible) DrawThumbnail(s, t, style, control, link);
}

void SingleClick(const PanelStyle& style, PF_EventExtra& extra, const InstanceLink& link) {
  PF_DoClickEventInfo& click = extra.u.do_click;
  ScrollState& scroll = GetScrollState();
  const ChooserLayout layout =
      LayOutChooser(style, extra.effect_win.current_frame, *link.scrollStart, link.record,
                    GetThumbnailGrid(), scroll);
  if (!HasScrollBar(scroll)) return;
  const bool hit = ThumbHit(scroll, layout.thumb, click.screen_point.h, click.screen_point.v);
  if (hit) {
    click.send_drag = 1;
    click.continue_refcon[0] = click.screen_point.v;
    SetDragToken(click, link.record, DragControl::kChooser);
  }
  DebugLog("hit scroll bar:%s", hit ? "yes" : "no");
}

void DoubleClick(const PanelStyle& style, PF_EventExtra& extra, PF_ParamDef* params[],
                 const InstanceLink& link) {
  std::vector<VisibleThumbnail> visible;
  ComputeVisibleThumbnails(style, extra.effect_win.current_frame, *link.scrollStart, link.record,
                           GetThumbnailGrid(), GetScrollState(), visible);
  const PF_Point m = extra.u.do_click.screen_point;
  const VisibleThumbnail* hit = ThumbnailAt(visible, m.h, m.v);
  PF_ParamDef* layouts = params[link.layoutsParam];
  if (!hit || !layouts) return;
  layouts->u.pd.value = hit->index + 2;
  layouts->uu.change_flags = PF_ChangeFlag_CHANGED_VALUE;
}

// Background, grid and scroll bar (with a live record), then the hint strip over them.
void DrawControl(const DrawingSession& session, const PanelStyle& style, const PF_Rect& control,
                 const InstanceLink& link) {
  FillRect(control, session.drawRef(), session.suites(), style.background);
  if (link.HasRecord()) DrawGrid(session, style, control, link);
  const PF_Rect strip = ClipRect(HintStrip(control, style), control);
  if (!IsEmptyRect(strip)) {
    FillRect(strip, session.drawRef(), session.suites(), style.background);
    DrawHintText(session.drawRef(), session.suites(), style.accent, strip, 0.0f);
  }
}

}  // namespace

PF_Err DrawLayoutChooser(PF_InData* inData, PF_OutData* outData, PF_EventExtra* extra,
                         const InstanceLink& link) {
  if (extra->effect_win.area != PF_EA_CONTROL) return PF_Err_NONE;
  const PanelStyle& style = GetPanelStyle(inData);
  DrawingSession session(inData, outData, *extra);
  if (session.suiteError()) return session.suiteError();
  const PF_Rect control = extra->effect_win.current_frame;
  if (session.CanDraw() && !IsEmptyRect(control)) DrawControl(session, style, control, link);
  extra->evt_out_flags = PF_EO_HANDLED_EVENT;
  return session.referenceError();
}

PF_Err HandleLayoutChooserClick(PF_InData* inData, PF_ParamDef* params[], PF_EventExtra* extra,
                                const InstanceLink& link) {
  if (extra->effect_win.area != PF_EA_CONTROL) return PF_Err_NONE;
  if (link.HasRecord()) {
    const PanelStyle& style = GetPanelStyle(inData);
    const A_long clicks = extra->u.do_click.num_clicks;
    if (clicks == 1) SingleClick(style, *extra, link);
    if (clicks == 2) DoubleClick(style, *extra, params, link);
  }
  extra->evt_out_flags = PF_EO_HANDLED_EVENT;
  return PF_Err_NONE;
}

PF_Err HandleLayoutChooserDrag(PF_InData* inData, PF_ParamDef* params[], PF_EventExtra* extra,
                               const InstanceLink& link) {
  if (extra->effect_win.area != PF_EA_CONTROL) return PF_Err_NONE;
  PF_DoClickEventInfo& click = extra->u.do_click;
  if (!link.HasRecord() || !HasDragToken(click, link.record, DragControl::kChooser)) {
    click.send_drag = 0;
    return PF_Err_NONE;
  }
  const PanelStyle& style = GetPanelStyle(inData);
  const PF_Rect control = extra->effect_win.current_frame;
  ThumbnailGrid& grid = GetThumbnailGrid();
  ScrollState& scroll = GetScrollState();
  if (scroll.owner != link.record) {
    LayOutChooser(style, control, *link.scrollStart, link.record, grid, scroll);
  }
  const int32_t v = click.screen_point.v;
  const int32_t dy = TruncToInt32(double(v) - Low32(click.continue_refcon[0]));
  click.continue_refcon[0] = v;
  grid.gridWidth = float(int64_t(control.right) - style.scrollBarWidth - int64_t(control.left));
  if (!HasScrollBar(scroll)) {
    click.send_drag = 0;
    return PF_Err_NONE;
  }
  scroll.offset += ScrollMove(scroll, dy);
  *link.scrollStart = scroll.offset / scroll.viewportHeight;
  click.send_drag = 1;
  if (PF_ParamDef* layouts = params[link.layoutsParam]) {
    layouts->uu.change_flags = PF_ChangeFlag_CHANGED_VALUE;
  }
  extra->evt_out_flags = PF_EO_HANDLED_EVENT;
  DebugLog("offsetY:%d", dy);
  return PF_Err_NONE;
}

void DrawThumbnailFrame(DRAWBOT_DrawRef drawRef, const DRAWBOT_Suites& suites,
                        const FrameModel& frame, const GridLayoutModel& preview,
                        const DRAWBOT_ColorRGBA& fill, const DRAWBOT_ColorRGBA& stroke,
                        const int32_t cellOrigin[2], const PF_Rect& clip) {
  if (!drawRef) return;
  const std::optional<Polygon> whole = ThumbnailPolygon(frame, preview, cellOrigin);
  if (!whole) return;
  const Polygon area = ClipPolygonToRect(*whole, clip);
  if (area.empty()) return;
  DRAWBOT_SupplierRef supplier = nullptr;
  DRAWBOT_SurfaceRef surface = nullptr;
  A_Err err = suites.drawbot_suiteP->GetSupplier(drawRef, &supplier);
  if (err) return;
  DRAWBOT_PathP path(suites.supplier_suiteP, supplier);
  err = AddPolyline(*suites.path_suiteP, path.Get(), area, true);
  if (!err) err = suites.drawbot_suiteP->GetSurface(drawRef, &surface);
  if (!err) err = suites.drawbot_suiteP->GetSupplier(drawRef, &supplier);
  if (!err) {
    DRAWBOT_BrushP brush(suites.supplier_suiteP, supplier, &fill);
    err = suites.surface_suiteP->FillPath(surface, brush.Get(), path.Get(),
                                          kDRAWBOT_FillType_Winding);
  }
  // The outline keeps to the thumbnail's own edges: where the control cuts the thumbnail, its
  // side stays open. The pen reaches half its width either side of the path, so the edges are
  // cut, or moved, that far inside the control.
  const OutlinePieces outline = ClipOutlineToRect(*whole, clip, kThumbnailStrokeWidth * 0.5);
  if (outline.closed && SamePoints(outline.runs.front(), *whole)) {
    StrokePath(drawRef, suites, stroke, kThumbnailStrokeWidth, path.Get());
  } else if (!outline.runs.empty() && !suites.drawbot_suiteP->GetSupplier(drawRef, &supplier)) {
    DRAWBOT_PathP edges(suites.supplier_suiteP, supplier);
    A_Err edgeErr = A_Err_NONE;
    for (const Polygon& run : outline.runs) {
      if (!edgeErr) edgeErr = AddPolyline(*suites.path_suiteP, edges.Get(), run, outline.closed);
    }
    if (!edgeErr) StrokePath(drawRef, suites, stroke, kThumbnailStrokeWidth, edges.Get());
  }
}

}  // namespace Orvane::Mosaira
