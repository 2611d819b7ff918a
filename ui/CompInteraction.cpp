#include "ui/CompInteraction.h"

#include "ui/CoordinateMapping.h"
#include "ui/DragToken.h"
#include "ui/OverlayGeometry.h"

namespace Orvane::Mosaira {
namespace {

int32_t Low32(A_intptr_t v) {
  return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(v)));
}

// Moves the active button, or else the active point and its twin, by (dx, dy).
void MoveActive(GridLayoutModel& layout, double dx, double dy) {
  if (!layout.activeMoveButton.empty()) {
    auto found = layout.moveButtons.find(layout.activeMoveButton);
    if (found != layout.moveButtons.end()) found->second->moveBy(dx, dy);
    return;
  }
  layout.movePoint(layout.activePoint, dx, dy);
}

PF_CursorType CursorFor(const OverlayHit& hit) {
  if (hit.point) return PF_Cursor_HAND;
  if (!hit.button) return PF_Cursor_NONE;
  return hit.button->direction == MoveDirection::UP_DOWN ? PF_Cursor_RESIZE_VERTICAL
                                                         : PF_Cursor_RESIZE_HORIZONTAL;
}

}  // namespace

PF_Err HandleCompClick(PF_InData* inData, PF_EventExtra* extra, const InstanceLink& link) {
  PF_DoClickEventInfo& click = extra->u.do_click;
  extra->evt_out_flags = PF_EO_HANDLED_EVENT;
  if (!link.layout) return PF_Err_NONE;
  GridLayoutModel& layout = *link.layout;
  layout.activePoint.clear();
  layout.activeMoveButton.clear();
  ClearDragToken(click);
  const PF_Point m = FrameToLayerPoint(inData, *extra, click.screen_point.h, click.screen_point.v);
  const OverlayHit hit = HitTestOverlay(layout, m.h, m.v);
  if (hit.button) layout.activeMoveButton = hit.button->id;
  if (hit.point) layout.activePoint = hit.point->id;
  if (hit.button || hit.point) {
    click.continue_refcon[0] = m.h;
    click.continue_refcon[1] = m.v;
    SetDragToken(click, link.record, DragControl::kOverlay);
    click.send_drag = 1;
  }
  return PF_Err_NONE;
}

PF_Err HandleCompDrag(PF_InData* inData, PF_ParamDef* params[], PF_EventExtra* extra,
                      const InstanceLink& link) {
  PF_DoClickEventInfo& click = extra->u.do_click;
  GridLayoutModel* layout = link.layout;
  if (!layout || (layout->activeMoveButton.empty() && layout->activePoint.empty()) ||
      !HasDragToken(click, link.record, DragControl::kOverlay)) {
    click.send_drag = 0;
    return PF_Err_NONE;
  }
  const PF_Point m = FrameToLayerPoint(inData, *extra, click.screen_point.h, click.screen_point.v);
  const double dx = double(m.h) - Low32(click.continue_refcon[0]);
  const double dy = double(m.v) - Low32(click.continue_refcon[1]);
  click.continue_refcon[0] = m.h;
  click.continue_refcon[1] = m.v;
  MoveActive(*layout, dx, dy);
  layout->setSpacing(layout->spacing);
  if (link.pushPointsToParams) link.pushPointsToParams(inData, params);
  if (link.pushSlidersToParams) link.pushSlidersToParams(inData, params);
  click.send_drag = 1;
  extra->evt_out_flags = PF_EO_HANDLED_EVENT;
  *link.interacting = true;
  return PF_Err_NONE;
}

PF_Err HandleAdjustCursor(PF_InData* inData, PF_EventExtra* extra, const InstanceLink& link) {
  if (!link.layout || (*extra->contextH)->w_type == PF_Window_EFFECT) return PF_Err_NONE;
  PF_AdjustCursorEventInfo& cursor = extra->u.adjust_cursor;
  if (*link.interacting) {
    cursor.set_cursor = PF_Cursor_NONE;
    return PF_Err_NONE;
  }
  const PF_Point m =
      FrameToLayerPoint(inData, *extra, cursor.screen_point.h, cursor.screen_point.v);
  cursor.set_cursor = CursorFor(HitTestOverlay(*link.layout, m.h, m.v));
  return PF_Err_NONE;
}

}  // namespace Orvane::Mosaira
