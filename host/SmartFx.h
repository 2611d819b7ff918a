// SmartFX of the simulated host: the pre-render and render commands of one frame of an instance,
// with the checkout callbacks a real host hands out, and the layers the user picked in layer
// parameters (at the command's downsampling, as a real host delivers them).
//
//   SmartFx fx(host);
//   fx.SetLayer(id, 42, &photo);                 // the "Layer" of polygon group 0
//   HostWorld input(w, h, fmt), output(w, h, fmt);
//   PF_PreRenderOutput rects{};
//   fx.PreRender(id, &rects);                     // PF_Cmd_SMART_PRE_RENDER through Send
//   fx.Render(id, &input, &output);               // PF_Cmd_SMART_RENDER through Send
//
// Commands go through SimulatedHost::Send. Renders may be sent from several threads at once; set
// the layers and the downsampling between renders.
#pragma once

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <utility>

#include "host/HostWorld.h"
#include "host/SimulatedHost.h"

namespace Orvane::Mosaira {

class SmartFx {
 public:
  explicit SmartFx(SimulatedHost& host) : host_(host) {}
  SmartFx(const SmartFx&) = delete;
  SmartFx& operator=(const SmartFx&) = delete;

  // The user picks `layer` (not owned; must outlive the renders; null for none) in layer
  // parameter `index` of instance `id`. False for an unknown instance or a parameter that is
  // not a layer parameter.
  bool SetLayer(InstanceId id, PF_ParamIndex index, const HostWorld* layer);

  // Sends PF_Cmd_SMART_PRE_RENDER asking for the whole layer at the command's downsampling;
  // `out` gets what the effect reported. The input checkout answers the downsampled layer
  // rectangle. Returns the command's result.
  PF_Err PreRender(InstanceId id, PF_PreRenderOutput* out);

  // Sends PF_Cmd_SMART_RENDER with `input` as the checked-out input layer and `output` as the
  // output world (both the host's; neither owned). Layers picked with SetLayer are handed out
  // at the command's downsampling. Returns the command's result.
  PF_Err Render(InstanceId id, HostWorld* input, HostWorld* output);

  // Whether the last pre-render asked for the input layer (pre-renders may run on several threads).
  bool InputRequested() const { return inputRequested_.load(); }

  // The size of a layer of `width` x `height` at the command's downsampling (at least 1 x 1).
  std::pair<A_long, A_long> DownsampledSize(A_long width, A_long height) const;

 private:
  struct Pick {
    const HostWorld* full = nullptr;
    std::unique_ptr<HostWorld> scaled;  // at the downsampling of the last render, when not 1
    std::pair<A_long, A_long> factors{1, 1};  // what the parameter hands out now
  };
  void HandOutLayers(InstanceId id);

  SimulatedHost& host_;
  std::map<std::pair<InstanceId, PF_ParamIndex>, Pick> picks_;
  std::mutex picksMutex_;  // renders on several threads hand out the same layers
  std::atomic<bool> inputRequested_{false};  // pre-renders may run on several threads
};

// A copy of `world` reduced by whole factors (fx, fy >= 1), each pixel the mean of its block;
// the same world format.
std::unique_ptr<HostWorld> DownsampleWorld(const HostWorld& world, A_long fx, A_long fy);

}  // namespace Orvane::Mosaira
