#include "host/SmartFx.h"

#include <algorithm>
#include <tuple>
#include <type_traits>

namespace Orvane::Mosaira {
namespace {

// The worlds of the SmartFX command running on this thread.
struct SmartCall {
  HostWorld* input = nullptr;
  HostWorld* output = nullptr;
  A_long width = 0, height = 0;  // the input layer at the command's downsampling
  bool inputRequested = false;
};
thread_local SmartCall* tCall = nullptr;

class CallScope {
 public:
  explicit CallScope(SmartCall* call) : previous_(tCall) { tCall = call; }
  ~CallScope() { tCall = previous_; }
  CallScope(const CallScope&) = delete;
  CallScope& operator=(const CallScope&) = delete;

 private:
  SmartCall* previous_;
};

PF_Err CheckoutLayer(PF_ProgPtr, PF_ParamIndex index, A_long, const PF_RenderRequest* request, A_long,
                     A_long, A_u_long, PF_CheckoutResult* result) {
  if (tCall == nullptr || result == nullptr || request == nullptr || index != 0) {
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  *result = PF_CheckoutResult{};
  result->result_rect = {0, 0, tCall->width, tCall->height};
  result->max_result_rect = result->result_rect;
  result->par = {1, 1};
  result->ref_width = tCall->width;
  result->ref_height = tCall->height;
  tCall->inputRequested = true;
  return PF_Err_NONE;
}

PF_Err CheckoutLayerPixels(PF_ProgPtr, A_long checkoutId, PF_EffectWorld** pixels) {
  if (pixels == nullptr) return PF_Err_BAD_CALLBACK_PARAM;
  *pixels = nullptr;
  if (tCall == nullptr || tCall->input == nullptr || checkoutId != 0) return PF_Err_BAD_CALLBACK_PARAM;
  *pixels = tCall->input->World();
  return PF_Err_NONE;
}

PF_Err CheckinLayerPixels(PF_ProgPtr, A_long) { return PF_Err_NONE; }

PF_Err CheckoutOutput(PF_ProgPtr, PF_EffectWorld** output) {
  if (output == nullptr) return PF_Err_BAD_CALLBACK_PARAM;
  *output = nullptr;
  if (tCall == nullptr || tCall->output == nullptr) return PF_Err_BAD_CALLBACK_PARAM;
  *output = tCall->output->World();
  return PF_Err_NONE;
}

// Whole reduction factor of one axis: den / num, at least 1.
A_long Factor(const PF_RationalScale& s) {
  if (s.num <= 0 || s.den == 0) return 1;
  return std::max<A_long>(1, A_long(s.den / A_u_long(s.num)));
}

// The stream of a layer parameter now hands out `world` (or no layer); its HIDDEN flag stays.
void SetStreamLayer(SimulatedHost& host, InstanceId id, PF_ParamIndex index, const PF_EffectWorld* world) {
  PF_ParamDef def = host.Definition(index);
  if (world != nullptr) def.u.ld = *world;
  ParamStream& stream = host.Stream(id, index);
  const bool hidden = stream.Hidden();
  stream = ParamStream(def);
  stream.SetDynamicFlag(AEGP_DynStreamFlag_HIDDEN, hidden);
}

template <typename Pixel, typename Get>
void Average(HostWorld& out, A_long fx, A_long fy, A_long srcW, A_long srcH, Get get) {
  for (A_long y = 0; y < out.Height(); ++y) {
    for (A_long x = 0; x < out.Width(); ++x) {
      double sum[4] = {0, 0, 0, 0};
      int n = 0;
      for (A_long sy = y * fy; sy < std::min(srcH, (y + 1) * fy); ++sy) {
        for (A_long sx = x * fx; sx < std::min(srcW, (x + 1) * fx); ++sx) {
          const Pixel& p = get(sx, sy);
          sum[0] += p.alpha;
          sum[1] += p.red;
          sum[2] += p.green;
          sum[3] += p.blue;
          ++n;
        }
      }
      Pixel avg = get(x * fx, y * fy);
      const double k = n > 0 ? 1.0 / n : 0.0;
      using C = decltype(avg.alpha);
      const double round = std::is_floating_point<C>::value ? 0.0 : 0.5;
      avg.alpha = C(sum[0] * k + round);
      avg.red = C(sum[1] * k + round);
      avg.green = C(sum[2] * k + round);
      avg.blue = C(sum[3] * k + round);
      if constexpr (std::is_same<Pixel, PF_Pixel8>::value) out.Pixel8(x, y) = avg;
      if constexpr (std::is_same<Pixel, PF_Pixel16>::value) out.Pixel16(x, y) = avg;
      if constexpr (std::is_same<Pixel, PF_PixelFloat>::value) out.PixelFloat(x, y) = avg;
    }
  }
}

}  // namespace

std::unique_ptr<HostWorld> DownsampleWorld(const HostWorld& world, A_long fx, A_long fy) {
  fx = std::max<A_long>(fx, 1);
  fy = std::max<A_long>(fy, 1);
  const A_long w = std::max<A_long>(1, (world.Width() + fx - 1) / fx);
  const A_long h = std::max<A_long>(1, (world.Height() + fy - 1) / fy);
  auto out = std::make_unique<HostWorld>(w, h, world.Format());
  auto& src = const_cast<HostWorld&>(world);  // read only; the accessors are not const
  if (world.Width() <= 0) return out;
  switch (world.Format()) {
    case PF_PixelFormat_ARGB32:
      Average<PF_Pixel8>(*out, fx, fy, src.Width(), src.Height(), [&](A_long x, A_long y) -> const PF_Pixel8& {
        return src.Pixel8(x, y);
      });
      break;
    case PF_PixelFormat_ARGB64:
      Average<PF_Pixel16>(*out, fx, fy, src.Width(), src.Height(), [&](A_long x, A_long y) -> const PF_Pixel16& {
        return src.Pixel16(x, y);
      });
      break;
    case PF_PixelFormat_ARGB128:
      Average<PF_PixelFloat>(*out, fx, fy, src.Width(), src.Height(),
                             [&](A_long x, A_long y) -> const PF_PixelFloat& { return src.PixelFloat(x, y); });
      break;
    default: break;
  }
  return out;
}

std::pair<A_long, A_long> SmartFx::DownsampledSize(A_long width, A_long height) const {
  const CommandContext& c = host_.Context();
  const A_long fx = Factor(c.downsampleX), fy = Factor(c.downsampleY);
  return {std::max<A_long>(1, (width + fx - 1) / fx), std::max<A_long>(1, (height + fy - 1) / fy)};
}

bool SmartFx::SetLayer(InstanceId id, PF_ParamIndex index, const HostWorld* layer) {
  if (!host_.HasInstance(id) || index < 0 || index >= host_.ParamCount()) return false;
  if (host_.Definition(index).param_type != PF_Param_LAYER) return false;
  std::lock_guard<std::mutex> lock(picksMutex_);
  if (layer == nullptr) {
    picks_.erase({id, index});
    SetStreamLayer(host_, id, index, nullptr);
    return true;
  }
  Pick& pick = picks_[{id, index}];
  pick.full = layer;
  pick.scaled.reset();
  pick.factors = {1, 1};
  SetStreamLayer(host_, id, index, layer->World());
  return true;
}

void SmartFx::HandOutLayers(InstanceId id) {
  const CommandContext& c = host_.Context();
  const std::pair<A_long, A_long> factors{Factor(c.downsampleX), Factor(c.downsampleY)};
  std::lock_guard<std::mutex> lock(picksMutex_);
  for (auto& [key, pick] : picks_) {
    // Unchanged layers stay as they are, so that renders in flight on other threads keep theirs.
    if (key.first != id || pick.factors == factors) continue;
    const HostWorld* world = pick.full;
    if (factors.first != 1 || factors.second != 1) {
      pick.scaled = DownsampleWorld(*pick.full, factors.first, factors.second);
      world = pick.scaled.get();
    } else {
      pick.scaled.reset();
    }
    pick.factors = factors;
    SetStreamLayer(host_, id, key.second, world->World());
  }
}

PF_Err SmartFx::PreRender(InstanceId id, PF_PreRenderOutput* out) {
  if (!host_.HasInstance(id) || out == nullptr) return PF_Err_BAD_CALLBACK_PARAM;
  SmartCall call;
  const auto [width, height] = host_.LayerSize(id);
  std::tie(call.width, call.height) = DownsampledSize(width, height);
  PF_PreRenderInput input{};
  input.output_request.rect = {0, 0, call.width, call.height};
  input.output_request.channel_mask = PF_ChannelMask_ARGB;
  input.bitdepth = 8;
  PF_PreRenderCallbacks cb{CheckoutLayer};
  *out = PF_PreRenderOutput{};
  PF_PreRenderExtra extra{&input, out, &cb};
  CallScope scope(&call);
  const PF_Err err = host_.Send(id, PF_Cmd_SMART_PRE_RENDER, &extra);
  inputRequested_ = call.inputRequested;
  return err;
}

PF_Err SmartFx::Render(InstanceId id, HostWorld* input, HostWorld* output) {
  if (!host_.HasInstance(id)) return PF_Err_BAD_CALLBACK_PARAM;
  HandOutLayers(id);
  SmartCall call;
  call.input = input;
  call.output = output;
  PF_SmartRenderInput in{};
  if (input != nullptr) in.output_request.rect = {0, 0, input->Width(), input->Height()};
  in.output_request.channel_mask = PF_ChannelMask_ARGB;
  in.bitdepth = A_short(input ? HostWorld::BytesPerPixel(input->Format()) * 2 : 8);
  PF_SmartRenderCallbacks cb{CheckoutLayerPixels, CheckinLayerPixels, CheckoutOutput};
  PF_SmartRenderExtra extra{&in, &cb};
  CallScope scope(&call);
  return host_.Send(id, PF_Cmd_SMART_RENDER, &extra);
}

}  // namespace Orvane::Mosaira
