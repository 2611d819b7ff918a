// `tiletta layouts` and `tiletta layout`: the built-in layouts, and one of them at a size with its
// points and frame insets.
#include <sys/stat.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>

#include "layout/GridLayoutModel.h"
#include "layout/LayoutRegistry.h"
#include "tools/tiletta/CommandLine.h"
#include "tools/tiletta/Commands.h"
#include "tools/tiletta/StoredLayout.h"

namespace Orvane::Mosaira::Cli {
namespace {

const char* KindName(PointKind kind) {
  switch (kind) {
    case PointKind::kAbsolute: return "free";
    case PointKind::kSlider: return "sliding";
    case PointKind::kCrossing: return "crossing";
    default: return "none";
  }
}

void PrintLayout(const GridLayoutModel& layout) {
  std::printf("layout %s (template %d) at %gx%g, edge inset %g\n", layout.id.c_str(), layout.index,
              layout.width, layout.height, static_cast<double>(layout.spacing));
  std::printf("points:\n");
  for (const auto& [key, point] : layout.points) {
    PointPosition p = layout.findPointCopy(key)->getPosition();
    std::printf("  %-14s %-8s index %2d  ", key.c_str(), KindName(point->kind), point->index);
    if (p.valid) {
      std::printf("(%.2f, %.2f)\n", p.x, p.y);
    } else {
      std::printf("no position\n");
    }
  }
  std::printf("frames:\n");
  int number = 1;
  for (const auto& frame : layout.frames) {
    std::printf("  %d %-6s", number++, frame->id.c_str());
    if (frame->insetPolygons.empty()) std::printf(" (vanished)");
    for (const Polygon& poly : frame->insetPolygons) {
      std::printf(" [");
      for (const Vec2d& v : poly) std::printf(" (%.1f, %.1f)", v.x, v.y);
      std::printf(" ]");
    }
    std::printf("\n");
  }
}

// Index of a built-in layout named by id ("3-1") or by its number in the list (1 to 104).
size_t FindBuiltIn(const LayoutRegistry& registry, const std::string& name) {
  for (size_t i = 0; i < registry.layoutIds.size(); ++i) {
    if (registry.layoutIds[i].id == name) return i;
  }
  if (name.find('-') == std::string::npos) {
    long n = ParseInt(name, 1, static_cast<long>(registry.layoutIds.size()), "--layout number");
    return static_cast<size_t>(n - 1);
  }
  throw UsageError("no built-in layout \"" + name + "\" (see `tiletta layouts`)");
}

const char kLayoutUsage[] =
    "usage: tiletta layout [--layout ID|N] [--json FILE] [--size WxH] [--edge-inset PX]\n"
    "  --layout ID|N     a built-in layout by id (\"3-1\") or number (see `tiletta layouts`) (3-1)\n"
    "  --json FILE       a layout from a JSON file instead (one layout object)\n"
    "  --size WxH        the layer size the layout is laid out at (1920x1080)\n"
    "  --edge-inset PX   inset of every frame, -800 to 800 (0)\n"
    "exit status: 0 done; 2 bad usage; 3 the --json file cannot be read or holds no usable layout\n";

// Largest layout file read: the built-in layouts together take about 300 kB.
constexpr off_t kMaxJsonBytes = off_t(16) << 20;

std::string ReadFile(const std::string& path) {
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) throw InputError("cannot read " + path);
  if (!S_ISREG(st.st_mode)) throw InputError("cannot read " + path + ": not a regular file");
  if (st.st_size > kMaxJsonBytes) throw InputError(path + " is too large for a layout file");
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  if (!in) throw InputError("cannot read " + path);
  return text.str();
}

std::unique_ptr<GridLayoutModel> LayoutFromFile(const std::string& path, LayoutSize layerSize) {
  rapidjson::Document doc;
  const std::string text = ReadFile(path);
  doc.Parse<rapidjson::kParseIterativeFlag>(text.c_str(), text.size());
  if (doc.HasParseError() || !doc.IsObject()) throw InputError(path + " holds no layout object");
  try {
    return std::make_unique<GridLayoutModel>(doc, layerSize, -1);
  } catch (const std::logic_error& e) {  // invalid_argument, out_of_range: a coordinate that is no number
    const std::string where = BadCoordinate(doc, layerSize);
    throw InputError(path + ": " + (where.empty() ? std::string(e.what()) : where));
  }
}

}  // namespace

int RunLayouts(ArgReader& args) {
  if (!args.done()) {
    if (args.next() == "--help" && args.done()) {
      std::fputs("usage: tiletta layouts\n"
                 "  lists the built-in layouts: number, id and how many frames each has\n",
                 stdout);
      return 0;
    }
    throw UsageError("`tiletta layouts` takes no arguments");
  }
  const LayoutRegistry& registry = LayoutRegistry::instance();
  for (size_t i = 0; i < registry.layoutIds.size(); ++i) {
    std::printf("%3zu  %-5s %zu frames\n", i + 1, registry.layoutIds[i].id.c_str(),
                registry.previews[i]->frames.size());
  }
  return 0;
}

int RunLayout(ArgReader& args) {
  std::string name = "3-1";
  std::string jsonPath;
  PixelSize size{1920, 1080};
  float inset = 0.0f;
  while (!args.done()) {
    const std::string& arg = args.next();
    if (arg == "--layout") {
      name = args.value(arg);
    } else if (arg == "--json") {
      jsonPath = args.path(arg);
    } else if (arg == "--size") {
      size = ParseSize(args.value(arg));
    } else if (arg == "--edge-inset") {
      inset = static_cast<float>(ParseDouble(args.value(arg), -800, 800, "--edge-inset"));
    } else if (arg == "--help" || arg == "-h") {
      std::fputs(kLayoutUsage, stdout);
      return 0;
    } else {
      throw UsageError("unknown option " + arg);
    }
  }
  LayoutSize layerSize{static_cast<double>(size.width), static_cast<double>(size.height)};
  std::unique_ptr<GridLayoutModel> layout;
  if (!jsonPath.empty()) {
    layout = LayoutFromFile(jsonPath, layerSize);
  } else {
    const LayoutRegistry& registry = LayoutRegistry::instance();
    size_t i = FindBuiltIn(registry, name);
    const JsonValue* json = registry.templateAt(i);
    if (json == nullptr) throw UsageError("built-in layout " + name + " is missing");
    layout = std::make_unique<GridLayoutModel>(*json, layerSize, static_cast<int32_t>(i));
  }
  layout->setSpacing(inset);
  PrintLayout(*layout);
  return 0;
}

}  // namespace Orvane::Mosaira::Cli
