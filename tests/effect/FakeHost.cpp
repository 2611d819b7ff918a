#include "tests/effect/FakeHost.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace Orvane::Mosaira::testing {

namespace {
FakeHost* gHost = nullptr;
}

// The host's callbacks, reaching the current FakeHost.
struct FakeHostCallbacks {
  static PF_Handle New(A_u_longlong size) {
    if (gHost->failNewHandle) return nullptr;
    return gHost->NewHandle(std::vector<uint8_t>(size, 0));
  }
  static FakeHost::Block* Find(PF_Handle h) {
    auto it = gHost->blocks_.find(h);
    return it == gHost->blocks_.end() ? nullptr : it->second;
  }
  static void* Lock(PF_Handle h) {
    FakeHost::Block* b = Find(h);
    if (!b || gHost->failLockHandle || gHost->unlockableHandles.count(h)) return nullptr;
    ++b->locks;
    return *h;
  }
  static void Unlock(PF_Handle h) {
    if (FakeHost::Block* b = Find(h)) --b->locks;
  }
  static void Dispose(PF_Handle h) {
    FakeHost::Block* b = Find(h);
    if (!b) throw std::logic_error("dispose of an unknown handle");
    std::memset(b->bytes.data(), 0xDD, b->bytes.size());
    gHost->blocks_.erase(h);
    delete b;
    delete h;
  }
  static A_u_longlong Size(PF_Handle h) {
    FakeHost::Block* b = Find(h);
    return b ? b->bytes.size() : 0;
  }
  static SPErr Acquire(const char* name, A_long version, const void** suite);
  static SPErr Release(const char* name, A_long version) {
    --gHost->suiteBalance_[std::string(name) + "/" + std::to_string(version)];
    return A_Err_NONE;
  }
  static A_long Sprintf(A_char* buffer, const A_char* format, ...) {
    va_list args;
    va_start(args, format);
    const int n = std::vsnprintf(buffer, PF_MAX_EFFECT_MSG_LEN + 1, format, args);
    va_end(args);
    return n;
  }
  static A_char* Strcpy(A_char* dest, const A_char* src) { return std::strcpy(dest, src); }
  static PF_Err Checkout(PF_ProgPtr, PF_ParamIndex index, A_long, A_long, A_u_long,
                         PF_ParamDef* def) {
    ++gHost->checkouts;
    if (gHost->failingCheckouts.count(index)) return PF_Err_BAD_CALLBACK_PARAM;
    auto it = gHost->checkoutValues.find(index);
    if (it != gHost->checkoutValues.end()) *def = it->second;
    return PF_Err_NONE;
  }
  static PF_Err Checkin(PF_ProgPtr, PF_ParamDef*) {
    ++gHost->checkins;
    return PF_Err_NONE;
  }
  static PF_Err AddParam(PF_ProgPtr, PF_ParamIndex index, PF_ParamDefPtr def) {
    if (index != -1) return PF_Err_INVALID_INDEX;
    if (gHost->addParamCalls++ == gHost->failAddParamAt) return PF_Err_OUT_OF_MEMORY;
    gHost->addedParams.push_back(*def);
    return PF_Err_NONE;
  }
  static PF_Err RegisterUi(PF_ProgPtr, PF_CustomUIInfo*) {
    ++gHost->registerUiCalls;
    return gHost->registerUiResult;
  }
  static PF_Err UpdateParamUi(PF_ProgPtr, PF_ParamIndex index, const PF_ParamDef*) {
    gHost->updateUiCalls.push_back(index);
    return PF_Err_NONE;
  }
  static A_Err Register(AEGP_GlobalRefcon, const A_char*, AEGP_PluginID* id) {
    *id = 77;
    return A_Err_NONE;
  }
  static A_Err GetEffect(AEGP_PluginID, PF_ProgPtr, AEGP_EffectRefH* effect) {
    ++gHost->openEffects;
    *effect = reinterpret_cast<AEGP_EffectRefH>(gHost);
    return A_Err_NONE;
  }
  static A_Err DisposeEffect(AEGP_EffectRefH) {
    --gHost->openEffects;
    return A_Err_NONE;
  }
  // A stream handle encodes its parameter index plus one.
  static A_Err GetStream(AEGP_PluginID, AEGP_EffectRefH, PF_ParamIndex index,
                         AEGP_StreamRefH* stream) {
    ++gHost->openStreams;
    *stream = reinterpret_cast<AEGP_StreamRefH>(static_cast<intptr_t>(index) + 1);
    return A_Err_NONE;
  }
  static int IndexOf(AEGP_StreamRefH stream) {
    return static_cast<int>(reinterpret_cast<intptr_t>(stream) - 1);
  }
  static A_Err DisposeStream(AEGP_StreamRefH) {
    --gHost->openStreams;
    return A_Err_NONE;
  }
  static A_Err GetFlags(AEGP_StreamRefH stream, AEGP_DynStreamFlags* flags) {
    *flags = gHost->streamFlags[IndexOf(stream)];
    return A_Err_NONE;
  }
  static A_Err SetFlag(AEGP_StreamRefH stream, AEGP_DynStreamFlags flag, A_Boolean, A_Boolean set) {
    ++gHost->setFlagCalls;
    AEGP_DynStreamFlags& f = gHost->streamFlags[IndexOf(stream)];
    f = set ? (f | flag) : (f & ~flag);
    return A_Err_NONE;
  }
  static A_Err NumKeys(AEGP_StreamRefH stream, A_long* n) {
    *n = gHost->keyframes[IndexOf(stream)];
    return A_Err_NONE;
  }
  static A_Err DeleteKey(AEGP_StreamRefH stream, AEGP_KeyframeIndex) {
    ++gHost->deleteKeyframeCalls;
    int& n = gHost->keyframes[IndexOf(stream)];
    if (n > 0) --n;
    return A_Err_NONE;
  }
};

namespace {

PF_ANSICallbacks kAnsi{FakeHostCallbacks::Sprintf, FakeHostCallbacks::Strcpy};
PF_HandleSuite2 kHandleSuite{FakeHostCallbacks::New,    FakeHostCallbacks::Lock,
                             FakeHostCallbacks::Unlock, FakeHostCallbacks::Dispose,
                             FakeHostCallbacks::Size,   nullptr};
PF_ParamUtilsSuite3 kParamUtils{FakeHostCallbacks::UpdateParamUi};
AEGP_UtilitySuite11 kUtility{FakeHostCallbacks::Register};
AEGP_PFInterfaceSuite1 kPfInterface{FakeHostCallbacks::GetEffect};
AEGP_EffectSuite2 kEffect{FakeHostCallbacks::DisposeEffect};
AEGP_StreamSuite7 kStream{FakeHostCallbacks::GetStream, FakeHostCallbacks::DisposeStream};
AEGP_DynamicStreamSuite2 kDynamic{FakeHostCallbacks::GetFlags, FakeHostCallbacks::SetFlag};
AEGP_KeyframeSuite3 kKeyframe{FakeHostCallbacks::NumKeys, FakeHostCallbacks::DeleteKey};

const void* SuiteTable(const std::string& name, A_long version) {
  if (name == kPFANSISuite && version == 1) return &kAnsi;
  if (name == kPFHandleSuite && version == 2) return &kHandleSuite;
  if (name == kPFParamUtilsSuite && version == 3) return &kParamUtils;
  if (name == kAEGPUtilitySuite && version == 11) return &kUtility;
  if (name == kAEGPPFInterfaceSuite && version == 1) return &kPfInterface;
  if (name == kAEGPEffectSuite && version == 2) return &kEffect;
  if (name == kAEGPStreamSuite && version == 7) return &kStream;
  if (name == kAEGPDynamicStreamSuite && version == 2) return &kDynamic;
  if (name == kAEGPKeyframeSuite && version == 3) return &kKeyframe;
  return nullptr;
}

}  // namespace

SPErr FakeHostCallbacks::Acquire(const char* name, A_long version, const void** suite) {
  *suite = nullptr;
  if (gHost->missingSuites.count(name)) return A_Err_MISSING_SUITE;
  const void* table = SuiteTable(name, version);
  if (!table) return A_Err_MISSING_SUITE;
  ++gHost->suiteBalance_[std::string(name) + "/" + std::to_string(version)];
  *suite = table;
  return A_Err_NONE;
}

FakeHost::FakeHost() : params_(95), paramPtrs_(95) {
  gHost = this;
  for (size_t i = 0; i < params_.size(); ++i) paramPtrs_[i] = &params_[i];
  basic_.AcquireSuite = FakeHostCallbacks::Acquire;
  basic_.ReleaseSuite = FakeHostCallbacks::Release;
  utils_.ansi = kAnsi;
  utils_.host_new_handle = FakeHostCallbacks::New;
  utils_.host_lock_handle = FakeHostCallbacks::Lock;
  utils_.host_unlock_handle = FakeHostCallbacks::Unlock;
  utils_.host_dispose_handle = FakeHostCallbacks::Dispose;
  utils_.host_get_handle_size = FakeHostCallbacks::Size;
  in.utils = &utils_;
  in.pica_basicP = &basic_;
  in.inter.checkout_param = FakeHostCallbacks::Checkout;
  in.inter.checkin_param = FakeHostCallbacks::Checkin;
  in.inter.add_param = FakeHostCallbacks::AddParam;
  in.inter.register_ui = FakeHostCallbacks::RegisterUi;
  in.width = 1920;
  in.height = 1080;
  in.downsample_x = {1, 1};
  in.downsample_y = {1, 1};
  in.time_scale = 30;
  in.time_step = 1;
}

FakeHost::~FakeHost() {
  for (auto& [h, b] : blocks_) {
    delete b;
    delete h;
  }
  gHost = nullptr;
}

PF_Handle FakeHost::NewHandle(const std::vector<uint8_t>& bytes) {
  auto* block = new Block{bytes, 0};
  // The master pointer points at the block's bytes (a distinct address even when empty).
  auto* master = new void*(block->bytes.empty() ? static_cast<void*>(block) : block->bytes.data());
  blocks_[master] = block;
  return master;
}

std::vector<uint8_t> FakeHost::Bytes(PF_Handle h) const {
  auto it = blocks_.find(h);
  return it == blocks_.end() ? std::vector<uint8_t>{} : it->second->bytes;
}

bool FakeHost::IsLive(PF_Handle h) const {
  return blocks_.count(h) != 0;
}
size_t FakeHost::LiveHandleCount() const {
  return blocks_.size();
}

bool FakeHost::AnyLocked() const {
  for (const auto& entry : blocks_) {
    if (entry.second->locks != 0) return true;
  }
  return false;
}

int FakeHost::OutstandingSuites() const {
  int total = 0;
  for (const auto& entry : suiteBalance_) total += entry.second;
  return total;
}

}  // namespace Orvane::Mosaira::testing
