#include "tests/smartfx/RenderHarness.h"

#include <rapidjson/document.h>

#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include "effect/LaterHandlers.h"
#include "effect/ParamIndices.h"
#include "effect/SequenceCommands.h"
#include "effect/SequenceData.h"
#include "platform/ContextState.h"
#include "render/Renderer.h"

namespace Orvane::Mosaira::SmartFxTest {
namespace {

std::atomic<Harness*> gCurrent{nullptr};

int BytesPerPixel(PF_PixelFormat format) {
  switch (format) {
    case PF_PixelFormat_ARGB32: return 4;
    case PF_PixelFormat_ARGB64: return 8;
    case PF_PixelFormat_ARGB128: return 16;
    default: return 4;  // an unknown layout is stored like 8-bit, so the effect can refuse it
  }
}

// --- Worlds by pixel address: checked-out layers are copies of the world struct ---------------

std::mutex gWorldsMutex;
std::map<const void*, TestWorld*> gWorlds;

TestWorld* WorldOf(const PF_EffectWorld* world) {
  if (world == nullptr) return nullptr;
  std::lock_guard<std::mutex> lock(gWorldsMutex);
  auto it = gWorlds.find(world->data);
  return it == gWorlds.end() ? nullptr : it->second;
}

PF_Err GetPixelFormat(const PF_EffectWorld* world, PF_PixelFormat* format) {
  TestWorld* w = WorldOf(world);
  if (w == nullptr || format == nullptr) return PF_Err_BAD_CALLBACK_PARAM;
  *format = w->format;
  return PF_Err_NONE;
}

template <typename Pixel>
PF_Err PixelAddress(PF_EffectWorld* world, Pixel** out, PF_PixelFormat wanted) {
  Harness* h = Harness::Current();
  *out = nullptr;
  TestWorld* w = WorldOf(world);
  if (w == nullptr || w->format != wanted) return PF_Err_BAD_CALLBACK_PARAM;
  if (h != nullptr && h->pixelAddressesLeft.load() >= 0 && h->pixelAddressesLeft.fetch_sub(1) <= 0) {
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  *out = reinterpret_cast<Pixel*>(world->data);
  return PF_Err_NONE;
}

PF_Err PixelData8(PF_EffectWorld* world, void*, PF_Pixel8** out) {
  return PixelAddress(world, out, PF_PixelFormat_ARGB32);
}
PF_Err PixelData16(PF_EffectWorld* world, void*, PF_Pixel16** out) {
  return PixelAddress(world, out, PF_PixelFormat_ARGB64);
}

PF_Err IterateFloat(PF_InData*, A_long, A_long, PF_EffectWorld* src, const PF_Rect*, void* refcon,
                    PF_IteratePixelFloatFunc fn, PF_EffectWorld* dst) {
  TestWorld* s = WorldOf(src);
  TestWorld* d = WorldOf(dst);
  if (s == nullptr || s->format != PF_PixelFormat_ARGB128) return PF_Err_BAD_CALLBACK_PARAM;
  for (A_long y = 0; y < src->height; ++y) {
    for (A_long x = 0; x < src->width; ++x) {
      auto* in = reinterpret_cast<PF_PixelFloat*>(reinterpret_cast<char*>(src->data) + y * src->rowbytes) + x;
      PF_PixelFloat* out = nullptr;
      if (d != nullptr && x < dst->width && y < dst->height) {
        out = reinterpret_cast<PF_PixelFloat*>(reinterpret_cast<char*>(dst->data) + y * dst->rowbytes) + x;
      }
      if (PF_Err err = fn(refcon, x, y, in, out)) return err;
    }
  }
  return PF_Err_NONE;
}

// --- Handles: a master pointer block in front of the bytes ------------------------------------

struct HandleBlock {
  void* master;
  A_u_longlong size;
};

PF_Handle NewHandle(A_u_longlong size) {
  auto* block = static_cast<HandleBlock*>(std::calloc(1, sizeof(HandleBlock) + size + 16));
  if (block == nullptr) return nullptr;
  block->master = reinterpret_cast<char*>(block) + sizeof(HandleBlock);
  block->size = size;
  if (Harness* h = Harness::Current()) ++h->handlesLive;
  return &block->master;
}
HandleBlock* BlockOf(PF_Handle h) { return reinterpret_cast<HandleBlock*>(h); }
void* LockHandle(PF_Handle h) { return h ? *h : nullptr; }
void UnlockHandle(PF_Handle) {}
void DisposeHandle(PF_Handle h) {
  if (h == nullptr) return;
  std::free(BlockOf(h));
  if (Harness* cur = Harness::Current()) --cur->handlesLive;
}
A_u_longlong HandleSize(PF_Handle h) { return h ? BlockOf(h)->size : 0; }

const PF_HandleSuite2 kHandleSuite = {NewHandle, LockHandle, UnlockHandle, DisposeHandle, HandleSize, nullptr};
const PF_WorldSuite2 kWorldSuite = {GetPixelFormat};
const PF_iterateFloatSuite1 kIterateSuite = {IterateFloat};

SPErr AcquireSuite(const char* name, A_long, const void** suite) {
  *suite = nullptr;
  Harness* h = Harness::Current();
  if (h == nullptr || h->missingSuites.count(name) != 0) return A_Err_MISSING_SUITE;
  if (std::strcmp(name, kPFHandleSuite) == 0) *suite = &kHandleSuite;
  if (std::strcmp(name, kPFWorldSuite) == 0) *suite = &kWorldSuite;
  if (std::strcmp(name, kPFIterateFloatSuite) == 0) *suite = &kIterateSuite;
  if (*suite == nullptr) return A_Err_MISSING_SUITE;
  ++h->suitesHeld;
  return A_Err_NONE;
}

SPErr ReleaseSuite(const char*, A_long) {
  if (Harness* h = Harness::Current()) --h->suitesHeld;
  return A_Err_NONE;
}

// --- Parameters and SmartFX ------------------------------------------------------------------

RenderCall* CallOf(PF_ProgPtr ref) { return static_cast<RenderCall*>(ref); }

PF_Err CheckoutParam(PF_ProgPtr ref, PF_ParamIndex index, A_long, A_long, A_u_long, PF_ParamDef* param) {
  Harness* h = CallOf(ref)->harness;
  *param = PF_ParamDef{};
  std::lock_guard<std::mutex> lock(h->mutex);
  if (h->failingCheckouts.count(index) != 0) return PF_Err_OUT_OF_MEMORY;
  const int group = (index - kParamPolygonGroupFirst) / kParamPolygonGroupStride;
  if (index >= kParamPolygonGroupFirst && index < kParamCount &&
      PolygonParam(group, kPolygonLayer) == index) {
    param->param_type = PF_Param_LAYER;
    auto it = h->layers.find(group);
    if (it != h->layers.end()) param->u.ld = it->second->world;
  } else {
    // Point and slider parameters of the layout are not the render's: they stay unknown here.
    auto it = h->floats.find(index);
    if (it == h->floats.end()) return PF_Err_INVALID_INDEX;
    param->param_type = PF_Param_FLOAT_SLIDER;
    param->u.fs_d.value = it->second;
  }
  ++h->checkedOut;
  return PF_Err_NONE;
}

PF_Err CheckinParam(PF_ProgPtr ref, PF_ParamDef*) {
  Harness* h = CallOf(ref)->harness;
  if (h->checkedOut.fetch_sub(1) <= 0) {
    ++h->checkedOut;
    ++h->badCheckins;
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  return PF_Err_NONE;
}

PF_Err CheckoutLayer(PF_ProgPtr ref, PF_ParamIndex index, A_long, const PF_RenderRequest*, A_long, A_long,
                     A_u_long, PF_CheckoutResult* result) {
  RenderCall* call = CallOf(ref);
  if (index != 0) return PF_Err_BAD_CALLBACK_PARAM;
  if (call->checkoutLayerError != PF_Err_NONE) return call->checkoutLayerError;
  *result = call->checkout;
  return PF_Err_NONE;
}

PF_Err CheckoutLayerPixels(PF_ProgPtr ref, A_long id, PF_EffectWorld** pixels) {
  RenderCall* call = CallOf(ref);
  *pixels = nullptr;
  if (id != 0 || call->input == nullptr) return PF_Err_BAD_CALLBACK_PARAM;
  if (call->checkoutPixelsError != PF_Err_NONE) return call->checkoutPixelsError;
  *pixels = &call->input->world;
  return PF_Err_NONE;
}

PF_Err CheckinLayerPixels(PF_ProgPtr, A_long) { return PF_Err_NONE; }

PF_Err CheckoutOutput(PF_ProgPtr ref, PF_EffectWorld** output) {
  RenderCall* call = CallOf(ref);
  *output = call->output ? &call->output->world : nullptr;
  return call->output ? PF_Err_NONE : PF_Err_BAD_CALLBACK_PARAM;
}

}  // namespace

// --- TestWorld -----------------------------------------------------------------------------------

TestWorld::TestWorld(A_long width, A_long height, PF_PixelFormat fmt, A_long padBytes)
    : format(fmt), bytesPerPixel_(BytesPerPixel(fmt)) {
  world.width = width;
  world.height = height;
  world.rowbytes = width * bytesPerPixel_ + padBytes;
  bytes_.assign(size_t(world.rowbytes) * size_t(height) + 1, 0);
  for (A_long y = 0; y < height; ++y) {
    std::memset(bytes_.data() + size_t(y) * world.rowbytes + size_t(width) * bytesPerPixel_, kPaddingByte,
                size_t(padBytes));
  }
  world.data = reinterpret_cast<PF_Pixel*>(bytes_.data());
  world.extent_hint = {0, 0, width, height};
  world.pix_aspect_ratio = {1, 1};
  std::lock_guard<std::mutex> lock(gWorldsMutex);
  gWorlds[world.data] = this;
}

TestWorld::~TestWorld() {
  std::lock_guard<std::mutex> lock(gWorldsMutex);
  gWorlds.erase(world.data);
}

unsigned char* TestWorld::At(A_long x, A_long y, Channel c) {
  return bytes_.data() + size_t(y) * world.rowbytes + size_t(x) * bytesPerPixel_ + c * (bytesPerPixel_ / 4);
}
const unsigned char* TestWorld::At(A_long x, A_long y, Channel c) const {
  return const_cast<TestWorld*>(this)->At(x, y, c);
}

double TestWorld::Get(A_long x, A_long y, Channel c) const {
  const unsigned char* p = At(x, y, c);
  if (format == PF_PixelFormat_ARGB64) {
    A_u_short v;
    std::memcpy(&v, p, 2);
    return v / 32768.0;
  }
  if (format == PF_PixelFormat_ARGB128) {
    float v;
    std::memcpy(&v, p, 4);
    return v;
  }
  return *p / 255.0;
}

void TestWorld::Set(A_long x, A_long y, Channel c, double value) {
  unsigned char* p = At(x, y, c);
  if (format == PF_PixelFormat_ARGB64) {
    const auto v = A_u_short(value * 32768.0 + 0.5);
    std::memcpy(p, &v, 2);
  } else if (format == PF_PixelFormat_ARGB128) {
    const auto v = float(value);
    std::memcpy(p, &v, 4);
  } else {
    *p = static_cast<unsigned char>(value * 255.0 + 0.5);
  }
}

void TestWorld::Fill(A_long x0, A_long y0, A_long x1, A_long y1, double a, double r, double g, double b) {
  for (A_long y = y0; y < y1; ++y) {
    for (A_long x = x0; x < x1; ++x) {
      Set(x, y, kAlpha, a);
      Set(x, y, kRed, r);
      Set(x, y, kGreen, g);
      Set(x, y, kBlue, b);
    }
  }
}

bool TestWorld::PaddingIntact() const {
  const size_t used = size_t(world.width) * bytesPerPixel_;
  for (A_long y = 0; y < world.height; ++y) {
    for (size_t i = used; i < size_t(world.rowbytes); ++i) {
      if (bytes_[size_t(y) * world.rowbytes + i] != kPaddingByte) return false;
    }
  }
  return true;
}

// --- Harness ---------------------------------------------------------------------------------------

RenderCall::RenderCall(Harness* h) : harness(h) {
  in.inter.checkout_param = CheckoutParam;
  in.inter.checkin_param = CheckinParam;
  in.utils = &h->utils;
  in.effect_ref = this;
  in.time_step = 1;
  in.time_scale = 30;
  in.downsample_x = {1, 1};
  in.downsample_y = {1, 1};
  in.pica_basicP = &h->basic;
}

Harness::Harness() {
  basic.AcquireSuite = AcquireSuite;
  basic.ReleaseSuite = ReleaseSuite;
  utils.get_pixel_data8 = PixelData8;
  utils.get_pixel_data16 = PixelData16;
  utils.host_new_handle = NewHandle;
  utils.host_lock_handle = LockHandle;
  utils.host_unlock_handle = UnlockHandle;
  utils.host_dispose_handle = DisposeHandle;
  utils.host_get_handle_size = HandleSize;
  floats[kParamEdgeInset] = 0.0;
  floats[kParamRoundCorner] = 0.0;
  for (int k = 0; k < kPolygonGroupCount; ++k) {
    floats[PolygonParam(k, kPolygonXOffset)] = 0.0;
    floats[PolygonParam(k, kPolygonYOffset)] = 0.0;
    floats[PolygonParam(k, kPolygonScale)] = 100.0;
  }
  gCurrent = this;
}

Harness::~Harness() { gCurrent = nullptr; }

Harness* Harness::Current() { return gCurrent.load(); }

void Harness::InstallLayout(RenderCall& call, std::unique_ptr<GridLayoutModel> layout) {
  if (HandleSequenceSetup(&call.in, &call.out) != PF_Err_NONE) throw std::runtime_error("no record");
  call.in.sequence_data = call.out.sequence_data;
  UnFlatSequenceData* record = FindLiveRecord(&call.in);
  if (record == nullptr) throw std::runtime_error("no live record");
  record->layout = std::move(layout);
}

void Harness::RemoveLayout(RenderCall& call) {
  if (call.in.sequence_data == nullptr) return;
  SequenceSetdown(&call.in);
  call.in.sequence_data = nullptr;
}

PF_Err Harness::PreRender(RenderCall& call, const PF_RenderRequest& request, PF_PreRenderOutput* out) {
  PF_PreRenderInput input{request, 8};
  PF_PreRenderCallbacks cb{CheckoutLayer};
  PF_PreRenderExtra extra{&input, out, &cb};
  try {
    return HandleSmartPreRender(&call.in, &call.out, &extra);
  } catch (...) {
    return PF_Err_BAD_CALLBACK_PARAM;  // as the entry point answers
  }
}

PF_Err Harness::Render(RenderCall& call) {
  PF_SmartRenderInput input{};
  PF_SmartRenderCallbacks cb{CheckoutLayerPixels, CheckinLayerPixels, CheckoutOutput};
  PF_SmartRenderExtra extra{&input, &cb};
  try {
    return HandleSmartRender(&call.in, &call.out, &extra);
  } catch (...) {
    return PF_Err_BAD_CALLBACK_PARAM;  // as the entry point answers
  }
}

void Harness::GlobalSetup() { RenderGlobalSetup(); }

void Harness::GlobalSetdown() { RenderGlobalSetdown(); }

std::unique_ptr<GridLayoutModel> TwoFrameLayout(double width, double height) {
  static const char kJson[] = R"({
    "frames": [
      {"id": "F1", "polygon": ["LEFT_TOP", "P1", "P2", "LEFT_BOTTOM"]},
      {"id": "F2", "polygon": ["P1", "RIGHT_TOP", "RIGHT_BOTTOM", "P2"]}
    ],
    "id": "2-1",
    "moveButtons": [],
    "points": [{"id": "P1", "x": 0.5, "y": 0}, {"id": "P2", "x": 0.5, "y": 1}],
    "vectors": []
  })";
  rapidjson::Document doc;
  doc.Parse(kJson);
  return std::make_unique<GridLayoutModel>(doc, LayoutSize{width, height}, 0);
}

}  // namespace Orvane::Mosaira::SmartFxTest
