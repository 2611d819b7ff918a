// The host's side of an effect's custom user interface: the windows an effect draws in (the
// composition window, the layer window and the effect-controls panel), their contexts, the
// coordinate callbacks of their events, and the mouse and draw events sent as PF_Cmd_EVENT.
//
// Usage:
//
//   HostUi& ui = host.Ui();
//   ui.SetView(PF_Window_COMP, {0, 0, 0.5, 10, 10});     // zoom 0.5, picture origin at (10, 10)
//   EventReport r = ui.Click(id, PF_Window_COMP, {120, 80});
//   while (r.sendDrag) r = ui.Drag({130, 80});            // drags only while the effect asks
//   ui.MouseUp({130, 80});
//   EventReport d = ui.Draw(id, PF_Window_COMP);          // on a surface the host makes
//   ui.LastSurface()->SavePng("/tmp/overlay.png", &error);
//
// Events go through SimulatedHost::Send, like every command: values the effect marks changed are
// stored, PF_Cmd_USER_CHANGED_PARAM follows, and the invariants are checked afterwards, among them
// the Drawbot books (DrawbotBook.h).
//
// Coordinates: frame pixels are the window's pixels. In the composition window, comp = layer ×
// scale + offset (LayerPlacement) and frame = comp × zoom + pan (the window's WindowView); in the
// layer window layer and comp are the same and frame = layer × zoom + pan; in the effect-controls
// panel every mapping is the identity. The callbacks work on 16.16 fixed point in 64 bits and clamp
// the result to the 32-bit range. Each counts its calls and can be made to fail through the host's
// CallFaults under its own name ("layer_to_comp", "comp_to_layer", "source_to_frame",
// "frame_to_source"), answering PF_Err_INTERNAL_STRUCT_DAMAGED with the point unchanged.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "host/DrawSurface.h"
#include "host/DrawbotBook.h"
#include "sdk/sdk.h"

namespace Orvane::Mosaira {

class SimulatedHost;
class SuiteTable;
using InstanceId = int;

// set_cursor as the host presets it in a cursor event: a value no cursor has, so that an effect
// that leaves the cursor alone can be told from one that chooses PF_Cursor_NONE.
constexpr PF_CursorType kCursorLeftAlone = -1;

// How a window shows its picture. A size of 0 means: the picture's size at the zoom, plus the pan.
struct WindowView {
  A_long widthPx = 0, heightPx = 0;
  double zoom = 1.0;
  double panX = 0.0, panY = 0.0;  // frame pixels of the picture's origin
};

// Where the effect's layer sits in the composition: comp = layer × scale + offset.
struct LayerPlacement {
  double offsetX = 0.0, offsetY = 0.0;
  double scale = 1.0;
};

// The effect-controls panel: its size and the rectangle of the custom control in it (by default
// the 200 × 260 control of parameter 1, inside a larger panel).
struct EffectPanel {
  A_long widthPx = 280, heightPx = 330;
  PF_ParamIndex index = 1;
  PF_Rect control = {40, 40, 240, 300};
};

// What one event did.
struct EventReport {
  bool sent = false;  // false when the host sent nothing (a drag the effect did not ask for)
  PF_Err err = PF_Err_NONE;
  PF_EventType type = PF_Event_NEW_CONTEXT;  // e_type as the effect left it
  PF_EventOutFlags outFlags = PF_EO_NONE;
  PF_CursorType cursor = kCursorLeftAlone;   // cursor events: what the effect chose
  bool sendDrag = false;                     // clicks and drags: whether it asks for drags
  std::vector<PF_ParamIndex> changed;        // parameters it marked changed
};

class HostUi {
 public:
  static constexpr PF_App_Color kDefaultBackground = {0x3333, 0x3333, 0x3333};  // dark panel grey

  explicit HostUi(SimulatedHost* host);
  // Registers the four Drawbot suites and "PF Effect Custom UI Suite" 1 (whose
  // PF_GetDrawingReference fails through CallFaults under its own name).
  static void RegisterSuites(SuiteTable* suites);
  ~HostUi();
  HostUi(const HostUi&) = delete;
  HostUi& operator=(const HostUi&) = delete;

  // --- Windows ---------------------------------------------------------------------------------
  // False (nothing changed) for a zoom that is not a positive finite number, a pan that is not
  // finite or a size outside 0..DrawSurface::kMaxSide.
  bool SetView(PF_WindowType window, const WindowView& view);
  WindowView View(PF_WindowType window) const;
  // False (nothing changed) for a scale that is not positive and finite or an offset not finite.
  bool SetPlacement(const LayerPlacement& placement);
  const LayerPlacement& Placement() const { return placement_; }
  // False (nothing changed) when the control does not lie inside the panel.
  bool SetEffectPanel(const EffectPanel& panel);
  const EffectPanel& Panel() const { return panel_; }
  // The window's size in frame pixels for an instance (1 × 1 for an unknown instance).
  std::pair<A_long, A_long> WindowSize(InstanceId id, PF_WindowType window) const;
  // The colour PF_AppGetBgColor answers ("PF_AppGetBgColor" fails through CallFaults).
  void SetBackground(const PF_App_Color& color) { background_ = color; }
  const PF_App_Color& Background() const { return background_; }

  // The instance's context in a window: the same handle for the instance's whole life.
  PF_ContextH Context(InstanceId id, PF_WindowType window);

  // --- Events ----------------------------------------------------------------------------------
  // A click of 1 or 2 clicks at a frame point; it starts a gesture that Drag and MouseUp continue.
  EventReport Click(InstanceId id, PF_WindowType window, PF_Point at, A_long clicks = 1,
                    PF_Modifiers modifiers = PF_Mod_NONE);
  // The next drag step of the gesture, sent only while the effect left send_drag set; it carries
  // the continue_refcon values the effect left.
  EventReport Drag(PF_Point at);
  // Ends the gesture: a last drag (last_time set) when drags are running, then none.
  EventReport MouseUp(PF_Point at);
  bool InGesture() const { return gesture_.active; }
  // A cursor event; set_cursor preset to kCursorLeftAlone.
  EventReport AdjustCursor(InstanceId id, PF_WindowType window, PF_Point at);
  // A draw event on `target`, or on a surface the host makes at the window's size (filled with the
  // background colour in the effect-controls panel, transparent elsewhere), kept as LastSurface().
  EventReport Draw(InstanceId id, PF_WindowType window, DrawSurface* target = nullptr);
  DrawSurface* LastSurface() { return lastSurface_.get(); }

  DrawbotBook& Drawbot() { return drawbot_; }

  // --- Serving the callbacks (used by the host's C functions) ----------------------------------
  enum class Mapping { kLayerToComp, kCompToLayer, kSourceToFrame, kFrameToSource };
  PF_Err Map(void* refcon, PF_ContextH context, Mapping mapping, PF_FixedPoint* point);
  // Misuse lines gathered since the last call (the Drawbot books' included); ends any open draw.
  std::vector<std::string> TakeMisuse();
  // Forgets the contexts of an instance that is gone.
  void Forget(InstanceId id);

 private:
  struct ContextBox {
    PF_Context context{};
    PF_Context* pointer = nullptr;  // the handle points here
    InstanceId id = 0;
  };
  struct Gesture {
    bool active = false;
    InstanceId id = 0;
    PF_WindowType window = PF_Window_COMP;
    PF_DoClickEventInfo info{};
  };

  PF_EventExtra MakeExtra(InstanceId id, PF_WindowType window, PF_EventType type);
  EventReport SendEvent(InstanceId id, PF_EventExtra* extra);
  EventReport SendDrag(PF_Point at, bool last);
  const ContextBox* FindContext(PF_ContextH context) const;

  SimulatedHost* host_;
  DrawbotBook drawbot_;
  WindowView views_[3];
  LayerPlacement placement_;
  EffectPanel panel_;
  PF_App_Color background_ = kDefaultBackground;
  std::map<std::pair<InstanceId, PF_WindowType>, std::unique_ptr<ContextBox>> contexts_;
  Gesture gesture_;
  A_u_long clock_ = 0;
  std::unique_ptr<DrawSurface> lastSurface_;
  std::vector<std::string> pending_;
};

}  // namespace Orvane::Mosaira
