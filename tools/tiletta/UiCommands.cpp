// `tiletta overlay`, `tiletta chooser` and `tiletta drag`: the effect's on-screen controls as the
// host's windows show them, drawn by the plug-in through the simulated host's Drawbot suites.
#include <cmath>
#include <cstdio>
#include <set>
#include <string>

#include "host/DrawSurface.h"
#include "host/HostUi.h"
#include "tools/tiletta/Commands.h"
#include "tools/tiletta/Session.h"

namespace Orvane::Mosaira::Cli {
namespace {

const char kOverlayUsage[] =
    "usage: tiletta overlay --layout ID|N [--size WxH] [--zoom Z] [--window comp|layer] [--project FILE]\n"
    "                       -o OUT.png\n"
    "  the rendered frame with the effect's overlay drawn over it, as the window shows it\n"
    "  --size WxH       the layer size (1920x1080)\n"
    "  --zoom Z         the window's zoom, 0.05 to 8 (1)\n"
    "  --window W       comp (the composition window, default) or layer (the layer window)\n";
const char kChooserUsage[] =
    "usage: tiletta chooser [--size WxH] [--scroll F] [--current ID|N] [--project FILE] -o OUT.png\n"
    "  the effect's layout chooser in the effect-controls panel (the control with a margin around it)\n"
    "  --size WxH       the control's size (200x260)\n"
    "  --scroll F       drag the scroll bar's thumb down by F (0 to 1) of the visible height first\n"
    "  --current ID|N   the layout loaded in the instance\n";
const char kDragUsage[] =
    "usage: tiletta drag --layout ID|N --from X,Y --to X,Y [--steps N] [--size WxH] [--project FILE]\n"
    "                    [-o OUT.png]\n"
    "  a mouse gesture in the composition window (screen pixels at zoom 1): press at --from, move to\n"
    "  --to in N steps (8), release; prints what it grabbed and the parameters it changed\n"
    "  -o OUT.png       the frame rendered afterwards, with the overlay\n";

struct UiOptions {
  RenderOptions session;
  double zoom = 1.0;
  PF_WindowType window = PF_Window_COMP;
  double scroll = 0.0;
  PF_Point from{}, to{};
  bool fromSet = false, toSet = false;
  bool sizeSet = false;
  int steps = 8;
};

PF_Point ParsePoint(const std::string& text, const char* what) {
  const auto comma = text.find(',');
  if (comma == std::string::npos) throw UsageError(std::string(what) + ": expected X,Y, got \"" + text + "\"");
  return {A_long(ParseInt(text.substr(0, comma), -100000, 100000, what)),
          A_long(ParseInt(text.substr(comma + 1), -100000, 100000, what))};
}

// Reads the options every UI command shares; false when `arg` is none of them.
bool SharedOption(ArgReader& args, const std::string& arg, UiOptions* o) {
  if (arg == "--size") {
    o->session.size = ParseSize(args.value(arg));
    o->sizeSet = true;
  } else if (arg == "--project") {
    o->session.project = args.value(arg);
  } else if (arg == "-o" || arg == "--output") {
    o->session.outPath = args.value(arg);
  } else if (arg == "--help" || arg == "-h") {
    o->session.help = true;
  } else {
    return false;
  }
  return true;
}

// Reads options until the end; `own` takes the command's own options.
UiOptions Parse(ArgReader& args, const std::function<bool(const std::string&, UiOptions*)>& own) {
  UiOptions o;
  while (!args.done() && !o.session.help) {
    const std::string& arg = args.next();
    if (!SharedOption(args, arg, &o) && !own(arg, &o)) throw UsageError("unknown option " + arg);
  }
  return o;
}

void RequireLayout(const UiOptions& o, const char* command) {
  if (o.session.layout.empty() && o.session.project.empty()) {
    throw UsageError(std::string(command) + " needs --layout ID|N (see `tiletta layouts`)");
  }
}

void Save(const DrawSurface& surface, const std::string& path) {
  std::string error;
  if (!surface.SavePng(path, &error)) throw OutputError(error);
}

std::string Describe(const EventReport& r) {
  if (!r.sent) return "not sent";
  return "error " + std::to_string(r.err) + (r.outFlags & PF_EO_HANDLED_EVENT ? ", handled" : ", not handled");
}

// The window with the rendered frame under the overlay the effect draws in it.
void DrawOverlay(SimulatedHost& host, InstanceId id, const UiOptions& o, HostWorld* frame) {
  HostUi& ui = host.Ui();
  if (!ui.SetView(o.window, {0, 0, o.zoom, 0, 0})) throw RenderError("bad zoom");
  const auto [w, h] = ui.WindowSize(id, o.window);
  DrawSurface surface(w, h);
  if (!surface.Valid()) throw RenderError("the window is too large to draw");
  if (frame) surface.PaintWorld(*frame, o.zoom, 0, 0);
  const EventReport r = ui.Draw(id, o.window, &surface);
  Save(surface, o.session.outPath);
  std::printf("wrote %s: %dx%d %s window at zoom %g; overlay draw: %s\n", o.session.outPath.c_str(), int(w), int(h),
              o.window == PF_Window_LAYER ? "layer" : "composition", o.zoom, Describe(r).c_str());
}

// --- overlay -------------------------------------------------------------------------------------

int Overlay(const UiOptions& o) {
  RequireLayout(o, "overlay");
  SessionHooks hooks;
  hooks.afterRender = [&](SimulatedHost& host, InstanceId id, const RenderOptions&, HostWorld* frame) {
    DrawOverlay(host, id, o, frame);
  };
  return RunSession(o.session, hooks);
}

// --- chooser -------------------------------------------------------------------------------------

// The scroll: a press on the thumb (at the top of the track when nothing has scrolled yet) and a
// drag down by the fraction of the visible height (the control less its hint strip).
void Scroll(HostUi& ui, InstanceId id, double fraction) {
  constexpr A_long kHintStripPx = 20, kThumbInsetPx = 7;
  const PF_Rect& c = ui.Panel().control;
  const PF_Point press{c.right - kThumbInsetPx, c.top + 2};
  const A_long dy = A_long(std::lround(fraction * double(c.bottom - c.top - kHintStripPx)));
  const EventReport r = ui.Click(id, PF_Window_EFFECT, press);
  std::printf("scroll: press on the thumb: %s, %s\n", Describe(r).c_str(),
              r.sendDrag ? "dragging" : "no drag asked for");
  ui.Drag({press.h, press.v + dy});
  ui.MouseUp({press.h, press.v + dy});
}

int Chooser(const UiOptions& o) {
  SessionHooks hooks;
  hooks.render = false;
  hooks.afterRender = [&](SimulatedHost& host, InstanceId id, const RenderOptions&, HostWorld*) {
    constexpr A_long kMarginPx = 40;
    HostUi& ui = host.Ui();
    const PixelSize s = o.session.size;
    if (!ui.SetEffectPanel({s.width + 2 * kMarginPx, s.height + 2 * kMarginPx, 1,
                            {kMarginPx, kMarginPx, kMarginPx + s.width, kMarginPx + s.height}})) {
      throw RenderError("the control is too large for a panel");
    }
    if (o.scroll > 0) Scroll(ui, id, o.scroll);
    const EventReport r = ui.Draw(id, PF_Window_EFFECT);
    Save(*ui.LastSurface(), o.session.outPath);
    std::printf("wrote %s: %dx%d control in a %dx%d panel; chooser draw: %s\n", o.session.outPath.c_str(), s.width,
                s.height, int(ui.Panel().widthPx), int(ui.Panel().heightPx), Describe(r).c_str());
  };
  RenderOptions session = o.session;
  session.size = {1920, 1080};  // the layer's size; --size is the control's
  return RunSession(session, hooks);
}

// --- drag ----------------------------------------------------------------------------------------

std::string ValueText(SimulatedHost& host, InstanceId id, PF_ParamIndex index) {
  const ParamStream& s = host.Stream(id, index);
  const PF_ParamDefUnion v = s.ValueAt(host.Context().time.Seconds());
  char text[96];
  switch (s.Definition().param_type) {
    case PF_Param_POPUP: std::snprintf(text, sizeof text, "%d", int(v.pd.value)); break;
    case PF_Param_FLOAT_SLIDER: std::snprintf(text, sizeof text, "%g", v.fs_d.value); break;
    case PF_Param_POINT:
      std::snprintf(text, sizeof text, "%g, %g", v.td.x_value / 65536.0, v.td.y_value / 65536.0);
      break;
    default: std::snprintf(text, sizeof text, "(type %d)", int(s.Definition().param_type)); break;
  }
  return text;
}

const char* CursorText(PF_CursorType cursor) {
  switch (cursor) {
    case kCursorLeftAlone: return "left to the host";
    case PF_Cursor_NONE: return "none (nothing to grab)";
    case PF_Cursor_HAND: return "hand (a sliding point)";
    case PF_Cursor_RESIZE_VERTICAL: return "resize up-down (a move button)";
    case PF_Cursor_RESIZE_HORIZONTAL: return "resize left-right (a move button)";
    default: return "other";
  }
}

void Gesture(SimulatedHost& host, InstanceId id, const UiOptions& o) {
  HostUi& ui = host.Ui();
  ui.SetView(PF_Window_COMP, {});
  // The window shows the overlay before the pointer reaches it (a drag of an earlier session
  // leaves the cursor to the host until then).
  ui.Draw(id, PF_Window_COMP);
  const EventReport cursor = ui.AdjustCursor(id, PF_Window_COMP, o.from);
  std::printf("cursor at %d,%d: %s\n", int(o.from.h), int(o.from.v), CursorText(cursor.cursor));
  const EventReport click = ui.Click(id, PF_Window_COMP, o.from);
  std::set<PF_ParamIndex> changed(click.changed.begin(), click.changed.end());
  std::printf("press: %s; grabbed: %s\n", Describe(click).c_str(), click.sendDrag ? "an element (drags asked for)" : "nothing");
  int sent = 0;
  for (int i = 1; i <= o.steps; ++i) {
    const PF_Point at{A_long(std::lround(o.from.h + double(o.to.h - o.from.h) * i / o.steps)),
                      A_long(std::lround(o.from.v + double(o.to.v - o.from.v) * i / o.steps))};
    const EventReport r = i < o.steps ? ui.Drag(at) : ui.MouseUp(at);
    if (!r.sent) break;
    ++sent;
    changed.insert(r.changed.begin(), r.changed.end());
  }
  if (ui.InGesture()) ui.MouseUp(o.to);
  std::printf("drag steps sent: %d of %d\n", sent, o.steps);
  for (PF_ParamIndex p : changed) {
    std::printf("changed: %d \"%s\" = %s\n", int(p), host.Definition(p).name, ValueText(host, id, p).c_str());
  }
  if (changed.empty()) std::printf("changed: none\n");
}

int Drag(const UiOptions& o) {
  RequireLayout(o, "drag");
  if (!o.fromSet || !o.toSet) throw UsageError("drag needs --from X,Y and --to X,Y");
  SessionHooks hooks;
  hooks.render = !o.session.outPath.empty();
  hooks.beforeRender = [&](SimulatedHost& host, InstanceId id, const RenderOptions&) { Gesture(host, id, o); };
  hooks.afterRender = [&](SimulatedHost& host, InstanceId id, const RenderOptions&, HostWorld* frame) {
    if (!o.session.outPath.empty()) DrawOverlay(host, id, o, frame);
  };
  return RunSession(o.session, hooks);
}

int Run(const UiOptions& o, const char* usage, int (*command)(const UiOptions&), bool needsOutput) {
  if (o.session.help) {
    std::fputs(usage, stdout);
    return 0;
  }
  if (needsOutput && o.session.outPath.empty()) throw UsageError("needs -o OUT.png");
  return command(o);
}

}  // namespace

int RunOverlay(ArgReader& args) {
  const UiOptions o = Parse(args, [&](const std::string& arg, UiOptions* u) {
    if (arg == "--layout") {
      u->session.layout = args.value(arg);
    } else if (arg == "--zoom") {
      u->zoom = ParseDouble(args.value(arg), 0.05, 8, "--zoom");
    } else if (arg == "--window") {
      const std::string& w = args.value(arg);
      if (w != "comp" && w != "layer") throw UsageError("--window: expected comp or layer, got \"" + w + "\"");
      u->window = w == "comp" ? PF_Window_COMP : PF_Window_LAYER;
    } else {
      return false;
    }
    return true;
  });
  return Run(o, kOverlayUsage, Overlay, true);
}

int RunChooser(ArgReader& args) {
  UiOptions o = Parse(args, [&](const std::string& arg, UiOptions* u) {
    if (arg == "--scroll") {
      u->scroll = ParseDouble(args.value(arg), 0, 1, "--scroll");
    } else if (arg == "--current") {
      u->session.layout = args.value(arg);
    } else {
      return false;
    }
    return true;
  });
  if (!o.sizeSet) o.session.size = {200, 260};  // the "Layouts" control
  return Run(o, kChooserUsage, Chooser, true);
}

int RunDrag(ArgReader& args) {
  const UiOptions o = Parse(args, [&](const std::string& arg, UiOptions* u) {
    if (arg == "--layout") {
      u->session.layout = args.value(arg);
    } else if (arg == "--from") {
      u->from = ParsePoint(args.value(arg), "--from");
      u->fromSet = true;
    } else if (arg == "--to") {
      u->to = ParsePoint(args.value(arg), "--to");
      u->toSet = true;
    } else if (arg == "--steps") {
      u->steps = int(ParseInt(args.value(arg), 1, 1000, "--steps"));
    } else {
      return false;
    }
    return true;
  });
  return Run(o, kDragUsage, Drag, false);
}

}  // namespace Orvane::Mosaira::Cli
