#include "host/HostUi.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "host/HostCallbacks.h"
#include "host/SimulatedHost.h"

namespace Orvane::Mosaira {
namespace {

using detail::HostCallbacks;
using Mapping = HostUi::Mapping;

constexpr A_u_long kContextMagic = 0x55494358;  // 'UICX'
constexpr double kFixedOne = 65536.0;
constexpr A_long kTitleHeightPx = 20;

// a × v + b in 16.16, in 64 bits, clamped to the 32-bit range.
PF_Fixed Affine(PF_Fixed v, double a, double bPx) {
  const double r = std::round(double(v) * a + bPx * kFixedOne);
  constexpr double lo = std::numeric_limits<PF_Fixed>::min(), hi = std::numeric_limits<PF_Fixed>::max();
  return PF_Fixed(int64_t(std::clamp(r, lo, hi)));
}

void MapPoint(PF_FixedPoint* pt, double scale, double offsetX, double offsetY) {
  pt->x = Affine(pt->x, scale, offsetX);
  pt->y = Affine(pt->y, scale, offsetY);
}

PF_Err Serve(void* refcon, PF_ContextH context, Mapping mapping, PF_FixedPoint* pt) {
  SimulatedHost* host = HostCallbacks::Current();
  return host ? host->Ui().Map(refcon, context, mapping, pt) : PF_Err_BAD_CALLBACK_PARAM;
}

PF_Err LayerToComp(void* refcon, PF_ContextH context, A_long, A_long, PF_FixedPoint* pt) {
  return Serve(refcon, context, Mapping::kLayerToComp, pt);
}
PF_Err CompToLayer(void* refcon, PF_ContextH context, A_long, A_long, PF_FixedPoint* pt) {
  return Serve(refcon, context, Mapping::kCompToLayer, pt);
}
PF_Err SourceToFrame(void* refcon, PF_ContextH context, PF_FixedPoint* pt) {
  return Serve(refcon, context, Mapping::kSourceToFrame, pt);
}
PF_Err FrameToSource(void* refcon, PF_ContextH context, PF_FixedPoint* pt) {
  return Serve(refcon, context, Mapping::kFrameToSource, pt);
}

const char* FaultName(Mapping mapping) {
  switch (mapping) {
    case Mapping::kLayerToComp: return "layer_to_comp";
    case Mapping::kCompToLayer: return "comp_to_layer";
    case Mapping::kSourceToFrame: return "source_to_frame";
    case Mapping::kFrameToSource: return "frame_to_source";
  }
  return "";
}

bool KnownWindow(PF_WindowType window) { return window >= PF_Window_COMP && window <= PF_Window_EFFECT; }

// The report of an event the host cannot send (unknown instance or window).
EventReport Refused() {
  EventReport r;
  r.err = PF_Err_BAD_CALLBACK_PARAM;
  return r;
}

A_long Side(double px) { return A_long(std::clamp(std::ceil(px), 1.0, double(DrawSurface::kMaxSide))); }

}  // namespace

HostUi::HostUi(SimulatedHost* host) : host_(host), drawbot_(&host->Faults()) {}

HostUi::~HostUi() = default;

// --- Windows -----------------------------------------------------------------------------------

bool HostUi::SetView(PF_WindowType window, const WindowView& view) {
  const bool valid = KnownWindow(window) && std::isfinite(view.zoom) && view.zoom > 0 && std::isfinite(view.panX) &&
                     std::isfinite(view.panY) && view.widthPx >= 0 && view.heightPx >= 0 &&
                     view.widthPx <= DrawSurface::kMaxSide && view.heightPx <= DrawSurface::kMaxSide;
  if (valid) views_[window] = view;
  return valid;
}

WindowView HostUi::View(PF_WindowType window) const { return KnownWindow(window) ? views_[window] : WindowView{}; }

bool HostUi::SetPlacement(const LayerPlacement& placement) {
  const bool valid = std::isfinite(placement.scale) && placement.scale > 0 && std::isfinite(placement.offsetX) &&
                     std::isfinite(placement.offsetY);
  if (valid) placement_ = placement;
  return valid;
}

bool HostUi::SetEffectPanel(const EffectPanel& panel) {
  const PF_Rect& c = panel.control;
  const bool valid = panel.widthPx >= 1 && panel.heightPx >= 1 && panel.widthPx <= DrawSurface::kMaxSide &&
                     panel.heightPx <= DrawSurface::kMaxSide && c.left >= 0 && c.top >= 0 && c.left < c.right &&
                     c.top < c.bottom && c.right <= panel.widthPx && c.bottom <= panel.heightPx;
  if (valid) panel_ = panel;
  return valid;
}

std::pair<A_long, A_long> HostUi::WindowSize(InstanceId id, PF_WindowType window) const {
  if (window == PF_Window_EFFECT) return {panel_.widthPx, panel_.heightPx};
  if (!host_->HasInstance(id) || !KnownWindow(window)) return {1, 1};
  const WindowView& v = views_[window];
  const HostInstance& inst = host_->Instance(id);
  const A_long w = v.widthPx > 0 ? v.widthPx : Side(inst.width * v.zoom + v.panX);
  const A_long h = v.heightPx > 0 ? v.heightPx : Side(inst.height * v.zoom + v.panY);
  return {w, h};
}

PF_ContextH HostUi::Context(InstanceId id, PF_WindowType window) {
  std::unique_ptr<ContextBox>& box = contexts_[{id, window}];
  if (!box) {
    box = std::make_unique<ContextBox>();
    box->context.magic = kContextMagic;
    box->context.w_type = window;
    box->pointer = &box->context;
    box->id = id;
  }
  return &box->pointer;
}

const HostUi::ContextBox* HostUi::FindContext(PF_ContextH context) const {
  for (const auto& entry : contexts_) {
    if (&entry.second->pointer == context) return entry.second.get();
  }
  return nullptr;
}

void HostUi::Forget(InstanceId id) {
  for (auto it = contexts_.begin(); it != contexts_.end();) {
    it = it->first.first == id ? contexts_.erase(it) : std::next(it);
  }
  if (gesture_.id == id) gesture_ = Gesture{};
}

// --- Coordinate callbacks ----------------------------------------------------------------------

PF_Err HostUi::Map(void* refcon, PF_ContextH context, Mapping mapping, PF_FixedPoint* point) {
  const ContextBox* box = refcon == this ? FindContext(context) : nullptr;
  if (box == nullptr || point == nullptr || !host_->HasInstance(box->id)) return PF_Err_BAD_CALLBACK_PARAM;
  if (host_->Faults().ShouldFail(FaultName(mapping))) return PF_Err_INTERNAL_STRUCT_DAMAGED;
  const PF_WindowType window = box->context.w_type;
  const WindowView& v = views_[window];
  const LayerPlacement& p = placement_;
  switch (window == PF_Window_EFFECT ? Mapping(-1) : mapping) {
    case Mapping::kLayerToComp:
      if (window == PF_Window_COMP) MapPoint(point, p.scale, p.offsetX, p.offsetY);
      break;
    case Mapping::kCompToLayer:
      if (window == PF_Window_COMP) MapPoint(point, 1.0 / p.scale, -p.offsetX / p.scale, -p.offsetY / p.scale);
      break;
    case Mapping::kSourceToFrame: MapPoint(point, v.zoom, v.panX, v.panY); break;
    case Mapping::kFrameToSource: MapPoint(point, 1.0 / v.zoom, -v.panX / v.zoom, -v.panY / v.zoom); break;
    default: break;  // the effect-controls panel: frame, source, layer and comp are one
  }
  return PF_Err_NONE;
}

// --- Events ------------------------------------------------------------------------------------

PF_EventExtra HostUi::MakeExtra(InstanceId id, PF_WindowType window, PF_EventType type) {
  PF_EventExtra extra{};
  extra.contextH = Context(id, window);
  extra.e_type = type;
  extra.cbs = {this, LayerToComp, CompToLayer, SourceToFrame, FrameToSource};
  if (window == PF_Window_EFFECT) {
    const PF_Rect& c = panel_.control;
    extra.effect_win.index = panel_.index;
    extra.effect_win.area = PF_EA_CONTROL;
    extra.effect_win.current_frame = c;
    extra.effect_win.param_title_frame = {c.left, std::max(0, c.top - kTitleHeightPx), c.right, c.top};
  }
  return extra;
}

EventReport HostUi::SendEvent(InstanceId id, PF_EventExtra* extra) {
  const PF_EventType sentType = extra->e_type;
  EventReport r;
  r.sent = true;
  r.err = host_->Send(id, PF_Cmd_EVENT, extra);
  r.type = extra->e_type;
  r.outFlags = extra->evt_out_flags;
  if (sentType == PF_Event_ADJUST_CURSOR) r.cursor = extra->u.adjust_cursor.set_cursor;
  if (sentType == PF_Event_DO_CLICK || sentType == PF_Event_DRAG) r.sendDrag = extra->u.do_click.send_drag != 0;
  r.changed = host_->LastChangedParams();
  return r;
}

EventReport HostUi::Click(InstanceId id, PF_WindowType window, PF_Point at, A_long clicks, PF_Modifiers modifiers) {
  gesture_ = Gesture{};
  if (!host_->HasInstance(id) || !KnownWindow(window)) return Refused();
  PF_EventExtra extra = MakeExtra(id, window, PF_Event_DO_CLICK);
  PF_DoClickEventInfo& click = extra.u.do_click;
  click.when = ++clock_;
  click.screen_point = at;
  click.num_clicks = clicks;
  click.modifiers = modifiers;
  EventReport r = SendEvent(id, &extra);
  gesture_ = {true, id, window, click};
  return r;
}

EventReport HostUi::SendDrag(PF_Point at, bool last) {
  if (!gesture_.active || !gesture_.info.send_drag || !host_->HasInstance(gesture_.id)) return {};
  PF_EventExtra extra = MakeExtra(gesture_.id, gesture_.window, PF_Event_DRAG);
  extra.u.do_click = gesture_.info;
  extra.u.do_click.when = ++clock_;
  extra.u.do_click.screen_point = at;
  extra.u.do_click.last_time = last ? 1 : 0;
  EventReport r = SendEvent(gesture_.id, &extra);
  gesture_.info = extra.u.do_click;
  return r;
}

EventReport HostUi::Drag(PF_Point at) { return SendDrag(at, false); }

EventReport HostUi::MouseUp(PF_Point at) {
  EventReport r = SendDrag(at, true);
  gesture_ = Gesture{};
  return r;
}

EventReport HostUi::AdjustCursor(InstanceId id, PF_WindowType window, PF_Point at) {
  if (!host_->HasInstance(id) || !KnownWindow(window)) return Refused();
  PF_EventExtra extra = MakeExtra(id, window, PF_Event_ADJUST_CURSOR);
  extra.u.adjust_cursor.screen_point = at;
  extra.u.adjust_cursor.set_cursor = kCursorLeftAlone;
  return SendEvent(id, &extra);
}

EventReport HostUi::Draw(InstanceId id, PF_WindowType window, DrawSurface* target) {
  if (!host_->HasInstance(id) || !KnownWindow(window)) return Refused();
  if (target == nullptr) {
    const auto [w, h] = WindowSize(id, window);
    lastSurface_ = std::make_unique<DrawSurface>(w, h);
    const PF_App_Color& c = background_;
    if (window == PF_Window_EFFECT) lastSurface_->Fill(c.red / 65535.0, c.green / 65535.0, c.blue / 65535.0);
    target = lastSurface_.get();
  }
  PF_EventExtra extra = MakeExtra(id, window, PF_Event_DRAW);
  extra.u.draw.update_rect = {0, 0, target->Width(), target->Height()};
  extra.u.draw.depth = 32;
  drawbot_.BeginDraw(extra.contextH, target);
  EventReport r = SendEvent(id, &extra);
  // The host's checks after the command have ended the draw; this ends it when no command ran.
  for (std::string& line : drawbot_.EndCommand()) pending_.push_back(std::move(line));
  return r;
}

std::vector<std::string> HostUi::TakeMisuse() {
  std::vector<std::string> lines;
  lines.swap(pending_);
  for (std::string& line : drawbot_.EndCommand()) lines.push_back(std::move(line));
  return lines;
}

}  // namespace Orvane::Mosaira
