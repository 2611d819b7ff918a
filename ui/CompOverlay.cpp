#include "ui/CompOverlay.h"

#include <string>
#include <vector>

#include "sdk/drawbot_objects.h"
#include "ui/CoordinateMapping.h"
#include "ui/DrawPrimitives.h"
#include "ui/DrawingSetup.h"
#include "ui/OverlayGeometry.h"

namespace Orvane::Mosaira {
namespace {

constexpr float kOutlineWidth = 1.0f;

// Fills `path` with `colour` on the reference's surface; the first error.
PF_Err FillWith(DRAWBOT_DrawRef drawRef, const DRAWBOT_Suites& suites,
                const DRAWBOT_ColorRGBA& colour, DRAWBOT_PathRef path, A_Err err) {
  DRAWBOT_SurfaceRef surface = nullptr;
  DRAWBOT_SupplierRef supplier = nullptr;
  if (!err) err = suites.drawbot_suiteP->GetSurface(drawRef, &surface);
  if (!err) err = suites.drawbot_suiteP->GetSupplier(drawRef, &supplier);
  if (err) return err;
  DRAWBOT_BrushP brush(suites.supplier_suiteP, supplier, &colour);
  return suites.surface_suiteP->FillPath(surface, brush.Get(), path, kDRAWBOT_FillType_Winding);
}

A_Err AddStep(const DRAWBOT_PathSuite1& ps, DRAWBOT_PathRef path, const PathStep& s) {
  switch (s.kind) {
    case PathStep::Kind::kMoveTo:
      return ps.MoveTo(path, s.x, s.y);
    case PathStep::Kind::kLineTo:
      return ps.LineTo(path, s.x, s.y);
    case PathStep::Kind::kArc: {
      const DRAWBOT_PointF32 centre{s.x, s.y};
      return ps.AddArc(path, &centre, s.radius, s.startDeg, s.sweepDeg);
    }
    case PathStep::Kind::kClose:
      return ps.Close(path);
  }
  return A_Err_NONE;
}

// The frame's outline in whole frame pixels; empty when a point has no position.
std::vector<PF_Point> OutlinePoints(const PF_InData* inData, const PF_EventExtra& extra,
                                    const FrameModel& frame, const GridLayoutModel& layout) {
  std::vector<PF_Point> points;
  for (const PointPosition& p : layout.framePositions(frame)) {
    if (!p.valid) return {};
    points.push_back(LayerToFramePoint(inData, extra, p.x, p.y));
  }
  return points;
}

// The decimal digits of `number` as NUL-terminated UTF-16.
std::vector<DRAWBOT_UTF16Char> Digits16(int32_t number) {
  const std::string text = std::to_string(number);
  std::vector<DRAWBOT_UTF16Char> units(text.begin(), text.end());
  units.push_back(0);
  return units;
}

void DrawOverlayShapes(const PF_InData* inData, const PF_EventExtra& extra,
                       const DrawingSession& session, const GridLayoutModel& layout) {
  const auto& suites = session.suites();
  for (size_t k = 0; k < layout.frames.size(); ++k) {
    DrawFrameOutline(inData, extra, session.drawRef(), suites, *layout.frames[k], int32_t(k),
                     layout);
  }
  for (const auto& [id, button] : layout.moveButtons) {
    DrawMoveButton(inData, session.drawRef(), suites, kAccentColour, extra, layout, *button);
  }
  for (const auto& [id, point] : layout.points) {
    if (point->kind != PointKind::kSlider) continue;
    DrawPointMarker(inData, session.drawRef(), suites, kAccentColour, extra, layout, *point);
  }
}

}  // namespace

PF_Err DrawCompOverlay(PF_InData* inData, PF_OutData* outData, PF_EventExtra* extra,
                       const InstanceLink& link) {
  if (!link.layout) return PF_Err_NONE;
  *link.interacting = false;
  // The reading may replace the layout: only the one it returns may be drawn.
  const GridLayoutModel* layout =
      link.syncLayoutFromParams ? link.syncLayoutFromParams(inData, link.record) : link.layout;
  if (!layout) return PF_Err_NONE;
  const PF_WindowType window = (*extra->contextH)->w_type;
  if (window != PF_Window_COMP && window != PF_Window_LAYER) return PF_Err_NONE;
  DrawingSession session(inData, outData, *extra);
  if (session.suiteError()) return session.suiteError();
  if (session.CanDraw()) DrawOverlayShapes(inData, *extra, session, *layout);
  extra->evt_out_flags = PF_EO_HANDLED_EVENT;
  return session.referenceError();
}

void DrawFrameOutline(const PF_InData* inData, const PF_EventExtra& extra, DRAWBOT_DrawRef drawRef,
                      const DRAWBOT_Suites& suites, const FrameModel& frame, int32_t frameIndex,
                      const GridLayoutModel& layout) {
  if (!drawRef) return;
  const std::vector<PF_Point> outline = OutlinePoints(inData, extra, frame, layout);
  if (!outline.empty()) {
    DRAWBOT_SupplierRef supplier = nullptr;
    if (!suites.drawbot_suiteP->GetSupplier(drawRef, &supplier)) {
      DRAWBOT_PathP path(suites.supplier_suiteP, supplier);
      A_Err err = suites.path_suiteP->MoveTo(path.Get(), float(outline[0].h), float(outline[0].v));
      for (size_t i = 1; i < outline.size() && !err; ++i) {
        err = suites.path_suiteP->LineTo(path.Get(), float(outline[i].h), float(outline[i].v));
      }
      if (!err) err = suites.path_suiteP->Close(path.Get());
      if (!err) StrokePath(drawRef, suites, kAccentColour, kOutlineWidth, path.Get());
    }
  }
  const Vec2d at = FrameNumberPosition(layout, frame);
  double position[2] = {at.x, at.y};
  const std::vector<DRAWBOT_UTF16Char> text = Digits16(frameIndex + 1);
  DrawFrameNumber(inData, &extra, drawRef, suites, kAccentColour, position, text.data());
}

PF_Err DrawMoveButton(const PF_InData* inData, DRAWBOT_DrawRef drawRef,
                      const DRAWBOT_Suites& suites, const DRAWBOT_ColorRGBA& colour,
                      const PF_EventExtra& extra, const GridLayoutModel& layout,
                      const MoveButtonModel& button) {
  DRAWBOT_SupplierRef supplier = nullptr;
  const A_Err err = suites.drawbot_suiteP->GetSupplier(drawRef, &supplier);
  if (err) return err;
  DRAWBOT_PathP path(suites.supplier_suiteP, supplier);
  const PointPosition c = MoveButtonCentre(layout, button);
  const PF_Point centre = LayerToFramePoint(inData, extra, c.x, c.y);
  A_Err stepErr = A_Err_NONE;
  for (const PathStep& step : CapsuleSteps(button.direction, centre.h, centre.v)) {
    if (!stepErr) stepErr = AddStep(*suites.path_suiteP, path.Get(), step);
  }
  return FillWith(drawRef, suites, colour, path.Get(), stepErr);
}

PF_Err DrawPointMarker(const PF_InData* inData, DRAWBOT_DrawRef drawRef,
                       const DRAWBOT_Suites& suites, const DRAWBOT_ColorRGBA& colour,
                       const PF_EventExtra& extra, const GridLayoutModel& layout,
                       const PointModel& point) {
  DRAWBOT_SupplierRef supplier = nullptr;
  const A_Err err = suites.drawbot_suiteP->GetSupplier(drawRef, &supplier);
  if (err) return err;
  DRAWBOT_PathP path(suites.supplier_suiteP, supplier);
  const PointPosition p = point.getPosition();
  const PF_Point c = LayerToFramePoint(inData, extra, p.x, p.y);
  const auto vertices = MarkerVertices(c.h, c.v, MarkerAngleDeg(layout, point));
  const DRAWBOT_PathSuite1& ps = *suites.path_suiteP;
  A_Err stepErr = ps.MoveTo(path.Get(), float(vertices[0].x), float(vertices[0].y));
  for (size_t i = 1; i < vertices.size() && !stepErr; ++i) {
    stepErr = ps.LineTo(path.Get(), float(vertices[i].x), float(vertices[i].y));
  }
  if (!stepErr) stepErr = ps.Close(path.Get());
  return FillWith(drawRef, suites, colour, path.Get(), stepErr);
}

}  // namespace Orvane::Mosaira
