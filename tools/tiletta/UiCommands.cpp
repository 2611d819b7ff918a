// `tiletta overlay`, `tiletta chooser` and `tiletta drag`: the effect's on-screen controls as the
// host's windows show them, drawn by the plug-in through the simulated host's Drawbot suites.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>
#include <string>

#include "host/DrawSurface.h"
#include "host/HostUi.h"
#include "layout/LayoutRegistry.h"
#include "tools/tiletta/Commands.h"
#include "tools/tiletta/Session.h"

namespace Orvane::Mosaira::Cli {
namespace {

const char kOverlayUsage[] =
    "usage: tiletta overlay --layout ID|N [--size WxH] [--zoom Z] [--window comp|layer] [--project FILE]\n"
    "                       -o OUT.png\n"
    "  the rendered frame with the effect's overlay drawn over it, as the window shows it\n"
    "  --size WxH       the layer size (1920x1080); with an existing --project, its new size\n"
    "  --zoom Z         the window's zoom, 0.05 to 8 (1)\n"
    "  --window W       comp (the composition window, default) or layer (the layer window)\n";
const char kChooserUsage[] =
    "usage: tiletta chooser [--size WxH] [--scroll F] [--current ID|N] [--project FILE] -o OUT.png\n"
    "  the effect's layout chooser in the effect-controls panel (the control with a margin around it)\n"
    "  --size WxH       the control's size (200x260; at most 16304x16304)\n"
    "  --scroll F       drag the scroll bar's thumb first, from where it is to F (0 to 1) of the\n"
    "                   visible height below the top of its track\n"
    "  --current ID|N   the layout loaded in the instance\n";
const char kDragUsage[] =
    "usage: tiletta drag --layout ID|N --from X,Y --to X,Y [--steps N] [--size WxH] [--project FILE]\n"
    "                    [-o OUT.png]\n"
    "  a mouse gesture in the composition window (screen pixels at zoom 1): press at --from, move to\n"
    "  --to in N steps (8; 1 to 1000), release; prints what it grabbed and the parameters it changed\n"
    "  --size WxH       the layer size (1920x1080); with an existing --project, its new size\n"
    "  -o OUT.png       the frame rendered afterwards, with the overlay\n";

struct UiOptions {
  RenderOptions session;
  double zoom = 1.0;
  PF_WindowType window = PF_Window_COMP;
  double scroll = 0.0;
  bool scrollSet = false;
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
    o->session.sizeSet = true;  // the layer's size; the chooser takes it as its control's
    o->sizeSet = true;
  } else if (arg == "--project") {
    o->session.project = args.path(arg);
  } else if (arg == "-o" || arg == "--output") {
    o->session.outPath = args.path(arg);
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

// The chooser's control sits in the panel with this margin on every side, so that drawing
// outside the control shows.
constexpr A_long kPanelMarginPx = 40;
constexpr A_long kHintStripPx = 20, kThumbInsetPx = 7;

// Whether a pixel shows the chooser's accent colour (43, 136, 205), the colour of its thumb.
bool IsAccent(const PF_Pixel8& p) {
  return p.alpha > 200 && std::abs(p.red - 43) + std::abs(p.green - 136) + std::abs(p.blue - 205) < 24;
}

// The rows [top, bottom) the scroll bar's thumb covers, as the drawn control shows it; top ==
// bottom when it shows none (everything fits).
std::pair<A_long, A_long> FindThumb(HostUi& ui, InstanceId id) {
  ui.Draw(id, PF_Window_EFFECT);
  const PF_Rect& c = ui.Panel().control;
  const DrawSurface& surface = *ui.LastSurface();
  A_long top = c.top;
  while (top < c.bottom - kHintStripPx && !IsAccent(surface.Pixel(c.right - kThumbInsetPx, top))) ++top;
  A_long bottom = top;
  while (bottom < c.bottom - kHintStripPx && IsAccent(surface.Pixel(c.right - kThumbInsetPx, bottom))) ++bottom;
  return {top, bottom};
}

// The scroll: a press on the thumb where the control shows it and a drag that brings its top to
// the fraction of the visible height (the control less its hint strip).
void Scroll(HostUi& ui, InstanceId id, double fraction) {
  const PF_Rect& c = ui.Panel().control;
  const auto [top, bottom] = FindThumb(ui, id);
  if (top == bottom) {
    std::printf("scroll: no scroll bar (every thumbnail shows)\n");
    return;
  }
  const PF_Point press{c.right - kThumbInsetPx, (top + bottom) / 2};
  const A_long target = c.top + A_long(std::lround(fraction * double(c.bottom - c.top - kHintStripPx)));
  const PF_Point release{press.h, press.v + target - top};
  const EventReport r = ui.Click(id, PF_Window_EFFECT, press);
  std::printf("scroll: press on the thumb: %s, %s\n", Describe(r).c_str(),
              r.sendDrag ? "dragging" : "no drag asked for");
  ui.Drag(release);
  ui.MouseUp(release);
}

int Chooser(const UiOptions& o) {
  SessionHooks hooks;
  hooks.render = false;
  hooks.afterRender = [&](SimulatedHost& host, InstanceId id, const RenderOptions&, HostWorld*) {
    constexpr A_long m = kPanelMarginPx;
    HostUi& ui = host.Ui();
    const PixelSize s = o.session.size;
    if (!ui.SetEffectPanel({s.width + 2 * m, s.height + 2 * m, 1, {m, m, m + s.width, m + s.height}})) {
      throw RenderError("the control is too large for a panel");
    }
    if (o.scrollSet) Scroll(ui, id, o.scroll);
    const EventReport r = ui.Draw(id, PF_Window_EFFECT);
    Save(*ui.LastSurface(), o.session.outPath);
    std::printf("wrote %s: %dx%d control in a %dx%d panel; chooser draw: %s\n", o.session.outPath.c_str(), s.width,
                s.height, int(ui.Panel().widthPx), int(ui.Panel().heightPx), Describe(r).c_str());
  };
  RenderOptions session = o.session;
  session.size = {1920, 1080};  // the layer's size; --size is the control's
  session.sizeSet = false;
  return RunSession(session, hooks);
}

// --- drag ----------------------------------------------------------------------------------------

// The parameter's value at the current time as text: shortened for people, or `exact` (every
// digit, to tell whether a value changed).
std::string ValueText(SimulatedHost& host, InstanceId id, PF_ParamIndex index, bool exact = false) {
  const ParamStream& s = host.Stream(id, index);
  const PF_ParamDefUnion v = s.ValueAt(host.Context().time.Seconds());
  char text[96];
  switch (s.Definition().param_type) {
    case PF_Param_POPUP: std::snprintf(text, sizeof text, "%d", int(v.pd.value)); break;
    case PF_Param_FLOAT_SLIDER: std::snprintf(text, sizeof text, exact ? "%.17g" : "%g", v.fs_d.value); break;
    case PF_Param_POINT:
      std::snprintf(text, sizeof text, exact ? "%.17g, %.17g" : "%g, %g", v.td.x_value / 65536.0,
                    v.td.y_value / 65536.0);
      break;
    default: std::snprintf(text, sizeof text, "(type %d)", int(s.Definition().param_type)); break;
  }
  return text;
}

// Every parameter's exact value, to compare after the gesture.
std::map<PF_ParamIndex, std::string> ExactValues(SimulatedHost& host, InstanceId id) {
  std::map<PF_ParamIndex, std::string> values;
  for (PF_ParamIndex p = 1; p < host.ParamCount(); ++p) values[p] = ValueText(host, id, p, true);
  return values;
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
  const std::map<PF_ParamIndex, std::string> before = ExactValues(host, id);
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
  // The effect writes every point and slider on each step; only those whose value moved changed.
  int shown = 0;
  for (PF_ParamIndex p : changed) {
    if (ValueText(host, id, p, true) == before.at(p)) continue;
    std::printf("changed: %d \"%s\" = %s\n", int(p), host.Definition(p).name, ValueText(host, id, p).c_str());
    ++shown;
  }
  if (shown == 0) std::printf("changed: none\n");
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

// The value of --current: a built-in layout's id or number, kept as given.
std::string CurrentLayout(const std::string& value) {
  const std::string refusal = "--current: expected a built-in layout's id or number from 1 to " +
                              std::to_string(LayoutRegistry::instance().layoutIds.size()) + ", got \"" + value +
                              "\" (see `tiletta layouts`)";
  if (value.empty()) throw UsageError(refusal);
  try {
    BuiltInIndex(value);
  } catch (const UsageError&) {
    throw UsageError(refusal);
  }
  return value;
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
      u->scrollSet = true;
    } else if (arg == "--current") {
      u->session.layout = CurrentLayout(args.value(arg));
    } else {
      return false;
    }
    return true;
  });
  if (!o.sizeSet) o.session.size = {200, 260};  // the "Layouts" control
  constexpr int kMaxControlSide = DrawSurface::kMaxSide - 2 * kPanelMarginPx;
  if (o.session.size.width > kMaxControlSide || o.session.size.height > kMaxControlSide) {
    throw UsageError("--size: the control can be at most " + std::to_string(kMaxControlSide) + "x" +
                     std::to_string(kMaxControlSide) + " (the panel around it is at most " +
                     std::to_string(DrawSurface::kMaxSide) + " pixels a side)");
  }
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
