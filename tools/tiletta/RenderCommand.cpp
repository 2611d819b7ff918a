// `tiletta render`: one frame of a built-in layout rendered by the plug-in in the simulated host,
// exactly as a host would send it (set-up, parameters, the layout picked in "Layouts",
// pre-render, render, set-down), written as a PNG.
#include <cairo.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/AtomicFile.h"
#include "host/HostWorld.h"
#include "host/PngFile.h"
#include "host/SimulatedHost.h"
#include "host/SmartFx.h"
#include "layout/GridLayoutModel.h"
#include "layout/LayoutRegistry.h"
#include "tools/tiletta/CommandLine.h"
#include "tools/tiletta/Commands.h"
#include "tools/tiletta/Session.h"

namespace Orvane::Mosaira::Cli {
namespace {

// The range of "Edge Inset" as the plug-in defines it.
constexpr double kMaxEdgeInsetPx = 800.0;

const char kRenderUsage[] =
    "usage: tiletta render --layout ID|N [--size WxH] [--depth 8|16|32] [--layer FILE.png]...\n"
    "                      [--edge-inset PX] [--round-corner PCT] [--offset K:X,Y] [--scale K:PCT]\n"
    "                      [--downsample N] [--project FILE] -o OUT.png\n"
    "  --layout ID|N       a built-in layout by id (\"3-1\") or number (see `tiletta layouts`)\n"
    "  --size WxH          the layer and output size at full resolution (1920x1080)\n"
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
    } else if (arg == "--depth") {
      o.depth = int(ParseInt(args.value(arg), 8, 32, "--depth"));
      if (o.depth != 8 && o.depth != 16 && o.depth != 32) throw UsageError("--depth: expected 8, 16 or 32");
    } else if (arg == "--layer") {
      o.layerFiles.push_back(args.value(arg));
    } else if (arg == "--edge-inset") {
      o.edgeInset = ParseDouble(args.value(arg), 0, kMaxEdgeInsetPx, "--edge-inset");
      o.edgeInsetSet = true;
    } else if (arg == "--round-corner") {
      o.roundCorner = ParseDouble(args.value(arg), 0, 100, "--round-corner");
      o.roundCornerSet = true;
    } else if (arg == "--project") {
      o.project = args.value(arg);
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
      o.outPath = args.value(arg);
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

PF_PixelFormat FormatOf(int depth) {
  return depth == 8 ? PF_PixelFormat_ARGB32 : depth == 16 ? PF_PixelFormat_ARGB64 : PF_PixelFormat_ARGB128;
}

// --- Layers --------------------------------------------------------------------------------------

// 8-bit straight (a, r, g, b) pixels, rows packed.
struct Argb8Image {
  int width = 0, height = 0;
  std::vector<unsigned char> pixels;
};

// Seven-segment digits (no fonts: the picture is the same on every machine). Segments a to g:
// top, top right, bottom right, bottom, bottom left, top left, middle.
constexpr unsigned char kSegments[10] = {0x3F, 0x06, 0x5B, 0x4F, 0x66, 0x6D, 0x7D, 0x07, 0x7F, 0x6F};

void DrawDigit(cairo_t* cr, int digit, double x, double y, double w, double h) {
  const double t = w * 0.22;  // stroke thickness
  const double half = h / 2;
  if (digit == 1) x -= (w - t) / 2;  // its one stroke in the middle of the cell
  const double rects[7][4] = {{x, y, w, t},          {x + w - t, y, t, half},        {x + w - t, y + half, t, half},
                              {x, y + h - t, w, t},  {x, y + half, t, half},         {x, y, t, half},
                              {x, y + half - t / 2, w, t}};
  for (int s = 0; s < 7; ++s) {
    if (kSegments[digit] & (1 << s)) cairo_rectangle(cr, rects[s][0], rects[s][1], rects[s][2], rects[s][3]);
  }
}

// The number centred, about 40 % of the shorter side high, white over a dark shadow.
void DrawNumber(cairo_t* cr, int number, int w, int h) {
  const std::string text = std::to_string(number);
  const double dh = std::min(w, h) * 0.4, dw = dh * 0.5, gap = dw * 0.35;
  const double total = text.size() * dw + (text.size() - 1) * gap;
  const double shadow = std::max(1.0, dh / 40);
  for (int pass = 0; pass < 2; ++pass) {
    const double offset = pass == 0 ? shadow : 0.0;
    double x = (w - total) / 2 + offset;
    for (char c : text) {
      DrawDigit(cr, c - '0', x, (h - dh) / 2 + offset, dw, dh);
      x += dw + gap;
    }
    if (pass == 0) {
      cairo_set_source_rgba(cr, 0, 0, 0, 0.6);
    } else {
      cairo_set_source_rgb(cr, 1, 1, 1);
    }
    cairo_fill(cr);
  }
}

// A recognisable sample: a colour field of its own hue, lighter at the top, a grid, and the
// layer's number in the middle.
Argb8Image SampleLayer(int number, int w, int h) {
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h);
  cairo_t* cr = cairo_create(surface);
  const double hue = number * 0.38196601125;  // golden-ratio steps keep neighbours apart
  const double r = 0.5 + 0.4 * std::cos(6.2831853 * hue), g = 0.5 + 0.4 * std::cos(6.2831853 * (hue - 1 / 3.0)),
               b = 0.5 + 0.4 * std::cos(6.2831853 * (hue - 2 / 3.0));
  cairo_pattern_t* field = cairo_pattern_create_linear(0, 0, 0, h);
  cairo_pattern_add_color_stop_rgb(field, 0, std::min(1.0, r + 0.3), std::min(1.0, g + 0.3), std::min(1.0, b + 0.3));
  cairo_pattern_add_color_stop_rgb(field, 1, r * 0.6, g * 0.6, b * 0.6);
  cairo_set_source(cr, field);
  cairo_paint(cr);
  cairo_pattern_destroy(field);
  const double cell = std::max(8.0, std::min(w, h) / 10.0), line = std::max(1.0, cell / 24.0);
  cairo_set_source_rgba(cr, 1, 1, 1, 0.55);
  for (double x = std::fmod(w / 2.0, cell); x < w; x += cell) cairo_rectangle(cr, x - line / 2, 0, line, h);
  for (double y = std::fmod(h / 2.0, cell); y < h; y += cell) cairo_rectangle(cr, 0, y - line / 2, w, line);
  cairo_fill(cr);
  DrawNumber(cr, number, w, h);
  cairo_destroy(cr);
  cairo_surface_flush(surface);

  Argb8Image out;
  out.width = w;
  out.height = h;
  out.pixels.resize(size_t(w) * h * 4);
  const unsigned char* data = cairo_image_surface_get_data(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      uint32_t px;
      std::memcpy(&px, data + size_t(y) * stride + size_t(x) * 4, 4);
      unsigned char* o = &out.pixels[(size_t(y) * w + x) * 4];
      o[0] = 255;
      o[1] = (px >> 16) & 0xFF;
      o[2] = (px >> 8) & 0xFF;
      o[3] = px & 0xFF;
    }
  }
  cairo_surface_destroy(surface);
  return out;
}

// The image as a host world of `format`.
std::unique_ptr<HostWorld> ToWorld(const Argb8Image& image, PF_PixelFormat format) {
  auto world = std::make_unique<HostWorld>(image.width, image.height, format);
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      const unsigned char* p = &image.pixels[(size_t(y) * image.width + x) * 4];
      if (format == PF_PixelFormat_ARGB32) {
        world->Pixel8(x, y) = {p[0], p[1], p[2], p[3]};
      } else if (format == PF_PixelFormat_ARGB64) {
        auto c = [](unsigned char v) { return A_u_short((v * 32768 + 127) / 255); };
        world->Pixel16(x, y) = {c(p[0]), c(p[1]), c(p[2]), c(p[3])};
      } else {
        auto c = [](unsigned char v) { return PF_FpShort(v / 255.0); };
        world->PixelFloat(x, y) = {c(p[0]), c(p[1]), c(p[2]), c(p[3])};
      }
    }
  }
  return world;
}

// The size of a sample layer for each frame: the frame's inset box at the render's full size, so
// that the cover fit shows the whole sample, its number included (a frame that is empty at this
// inset gets a layer of the whole size). At least 16 pixels a side.
std::vector<PixelSize> SampleSizes(size_t layoutIndex, const RenderOptions& o, size_t frameCount) {
  const LayoutRegistry& registry = LayoutRegistry::instance();
  GridLayoutModel model(*registry.templateAt(layoutIndex), LayoutSize{double(o.size.width), double(o.size.height)},
                        int32_t(layoutIndex));
  model.setSpacing(float(o.edgeInset));
  std::vector<PixelSize> sizes(frameCount, o.size);
  for (size_t k = 0; k < frameCount && k < model.frames.size(); ++k) {
    double left = INFINITY, top = INFINITY, right = -INFINITY, bottom = -INFINITY;
    for (const Polygon& polygon : model.frames[k]->insetPolygons) {
      for (const Vec2d& p : polygon) {
        left = std::min(left, p.x);
        top = std::min(top, p.y);
        right = std::max(right, p.x);
        bottom = std::max(bottom, p.y);
      }
    }
    if (!(right > left && bottom > top)) continue;
    const auto side = [](double length, int most) { return int(std::clamp(std::ceil(length), 16.0, double(most))); };
    sizes[k] = {side(right - left, o.size.width), side(bottom - top, o.size.height)};
  }
  return sizes;
}

// --- The session -------------------------------------------------------------------------------

std::string PluginPath() {
  if (const char* env = std::getenv("TILETTA_PLUGIN")) return env;
  return TILETTA_PLUGIN_PATH;
}

void Check(PF_Err err, const char* step) {
  if (err != PF_Err_NONE) throw RenderError(std::string(step) + " failed with error " + std::to_string(err));
}

// Puts what the plug-in asked the host to show in front of the user: a message marked as an error
// ends the session (exit status 1, nothing written), any other goes to stderr.
void ShowPluginMessages(SimulatedHost& host) {
  for (const PluginMessage& m : host.TakeMessages()) {
    if (m.error) throw RenderError(m.text.empty() ? "the plug-in reported an error without a message" : m.text);
    std::fprintf(stderr, "tiletta: the plug-in says: %s\n", m.text.c_str());
  }
}

// Sets the frame parameters; for an instance opened from a project only those given.
void SetFrameParams(SimulatedHost& host, InstanceId id, const RenderOptions& o, bool fromProject) {
  if (!fromProject || o.edgeInsetSet) Check(host.SetFloat(id, kParamEdgeInset, o.edgeInset), "setting Edge Inset");
  if (!fromProject || o.roundCornerSet) {
    Check(host.SetFloat(id, kParamRoundCorner, o.roundCorner), "setting Round Corner");
  }
  for (int k = 0; k < kGroups; ++k) {
    const FrameSettings& f = o.frames[k];
    if (f.offsetSet) {
      Check(host.SetFloat(id, PolygonParam(k, kPolygonXOffset), f.x), "setting X offset");
      Check(host.SetFloat(id, PolygonParam(k, kPolygonYOffset), f.y), "setting Y offset");
    }
    if (f.scaleSet) Check(host.SetFloat(id, PolygonParam(k, kPolygonScale), f.scalePct), "setting Scale");
  }
}

// The memory this process may fill: three quarters of the machine's, less when a data limit
// (RLIMIT_DATA) is set lower; 0 when unknown.
double UsableMemory(std::string* what) {
  const double physical = double(sysconf(_SC_PHYS_PAGES)) * double(sysconf(_SC_PAGESIZE));
  double usable = physical > 0 ? physical * 0.75 : 0;
  char text[96];
  std::snprintf(text, sizeof text, "three quarters of this machine's %.1f GB", physical / 1e9);
  *what = text;
  struct rlimit limit {};
  if (getrlimit(RLIMIT_DATA, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY &&
      (usable <= 0 || double(limit.rlim_cur) < usable)) {
    usable = double(limit.rlim_cur);
    *what = "the process's data limit";
  }
  return usable;
}

// Refuses a render whose worlds and OpenGL storage would not fit in the memory this process may
// use, before they are made. Counted as held at the render's peak: each layer (`layerPixels` in
// all) twice, as its world and as its texture in the driver; the input and output worlds; and the
// renderer's storage per output pixel: two multisampled layers at the most samples it asks for
// (8), their stencil, two resolve textures and the output renderbuffer, in 8-bit storage for 8-bit
// renders and in single floats for deeper ones; and what the process holds before any of it
// (libraries, the driver: about 110 MB measured for a small render).
void CheckMemory(const RenderOptions& o, double layerPixels) {
  constexpr double kProcessBytes = 110e6;
  const double pixels = double(o.size.width) * o.size.height;
  const double bytesPerPixel = o.depth / 2;
  const double storage = o.depth == 8 ? 4 : 16, output = bytesPerPixel;
  const double rendererPerPixel = 2 * 8 * storage + 8 + 2 * storage + output;
  const double needed =
      kProcessBytes + layerPixels * bytesPerPixel * 2 + 2 * pixels * bytesPerPixel + pixels * rendererPerPixel;
  std::string what;
  const double usable = UsableMemory(&what);
  if (usable > 0 && needed > usable) {
    char text[240];
    std::snprintf(text, sizeof text, "a %dx%d %d-bit render of these layers needs about %.1f GB; %s is %.1f GB",
                  o.size.width, o.size.height, o.depth, needed / 1e9, what.c_str(), usable / 1e9);
    throw RenderError(text);
  }
}

// The instance: opened from the project when its file exists, else a new one at the options' size.
// Loads the layout unless the instance already shows it.
InstanceId OpenInstance(SimulatedHost& host, const RenderOptions& o, bool* fromProject) {
  std::string error;
  *fromProject = !o.project.empty() && access(o.project.c_str(), F_OK) == 0;
  InstanceId id = kNoInstance;
  if (*fromProject) {
    if (!host.OpenProject(o.project, &error)) throw InputError("cannot open " + o.project + ": " + error);
    const std::vector<InstanceId> ids = host.Instances();
    if (ids.empty()) throw InputError("cannot open " + o.project + ": the project holds no instance");
    id = ids.front();
  } else {
    PF_Err err = PF_Err_NONE;
    id = host.AddInstance(o.size.width, o.size.height, &err);
    if (id == kNoInstance) Check(err == PF_Err_NONE ? PF_Err_BAD_CALLBACK_PARAM : err, "applying the effect");
  }
  if (!o.layout.empty()) {
    const A_long choice = A_long(kLayoutsFirstLayout + BuiltInIndex(o.layout));
    if (!*fromProject || host.Stream(id, kParamLayouts).ValueAt(host.Context().time.Seconds()).pd.value != choice) {
      Check(host.SetPopup(id, kParamLayouts, choice), "loading the layout");
    }
  }
  return id;
}

// The index in the built-in list of the layout the instance shows; none without a layout (or when
// `needed` and there is none, UsageError). A value beyond the list (a project or plug-in of another
// build) is refused: as damage of the project it came from, else as a failure of the plug-in.
std::optional<size_t> ShownLayout(SimulatedHost& host, InstanceId id, const RenderOptions& o, bool fromProject,
                                  bool needed) {
  const A_long choice = host.Stream(id, kParamLayouts).ValueAt(host.Context().time.Seconds()).pd.value;
  if (choice < kLayoutsFirstLayout) {
    if (!needed) return std::nullopt;
    if (fromProject) throw UsageError("project " + o.project + " has no layout: give --layout ID|N");
    throw UsageError("no layout to render: give --layout ID|N");
  }
  const uint64_t index = uint64_t(choice - kLayoutsFirstLayout);
  if (index < LayoutRegistry::instance().layoutIds.size()) return size_t(index);
  const std::string what = "\"Layouts\" value " + std::to_string(choice) + " is not a built-in layout";
  if (fromProject) throw InputError("cannot open " + o.project + ": " + what);
  throw RenderError(what);
}

// The layer worlds of the layout's frames: the files given, then generated samples. Every file's
// declared size is checked (side, memory) before any of them is decoded.
std::vector<std::unique_ptr<HostWorld>> MakeLayers(const RenderOptions& o, size_t layoutIndex) {
  const LayoutRegistry& registry = LayoutRegistry::instance();
  const size_t frameCount = std::min<size_t>(registry.previews[layoutIndex]->frames.size(), kGroups);
  const PF_PixelFormat format = FormatOf(o.depth);
  const std::vector<PixelSize> sampleSizes = SampleSizes(layoutIndex, o, frameCount);
  const PngLimits limits{SimulatedHost::kMaxLayerSide, double(SimulatedHost::kMaxLayerSide) * SimulatedHost::kMaxLayerSide};
  double layerPixels = 0;
  std::string error;
  for (size_t k = 0; k < frameCount; ++k) {
    PngHeader header;
    if (k < o.layerFiles.size() && !ReadPngHeader(o.layerFiles[k], limits, &header, &error)) throw InputError(error);
    layerPixels += k < o.layerFiles.size() ? double(header.width) * header.height
                                           : double(sampleSizes[k].width) * sampleSizes[k].height;
  }
  CheckMemory(o, layerPixels);
  std::vector<std::unique_ptr<HostWorld>> layers;
  for (size_t k = 0; k < frameCount; ++k) {
    if (k < o.layerFiles.size()) {
      layers.push_back(ReadPngWorld(o.layerFiles[k], format, limits, &error));
      if (!layers.back()) throw InputError(error);
    } else {
      layers.push_back(ToWorld(SampleLayer(int(k + 1), sampleSizes[k].width, sampleSizes[k].height), format));
    }
  }
  return layers;
}

// Refuses layers, offsets and scales given for frames the layout does not have.
void CheckFrameOptions(const RenderOptions& o, size_t layoutIndex) {
  const LayoutRegistry& registry = LayoutRegistry::instance();
  const size_t frames = std::min<size_t>(registry.previews[layoutIndex]->frames.size(), kGroups);
  const std::string layout = "layout " + registry.layoutIds[layoutIndex].id + " has " + std::to_string(frames) +
                             (frames == 1 ? " frame" : " frames");
  if (o.layerFiles.size() > frames) {
    throw UsageError(layout + " but " + std::to_string(o.layerFiles.size()) + " --layer files were given");
  }
  for (size_t k = frames; k < size_t(kGroups); ++k) {
    if (o.frames[k].offsetSet || o.frames[k].scaleSet) {
      throw UsageError(layout + ": no frame " + std::to_string(k + 1) + " for " +
                       (o.frames[k].offsetSet ? "--offset" : "--scale"));
    }
  }
}

// Refuses before any work when the picture or the project could not be written afterwards, or
// when both name the same file (through links too), where one would overwrite the other. A
// project path that names something other than a file is refused when it is opened, as input.
void CheckOutputs(const RenderOptions& o) {
  if (!o.outPath.empty() && !o.project.empty() && SameTarget(o.outPath, o.project)) {
    throw UsageError("-o " + o.outPath + " and --project " + o.project + " name the same file");
  }
  std::string error;
  if (!o.outPath.empty() && !CheckWritableTarget(o.outPath, &error)) throw OutputError(error);
  struct stat st {};
  const bool opened = !o.project.empty() && stat(o.project.c_str(), &st) == 0 && !S_ISREG(st.st_mode);
  if (!o.project.empty() && !opened && !CheckWritableTarget(o.project, &error)) throw OutputError(error);
}

// Pre-render and render of the current frame at the options' depth and downsampling.
std::unique_ptr<HostWorld> RenderFrame(SimulatedHost& host, SmartFx& fx, InstanceId id, const RenderOptions& o) {
  host.Context().downsampleX = {1, A_u_long(o.downsample)};
  host.Context().downsampleY = {1, A_u_long(o.downsample)};
  PF_PreRenderOutput rects{};
  const PF_Err prepared = fx.PreRender(id, &rects);
  ShowPluginMessages(host);  // the plug-in's own words say more than its error code
  Check(prepared, "pre-render");
  const auto [w, h] = fx.DownsampledSize(o.size.width, o.size.height);
  HostWorld input(w, h, FormatOf(o.depth));
  auto output = std::make_unique<HostWorld>(w, h, FormatOf(o.depth));
  const PF_Err rendered = fx.Render(id, &input, output.get());
  ShowPluginMessages(host);
  Check(rendered, "render");
  return output;
}

void WriteRender(SimulatedHost& host, InstanceId id, HostWorld* frame, const RenderOptions& o) {
  std::string error;
  if (!WritePng(*frame, o.outPath, &error)) throw OutputError(error);
  const A_long choice = host.Stream(id, kParamLayouts).ValueAt(host.Context().time.Seconds()).pd.value;
  const LayoutRegistry& registry = LayoutRegistry::instance();
  const std::string layout =
      choice >= kLayoutsFirstLayout && size_t(choice - kLayoutsFirstLayout) < registry.layoutIds.size()
          ? registry.layoutIds[size_t(choice - kLayoutsFirstLayout)].id
          : "none";
  std::printf("wrote %s: layout %s, %dx%d, %d-bit\n", o.outPath.c_str(), layout.c_str(), int(frame->Width()),
              int(frame->Height()), o.depth);
}

}  // namespace

// Index of a built-in layout by id ("3-1") or by its number in the list (1 to 104).
size_t BuiltInIndex(const std::string& name) {
  const LayoutRegistry& registry = LayoutRegistry::instance();
  for (size_t i = 0; i < registry.layoutIds.size(); ++i) {
    if (registry.layoutIds[i].id == name) return i;
  }
  if (name.find('-') != std::string::npos || registry.layoutIds.empty()) {
    throw UsageError("no built-in layout \"" + name + "\" (see `tiletta layouts`)");
  }
  return size_t(ParseInt(name, 1, long(registry.layoutIds.size()), "--layout number") - 1);
}

void RunSessionIn(SimulatedHost& host, const RenderOptions& options, const SessionHooks& hooks) {
  std::string error;
  bool fromProject = false;
  const InstanceId id = OpenInstance(host, options, &fromProject);
  RenderOptions o = options;
  o.size = {int(host.Instance(id).width), int(host.Instance(id).height)};
  SetFrameParams(host, id, o, fromProject);
  if (hooks.beforeRender) hooks.beforeRender(host, id, o);
  SmartFx fx(host);
  std::vector<std::unique_ptr<HostWorld>> layers;
  std::unique_ptr<HostWorld> frame;
  const std::optional<size_t> layout = ShownLayout(host, id, o, fromProject, hooks.needsLayout);
  if (layout) CheckFrameOptions(o, *layout);
  if (hooks.render && layout) {
    if (o.size.width == 0 || o.size.height == 0) {
      throw RenderError("nothing to render: the instance" + (fromProject ? " in " + o.project : std::string()) +
                        " is " + std::to_string(o.size.width) + "x" + std::to_string(o.size.height));
    }
    layers = MakeLayers(o, *layout);
    for (size_t k = 0; k < layers.size(); ++k) fx.SetLayer(id, PolygonParam(int(k), kPolygonLayer), layers[k].get());
    frame = RenderFrame(host, fx, id, o);
  }
  ShowPluginMessages(host);
  if (hooks.afterRender) hooks.afterRender(host, id, o, frame.get());
  ShowPluginMessages(host);
  if (!o.project.empty() && !host.SaveProject(o.project, &error)) throw OutputError("cannot save " + o.project + ": " + error);
}

int RunSession(const RenderOptions& options, const SessionHooks& hooks) {
  CheckOutputs(options);
  SimulatedHost host;
  std::string error;
  if (!host.LoadPlugin(PluginPath(), &error)) throw RenderError("cannot load the plug-in: " + error);
  RunSessionIn(host, options, hooks);
  host.Shutdown();
  for (const std::string& v : host.Violations()) std::fprintf(stderr, "tiletta: host check: %s\n", v.c_str());
  return host.Violations().empty() ? 0 : 1;
}

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
