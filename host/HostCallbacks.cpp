#include "host/HostCallbacks.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "host/HostUi.h"
#include "host/HostWorld.h"

namespace Orvane::Mosaira::detail {
namespace {

thread_local SimulatedHost* tHost = nullptr;
thread_local const CommandContext* tContext = nullptr;

// The host cannot know the size of the caller's buffer; it writes at most the size of the
// largest text the effect interface has, the output block's message.
constexpr size_t kAnsiBufferBytes = PF_MAX_EFFECT_MSG_LEN + 1;

A_long AnsiSprintf(A_char* buffer, const A_char* format, ...) {
  if (buffer == nullptr || format == nullptr) return -1;
  va_list args;
  va_start(args, format);
  const int n = std::vsnprintf(buffer, kAnsiBufferBytes, format, args);
  va_end(args);
  return n;
}

A_char* AnsiStrcpy(A_char* dest, const A_char* src) {
  if (dest == nullptr || src == nullptr) return dest;
  return std::strcpy(dest, src);
}

const PF_HandleSuite2 kHandleSuite = {
    HostCallbacks::NewHandle,  HostCallbacks::LockHandle, HostCallbacks::UnlockHandle,
    HostCallbacks::DisposeHandle, HostCallbacks::HandleSize, HostCallbacks::ResizeHandle};
const PF_ANSICallbacksSuite1 kAnsiSuite = {AnsiSprintf, AnsiStrcpy};
const PF_WorldSuite2 kWorldSuite = {HostGetPixelFormat};
const PF_iterateFloatSuite1 kIterateFloatSuite = {HostCallbacks::IterateFloat};
const PF_AppSuite6 kAppSuite = {HostCallbacks::AppGetBgColor};
const PF_ParamUtilsSuite3 kParamUtilsSuite = {HostCallbacks::UpdateParamUi};
const AEGP_UtilitySuite11 kUtilitySuite = {HostCallbacks::RegisterWithAegp};
const AEGP_PFInterfaceSuite1 kPfInterfaceSuite = {HostCallbacks::GetNewEffectForEffect};
const AEGP_EffectSuite2 kEffectSuite = {HostCallbacks::DisposeEffect};
const AEGP_StreamSuite7 kStreamSuite = {HostCallbacks::GetNewEffectStreamByIndex,
                                        HostCallbacks::DisposeStream};
const AEGP_DynamicStreamSuite2 kDynamicStreamSuite = {HostCallbacks::GetDynamicStreamFlags,
                                                      HostCallbacks::SetDynamicStreamFlag};
const AEGP_KeyframeSuite3 kKeyframeSuite = {HostCallbacks::GetStreamNumKFs,
                                            HostCallbacks::DeleteKeyframe};
SPBasicSuite kBasicSuite = {HostCallbacks::AcquireSuite, HostCallbacks::ReleaseSuite};

}  // namespace

CurrentHostScope::CurrentHostScope(SimulatedHost* host, const CommandContext* context)
    : previousHost_(tHost), previousContext_(tContext) {
  tHost = host;
  tContext = context;
}

CurrentHostScope::~CurrentHostScope() {
  tHost = previousHost_;
  tContext = previousContext_;
}

SimulatedHost* HostCallbacks::Current() { return tHost; }
const CommandContext* HostCallbacks::CurrentContext() { return tContext; }

void HostCallbacks::Install(SimulatedHost* host) {
  host->basic_ = kBasicSuite;
  PF_UtilCallbacks& u = host->utils_;
  u.ansi = kAnsiSuite;
  u.get_pixel_data8 = HostGetPixelData8;
  u.get_pixel_data16 = HostGetPixelData16;
  u.host_new_handle = NewHandle;
  u.host_lock_handle = LockHandle;
  u.host_unlock_handle = UnlockHandle;
  u.host_dispose_handle = DisposeHandle;
  u.host_get_handle_size = HandleSize;
  SuiteTable& s = host->suites_;
  s.Add(kPFHandleSuite, kPFHandleSuiteVersion2, &kHandleSuite);
  s.Add(kPFANSISuite, kPFANSISuiteVersion1, &kAnsiSuite);
  s.Add(kPFWorldSuite, kPFWorldSuiteVersion2, &kWorldSuite);
  s.Add(kPFIterateFloatSuite, kPFIterateFloatSuiteVersion1, &kIterateFloatSuite);
  s.Add(kPFAppSuite, kPFAppSuiteVersion6, &kAppSuite);
  s.Add(kPFParamUtilsSuite, kPFParamUtilsSuiteVersion3, &kParamUtilsSuite);
  s.Add(kAEGPUtilitySuite, kAEGPUtilitySuiteVersion11, &kUtilitySuite);
  s.Add(kAEGPPFInterfaceSuite, kAEGPPFInterfaceSuiteVersion1, &kPfInterfaceSuite);
  s.Add(kAEGPEffectSuite, kAEGPEffectSuiteVersion2, &kEffectSuite);
  s.Add(kAEGPStreamSuite, kAEGPStreamSuiteVersion7, &kStreamSuite);
  s.Add(kAEGPDynamicStreamSuite, kAEGPDynamicStreamSuiteVersion2, &kDynamicStreamSuite);
  s.Add(kAEGPKeyframeSuite, kAEGPKeyframeSuiteVersion3, &kKeyframeSuite);
  HostUi::RegisterSuites(&s);
}

PF_InteractCallbacks HostCallbacks::Interact() {
  return {CheckoutParam, CheckinParam, AddParam, RegisterUi};
}

// --- SPBasic ---------------------------------------------------------------------------------

SPErr HostCallbacks::AcquireSuite(const char* name, A_long version, const void** suite) {
  if (suite == nullptr) return A_Err_GENERIC;
  *suite = nullptr;
  SimulatedHost* host = Current();
  if (host == nullptr || name == nullptr) return A_Err_MISSING_SUITE;
  *suite = host->suites_.Acquire(name, version);
  return *suite ? A_Err_NONE : A_Err_MISSING_SUITE;
}

SPErr HostCallbacks::ReleaseSuite(const char* name, A_long version) {
  SimulatedHost* host = Current();
  if (host == nullptr || name == nullptr) return A_Err_GENERIC;
  return host->suites_.Release(name, version) ? A_Err_NONE : A_Err_GENERIC;
}

// --- Pixels --------------------------------------------------------------------------------

PF_Err HostCallbacks::IterateFloat(PF_InData* in_data, A_long progress_base, A_long progress_final,
                                   PF_EffectWorld* src, const PF_Rect* area, void* refcon,
                                   PF_IteratePixelFloatFunc pix_fn, PF_EffectWorld* dst) {
  SimulatedHost* host = Current();
  if (host != nullptr && host->faults_.ShouldFail("iterate")) return PF_Err_OUT_OF_MEMORY;
  return HostIterateFloat(in_data, progress_base, progress_final, src, area, refcon, pix_fn, dst);
}

// --- Handles ---------------------------------------------------------------------------------

PF_Handle HostCallbacks::NewHandle(A_u_longlong size) {
  SimulatedHost* host = Current();
  return host ? host->handles_.New(size) : nullptr;
}

void* HostCallbacks::LockHandle(PF_Handle h) {
  SimulatedHost* host = Current();
  return host ? host->handles_.Lock(h) : nullptr;
}

void HostCallbacks::UnlockHandle(PF_Handle h) {
  if (SimulatedHost* host = Current()) host->handles_.Unlock(h);
}

void HostCallbacks::DisposeHandle(PF_Handle h) {
  if (SimulatedHost* host = Current()) host->handles_.Dispose(h);
}

A_u_longlong HostCallbacks::HandleSize(PF_Handle h) {
  SimulatedHost* host = Current();
  const int64_t size = host ? host->handles_.Size(h) : -1;
  return size < 0 ? 0 : A_u_longlong(size);
}

PF_Err HostCallbacks::ResizeHandle(A_u_longlong size, PF_Handle* h) {
  SimulatedHost* host = Current();
  if (host == nullptr || h == nullptr || host->handles_.LockCount(*h) != 0) {
    return PF_Err_BAD_CALLBACK_PARAM;  // unknown, disposed or locked: the block must not move
  }
  PF_Handle bigger = host->handles_.New(size);
  if (bigger == nullptr) return PF_Err_OUT_OF_MEMORY;
  const std::vector<uint8_t> old = host->handles_.Bytes(*h);
  std::memcpy(*bigger, old.data(), std::min<size_t>(old.size(), size));
  host->handles_.Dispose(*h);
  *h = bigger;
  return PF_Err_NONE;
}

// --- Parameters --------------------------------------------------------------------------------

PF_Err HostCallbacks::CheckoutParam(PF_ProgPtr ref, PF_ParamIndex index, A_long time, A_long,
                                    A_u_long scale, PF_ParamDef* param) {
  SimulatedHost* host = Current();
  HostInstance* inst = host ? host->FindByRef(ref) : nullptr;
  if (inst == nullptr || param == nullptr) return PF_Err_BAD_CALLBACK_PARAM;
  if (index < 0 || size_t(index) >= inst->streams.size()) return PF_Err_INVALID_INDEX;
  if (host->faults_.ShouldFail("checkout_param")) return PF_Err_OUT_OF_MEMORY;
  const double seconds = HostTime{time, scale}.Seconds();
  {
    std::lock_guard<std::mutex> streams(host->streamsMutex_);
    *param = inst->streams[size_t(index)].ForCommand(seconds);
  }
  if (const CommandContext* c = CurrentContext()) {
    ParamStream::ScalePoint(param, c->downsampleX, c->downsampleY);
  }
  std::lock_guard<std::mutex> lock(host->mutex_);
  ++inst->checkouts;
  inst->peakCheckouts = std::max(inst->peakCheckouts, inst->checkouts);
  return PF_Err_NONE;
}

PF_Err HostCallbacks::CheckinParam(PF_ProgPtr ref, PF_ParamDef* param) {
  SimulatedHost* host = Current();
  HostInstance* inst = host ? host->FindByRef(ref) : nullptr;
  if (inst == nullptr || param == nullptr) return PF_Err_BAD_CALLBACK_PARAM;
  std::lock_guard<std::mutex> lock(host->mutex_);
  if (inst->checkouts == 0) {
    host->pendingMisuse_.push_back("check-in of a parameter that was not checked out");
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  --inst->checkouts;
  return PF_Err_NONE;
}

PF_Err HostCallbacks::AddParam(PF_ProgPtr, PF_ParamIndex index, PF_ParamDefPtr def) {
  SimulatedHost* host = Current();
  if (host == nullptr || def == nullptr || !host->inParamsSetup_) return PF_Err_BAD_CALLBACK_PARAM;
  if (index != -1 && index != PF_ParamIndex(host->definitions_.size())) return PF_Err_INVALID_INDEX;
  if (host->faults_.ShouldFail("add_param")) return PF_Err_OUT_OF_MEMORY;
  PF_ParamDef copy = *def;
  if (std::memchr(copy.name, 0, sizeof copy.name) == nullptr) {
    std::lock_guard<std::mutex> lock(host->mutex_);
    host->pendingMisuse_.push_back("parameter name without terminator");
    copy.name[sizeof copy.name - 1] = '\0';
  }
  host->definitions_.push_back(copy);
  return PF_Err_NONE;
}

PF_Err HostCallbacks::RegisterUi(PF_ProgPtr, PF_CustomUIInfo* info) {
  SimulatedHost* host = Current();
  if (host == nullptr || info == nullptr) return PF_Err_BAD_CALLBACK_PARAM;
  if (host->faults_.ShouldFail("register_ui")) return PF_Err_OUT_OF_MEMORY;
  host->customUi_ = *info;
  host->customUiRegistered_ = true;
  return PF_Err_NONE;
}

PF_Err HostCallbacks::UpdateParamUi(PF_ProgPtr ref, PF_ParamIndex index, const PF_ParamDef* param) {
  SimulatedHost* host = Current();
  HostInstance* inst = host ? host->FindByRef(ref) : nullptr;
  if (inst == nullptr || param == nullptr) return PF_Err_BAD_CALLBACK_PARAM;
  if (index < 0 || size_t(index) >= inst->streams.size()) return PF_Err_INVALID_INDEX;
  if (host->faults_.ShouldFail("PF_UpdateParamUI")) return PF_Err_BAD_CALLBACK_PARAM;
  std::lock_guard<std::mutex> streams(host->streamsMutex_);
  inst->streams[size_t(index)].UpdateUi(*param);
  return PF_Err_NONE;
}

PF_Err HostCallbacks::AppGetBgColor(PF_App_Color* color) {
  SimulatedHost* host = Current();
  if (color == nullptr || host == nullptr) return PF_Err_BAD_CALLBACK_PARAM;
  if (host->faults_.ShouldFail("PF_AppGetBgColor")) return PF_Err_BAD_CALLBACK_PARAM;
  *color = host->ui_->Background();
  return PF_Err_NONE;
}

// --- AEGP --------------------------------------------------------------------------------------

A_Err HostCallbacks::RegisterWithAegp(AEGP_GlobalRefcon, const A_char* name, AEGP_PluginID* id) {
  SimulatedHost* host = Current();
  if (host == nullptr || name == nullptr || id == nullptr) return A_Err_GENERIC;
  if (host->faults_.ShouldFail("AEGP_RegisterWithAEGP")) return A_Err_GENERIC;
  host->aegpName_ = name;
  host->aegpPluginId_ = 42;  // any non-zero id; the effect only hands it back
  *id = host->aegpPluginId_;
  return A_Err_NONE;
}

A_Err HostCallbacks::GetNewEffectForEffect(AEGP_PluginID, PF_ProgPtr ref, AEGP_EffectRefH* effect) {
  SimulatedHost* host = Current();
  if (effect != nullptr) *effect = nullptr;
  HostInstance* inst = host ? host->FindByRef(ref) : nullptr;
  if (inst == nullptr || effect == nullptr || inst == &host->globalRef_) return A_Err_GENERIC;
  if (host->faults_.ShouldFail("AEGP_GetNewEffectForEffect")) return A_Err_GENERIC;
  std::lock_guard<std::mutex> lock(host->mutex_);
  void* token = reinterpret_cast<void*>(host->nextAegpToken_++ * 16);
  host->aegpEffects_[token] = inst->id;
  *effect = static_cast<AEGP_EffectRefH>(token);
  return A_Err_NONE;
}

A_Err HostCallbacks::DisposeEffect(AEGP_EffectRefH effect) {
  SimulatedHost* host = Current();
  if (host == nullptr) return A_Err_GENERIC;
  std::lock_guard<std::mutex> lock(host->mutex_);
  if (host->aegpEffects_.erase(effect) == 0) {
    host->pendingMisuse_.push_back("dispose of unknown AEGP effect handle");
    return A_Err_GENERIC;
  }
  return A_Err_NONE;
}

A_Err HostCallbacks::GetNewEffectStreamByIndex(AEGP_PluginID, AEGP_EffectRefH effect,
                                               PF_ParamIndex index, AEGP_StreamRefH* stream) {
  SimulatedHost* host = Current();
  if (stream != nullptr) *stream = nullptr;
  if (host == nullptr || stream == nullptr) return A_Err_GENERIC;
  if (host->faults_.ShouldFail("AEGP_GetNewEffectStreamByIndex")) return A_Err_GENERIC;
  std::lock_guard<std::mutex> lock(host->mutex_);
  auto it = host->aegpEffects_.find(effect);
  HostInstance* inst = it == host->aegpEffects_.end() ? nullptr : host->Find(it->second);
  if (inst == nullptr || index < 0 || size_t(index) >= inst->streams.size()) return A_Err_GENERIC;
  void* token = reinterpret_cast<void*>(host->nextAegpToken_++ * 16);
  host->aegpStreams_[token] = {inst->id, index};
  *stream = static_cast<AEGP_StreamRefH>(token);
  return A_Err_NONE;
}

A_Err HostCallbacks::DisposeStream(AEGP_StreamRefH stream) {
  SimulatedHost* host = Current();
  if (host == nullptr) return A_Err_GENERIC;
  std::lock_guard<std::mutex> lock(host->mutex_);
  if (host->aegpStreams_.erase(stream) == 0) {
    host->pendingMisuse_.push_back("dispose of unknown AEGP stream handle");
    return A_Err_GENERIC;
  }
  return A_Err_NONE;
}

ParamStream* HostCallbacks::StreamOf(SimulatedHost* host, AEGP_StreamRefH stream) {
  std::lock_guard<std::mutex> lock(host->mutex_);
  auto it = host->aegpStreams_.find(stream);
  if (it == host->aegpStreams_.end()) return nullptr;
  HostInstance* inst = host->Find(it->second.instance);
  return inst ? &inst->streams[size_t(it->second.index)] : nullptr;
}

A_Err HostCallbacks::GetDynamicStreamFlags(AEGP_StreamRefH stream, AEGP_DynStreamFlags* flags) {
  SimulatedHost* host = Current();
  ParamStream* s = host ? StreamOf(host, stream) : nullptr;
  if (s == nullptr || flags == nullptr) return A_Err_GENERIC;
  if (host->faults_.ShouldFail("AEGP_GetDynamicStreamFlags")) return A_Err_GENERIC;
  std::lock_guard<std::mutex> streams(host->streamsMutex_);
  *flags = s->DynamicFlags();
  return A_Err_NONE;
}

A_Err HostCallbacks::SetDynamicStreamFlag(AEGP_StreamRefH stream, AEGP_DynStreamFlags flag,
                                          A_Boolean, A_Boolean set) {
  SimulatedHost* host = Current();
  ParamStream* s = host ? StreamOf(host, stream) : nullptr;
  const AEGP_DynStreamFlags known = AEGP_DynStreamFlag_ACTIVE_EYEBALL | AEGP_DynStreamFlag_HIDDEN |
                                    AEGP_DynStreamFlag_DISABLED;
  // Exactly one known flag at a time.
  if (s == nullptr || flag == 0 || (flag & ~known) != 0 || (flag & (flag - 1)) != 0) {
    return A_Err_GENERIC;
  }
  if (host->faults_.ShouldFail("AEGP_SetDynamicStreamFlag")) return A_Err_GENERIC;
  std::lock_guard<std::mutex> streams(host->streamsMutex_);
  s->SetDynamicFlag(flag, set != 0);
  return A_Err_NONE;
}

A_Err HostCallbacks::GetStreamNumKFs(AEGP_StreamRefH stream, A_long* count) {
  SimulatedHost* host = Current();
  ParamStream* s = host ? StreamOf(host, stream) : nullptr;
  if (s == nullptr || count == nullptr) return A_Err_GENERIC;
  if (host->faults_.ShouldFail("AEGP_GetStreamNumKFs")) return A_Err_GENERIC;
  std::lock_guard<std::mutex> streams(host->streamsMutex_);
  *count = A_long(s->Keyframes().size());
  return A_Err_NONE;
}

A_Err HostCallbacks::DeleteKeyframe(AEGP_StreamRefH stream, AEGP_KeyframeIndex index) {
  SimulatedHost* host = Current();
  ParamStream* s = host ? StreamOf(host, stream) : nullptr;
  if (s == nullptr || index < 0) return A_Err_GENERIC;
  if (host->faults_.ShouldFail("AEGP_DeleteKeyframe")) return A_Err_GENERIC;
  std::lock_guard<std::mutex> streams(host->streamsMutex_);
  return s->DeleteKeyframe(size_t(index)) ? A_Err_NONE : A_Err_GENERIC;
}

}  // namespace Orvane::Mosaira::detail
