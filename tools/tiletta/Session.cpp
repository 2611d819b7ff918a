// The session the picture commands share: the plug-in loaded in the simulated host, the instance
// opened or applied, its layers made, one frame rendered, the project saved.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "host/AtomicFile.h"
#include "host/HostWorld.h"
#include "host/PngFile.h"
#include "host/ProjectFile.h"
#include "host/SimulatedHost.h"
#include "host/SmartFx.h"
#include "layout/LayoutRegistry.h"
#include "tools/tiletta/MemoryCheck.h"
#include "tools/tiletta/SampleLayers.h"
#include "tools/tiletta/Session.h"
#include "tools/tiletta/StoredLayout.h"

namespace Orvane::Mosaira::Cli {
namespace {

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

// The instance: opened from the project when its file exists, else a new one at the options' size.
// Loads the layout unless the instance already shows it.
InstanceId OpenInstance(SimulatedHost& host, const RenderOptions& o, bool* fromProject) {
  std::string error;
  *fromProject = !o.project.empty() && access(o.project.c_str(), F_OK) == 0;
  InstanceId id = kNoInstance;
  if (*fromProject) {
    Project stored;
    if (!ReadProjectFile(o.project, SimulatedHost::kMaxLayerSide, &stored, &error) ||
        !host.OpenProject(stored, &error)) {
      throw InputError("cannot open " + o.project + ": " + error);
    }
    const std::vector<InstanceId> ids = host.Instances();
    if (ids.empty()) throw InputError("cannot open " + o.project + ": the project holds no instance");
    const auto checkKept = [&] {
      for (size_t i = 0; i < ids.size() && i < stored.instances.size(); ++i) {
        CheckLayoutKept(host, ids[i], stored.instances[i], int(i + 1), o.project);
      }
    };
    checkKept();
    id = ids.front();
    // --size on a project: the layer's source changed size, as a host sees it; every command from
    // here on carries the new size. The effect is told at once, so that a layout it could keep
    // only as text (an empty layer's) is built now, and one it cannot build at the new size is
    // refused before anything is drawn or saved.
    if (o.sizeSet) {
      if (!host.SetLayerSize(id, o.size.width, o.size.height)) {
        throw RenderError("the layer cannot take the size " + std::to_string(o.size.width) + "x" +
                          std::to_string(o.size.height));
      }
      Check(host.Send(id, PF_Cmd_UPDATE_PARAMS_UI), "telling the effect of the new size");
      checkKept();
    }
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

// The index in the built-in list of the layout the instance shows (the one it holds when that is a
// built-in one, else the one "Layouts" chooses); none without a layout (or when
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
  const auto& ids = LayoutRegistry::instance().layoutIds;
  const uint64_t index = uint64_t(choice - kLayoutsFirstLayout);
  if (index < ids.size()) {
    // The frames are those of the layout the instance holds, which a keyframed "Layouts" value
    // need not name.
    const std::string held = HeldLayoutId(host, id);
    for (size_t i = 0; i < ids.size(); ++i) {
      if (ids[i].id == held) return i;
    }
    return size_t(index);
  }
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
      layers.push_back(SampleLayerWorld(int(k + 1), sampleSizes[k], format));
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
  const bool exists = !o.project.empty() && stat(o.project.c_str(), &st) == 0;
  // A project that cannot be read is the first thing wrong with it, whether or not it could be
  // written afterwards.
  if (exists && S_ISREG(st.st_mode) && faccessat(AT_FDCWD, o.project.c_str(), R_OK, AT_EACCESS) != 0) {
    throw InputError("cannot read " + o.project + ": " + std::strerror(errno));
  }
  if (!o.project.empty() && !(exists && !S_ISREG(st.st_mode)) && !CheckWritableTarget(o.project, &error)) {
    throw OutputError(error);
  }
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
  // The size of a render from a project is known once the project is open.
  const bool sized = hooks.render && (options.project.empty() || access(options.project.c_str(), F_OK) != 0);
  CheckDriverAddressSpace(sized ? &options : nullptr);
  SimulatedHost host;
  std::string error;
  if (!host.LoadPlugin(PluginPath(), &error)) throw RenderError("cannot load the plug-in: " + error);
  try {
    RunSessionIn(host, options, hooks);
  } catch (const std::bad_alloc&) {
    // Past the checks beforehand (a limit they do not know of, other processes' memory).
    const std::string need = RenderNeedText();
    throw RenderError("out of memory" + (need.empty() ? std::string() : ": " + need));
  }
  host.Shutdown();
  for (const std::string& v : host.Violations()) std::fprintf(stderr, "tiletta: host check: %s\n", v.c_str());
  return host.Violations().empty() ? 0 : 1;
}

PF_PixelFormat FormatOf(int depth) {
  return depth == 8 ? PF_PixelFormat_ARGB32 : depth == 16 ? PF_PixelFormat_ARGB64 : PF_PixelFormat_ARGB128;
}

}  // namespace Orvane::Mosaira::Cli
