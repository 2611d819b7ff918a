// `tiletta render`: one frame of a built-in layout rendered by the plug-in in the simulated host,
// exactly as a host would send it (set-up, parameters, the layout picked in "Layouts",
// pre-render, render, set-down), written as a PNG.
#include <cstdio>
#include <string>

#include "host/HostWorld.h"
#include "host/PngFile.h"
#include "host/SimulatedHost.h"
#include "tools/tiletta/CommandLine.h"
#include "tools/tiletta/Commands.h"
#include "tools/tiletta/Session.h"
#include "tools/tiletta/StoredLayout.h"

namespace Orvane::Mosaira::Cli {
namespace {

// The range of "Edge Inset" as the plug-in defines it.
constexpr double kMaxEdgeInsetPx = 800.0;

const char kRenderUsage[] =
    "usage: tiletta render --layout ID|N [--size WxH] [--depth 8|16|32] [--layer FILE.png]...\n"
    "                      [--edge-inset PX] [--round-corner PCT] [--offset K:X,Y] [--scale K:PCT]\n"
    "                      [--downsample N] [--project FILE] -o OUT.png\n"
    "  --layout ID|N       a built-in layout by id (\"3-1\") or number (see `tiletta layouts`)\n"
    "  --size WxH          the layer and output size at full resolution (1920x1080); with an\n"
    "                      existing --project, the layer's new size\n"
    "  --depth 8|16|32     bits per channel of the layers and the output (8; 16 and 32 write 16-bit PNGs)\n"
    "  --layer FILE.png    the layer of the next frame, in frame order (at most one per frame of the\n"
    "                      layout); frames without one get a generated sample (a colour field with a\n"
    "                      grid and the frame's number). 16-bit files keep 16 bits in 16 and 32-bit\n"
    "                      renders; samples are taken as stored, without gamma conversion\n"
    "  --edge-inset PX     inset of every frame, 0 to 800 (10)\n"
    "  --round-corner PCT  corner rounding, 0 to 100 (0)\n"
    "  --offset K:X,Y      X and Y offset of frame K's layer, in the layer's own pixels\n"
    "  --scale K:PCT       scale of frame K's layer about its centre (100)\n"
    "  --downsample N      render at 1/N resolution, as a host's preview does (1)\n"
    "  --project FILE      open the instance from FILE when it exists (its layout and parameters\n"
    "                      stay unless given here) and save it back afterwards\n"
    "  -o OUT.png          the picture written (checked before the render; replaced only when\n"
    "                      the new picture is complete)\n"
    "exit status: 0 done; 1 the plug-in or the host failed (its message is printed), or the render\n"
    "  needs more memory than it may use; 2 bad usage (also -o and --project naming one file); 3 a\n"
    "  --layer or --project file cannot be read or is damaged; 4 -o or the --project file cannot be\n"
    "  written, or its write failed\n";

// "K:rest" with K a frame number from 1 to 9.
int FrameNumber(const std::string& text, const char* what, std::string* rest) {
  const auto colon = text.find(':');
  if (colon == std::string::npos) throw UsageError(std::string(what) + ": expected K:..., got \"" + text + "\"");
  *rest = text.substr(colon + 1);
  return int(ParseInt(text.substr(0, colon), 1, kGroups, what)) - 1;
}

RenderOptions ParseOptions(ArgReader& args) {
  RenderOptions o;
  while (!args.done()) {
    const std::string& arg = args.next();
    std::string rest;
    if (arg == "--layout") {
      o.layout = args.value(arg);
    } else if (arg == "--size") {
      o.size = ParseSize(args.value(arg));
      o.sizeSet = true;
    } else if (arg == "--depth") {
      o.depth = int(ParseInt(args.value(arg), 8, 32, "--depth"));
      if (o.depth != 8 && o.depth != 16 && o.depth != 32) throw UsageError("--depth: expected 8, 16 or 32");
    } else if (arg == "--layer") {
      o.layerFiles.push_back(args.path(arg));
    } else if (arg == "--edge-inset") {
      o.edgeInset = ParseDouble(args.value(arg), 0, kMaxEdgeInsetPx, "--edge-inset");
      o.edgeInsetSet = true;
    } else if (arg == "--round-corner") {
      o.roundCorner = ParseDouble(args.value(arg), 0, 100, "--round-corner");
      o.roundCornerSet = true;
    } else if (arg == "--project") {
      o.project = args.path(arg);
    } else if (arg == "--offset") {
      FrameSettings& f = o.frames[FrameNumber(args.value(arg), "--offset", &rest)];
      const auto comma = rest.find(',');
      if (comma == std::string::npos) throw UsageError("--offset: expected K:X,Y, got \"" + rest + "\"");
      f.x = ParseDouble(rest.substr(0, comma), -1000, 1000, "--offset X");
      f.y = ParseDouble(rest.substr(comma + 1), -1000, 1000, "--offset Y");
      f.offsetSet = true;
    } else if (arg == "--scale") {
      FrameSettings& f = o.frames[FrameNumber(args.value(arg), "--scale", &rest)];
      f.scalePct = ParseDouble(rest, 0, 1000, "--scale");
      f.scaleSet = true;
    } else if (arg == "--downsample") {
      o.downsample = int(ParseInt(args.value(arg), 1, 16, "--downsample"));
    } else if (arg == "-o" || arg == "--output") {
      o.outPath = args.path(arg);
    } else if (arg == "--help" || arg == "-h") {
      o.help = true;
      return o;
    } else {
      throw UsageError("unknown option " + arg);
    }
  }
  if (o.layout.empty() && o.project.empty()) throw UsageError("render needs --layout ID|N (see `tiletta layouts`)");
  if (o.outPath.empty()) throw UsageError("render needs -o OUT.png");
  if (o.layerFiles.size() > size_t(kGroups)) throw UsageError("at most 9 --layer files");
  return o;
}

void WriteRender(SimulatedHost& host, InstanceId id, HostWorld* frame, const RenderOptions& o) {
  std::string error;
  if (!WritePng(*frame, o.outPath, &error)) throw OutputError(error);
  // The layout the plug-in drew, not the "Layouts" value now: a keyframed choice or a layout
  // loaded earlier may differ from it.
  const std::string held = HeldLayoutId(host, id);
  const std::string layout = held.empty() ? "none" : held;
  std::printf("wrote %s: layout %s, %dx%d, %d-bit\n", o.outPath.c_str(), layout.c_str(), int(frame->Width()),
              int(frame->Height()), o.depth);
}

}  // namespace

int RunRender(ArgReader& args) {
  const RenderOptions options = ParseOptions(args);
  if (options.help) {
    std::fputs(kRenderUsage, stdout);
    return 0;
  }
  SessionHooks hooks;
  hooks.needsLayout = true;
  hooks.afterRender = [](SimulatedHost& host, InstanceId id, const RenderOptions& o, HostWorld* frame) {
    if (frame == nullptr) throw RenderError("no layout to render");
    WriteRender(host, id, frame, o);
  };
  return RunSession(options, hooks);
}

}  // namespace Orvane::Mosaira::Cli
