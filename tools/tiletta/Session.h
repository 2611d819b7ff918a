// One session of the plug-in in the simulated host, as the picture commands (render, overlay,
// drag, chooser) run it: load the plug-in, open or apply the instance, load the layout, set the
// frame parameters, render the current frame, save the project.
#pragma once

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "host/HostWorld.h"
#include "effect/ParamIndices.h"
#include "host/SimulatedHost.h"
#include "tools/tiletta/CommandLine.h"

namespace Orvane::Mosaira::Cli {

constexpr int kGroups = kPolygonGroupCount;  // frames with their own layer parameters

struct FrameSettings {
  bool offsetSet = false, scaleSet = false;
  double x = 0, y = 0, scalePct = 100;
};

struct RenderOptions {
  std::string layout;  // empty: no layout is loaded (an instance from a project keeps its own)
  PixelSize size{1920, 1080};
  bool sizeSet = false;  // given: an instance opened from a project takes it as its layer's new size
  int depth = 8;
  std::vector<std::string> layerFiles;
  double edgeInset = 10.0;
  bool edgeInsetSet = false;
  double roundCorner = 0.0;
  bool roundCornerSet = false;
  FrameSettings frames[kGroups];
  int downsample = 1;
  std::string project;  // opened when the file exists, saved afterwards; empty for none
  std::string outPath;
  bool help = false;
};

// A failure of the plug-in or the host during the session (exit status 1).
struct RenderError : CommandError {
  explicit RenderError(const std::string& message) : CommandError(ExitStatus::kFailed, message) {}
};

// What a command adds to the session. `options` carries the instance's own size (from the project
// when opened from one); `frame` is the rendered frame, null when nothing was rendered (no layout,
// or `render` off).
struct SessionHooks {
  bool render = true;
  bool needsLayout = false;  // an instance without a layout is refused (UsageError) before the render
  std::function<void(SimulatedHost& host, InstanceId id, const RenderOptions& options)> beforeRender;
  std::function<void(SimulatedHost& host, InstanceId id, const RenderOptions& options, HostWorld* frame)> afterRender;
};

// Runs the session; the exit status (1 when the host's checks found a fault). Checks that -o and
// the project file can be written before anything is rendered. Throws CommandError: UsageError for
// layers, offsets or scales given for frames the layout lacks (or for no layout when one is
// needed), InputError for unreadable layers or damaged projects (one without an instance, or with
// a layout beyond the built-in list, included), OutputError for an unwritable -o or project,
// RenderError for failures of the plug-in.
int RunSession(const RenderOptions& options, const SessionHooks& hooks);

// The same in `host`, which has the plug-in loaded, without the checks of -o and the project
// beforehand: opens or applies the instance, renders, saves the project. The instances stay in
// the host (a throw leaves them too); the caller reads the host's checks.
void RunSessionIn(SimulatedHost& host, const RenderOptions& options, const SessionHooks& hooks);

// The world pixel format of a render of `depth` bits per channel (8, 16 or 32).
PF_PixelFormat FormatOf(int depth);

// Index of a built-in layout by id ("3-1") or by its number in the list (1 to 104); throws
// UsageError for an unknown one.
size_t BuiltInIndex(const std::string& name);

}  // namespace Orvane::Mosaira::Cli
