#include "host/SimulatedHost.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <optional>
#include <stdexcept>
#include <utility>

#include "host/HostCallbacks.h"
#include "host/HostUi.h"

namespace Orvane::Mosaira {
namespace {

using detail::CurrentHostScope;
using detail::HostCallbacks;

constexpr A_long kApplicationId = 0x46585443;  // 'FXTC'

std::string CommandText(PF_Cmd cmd) { return "command " + std::to_string(cmd) + ": "; }

bool IsRender(PF_Cmd cmd) {
  return cmd == PF_Cmd_FRAME_SETUP || cmd == PF_Cmd_RENDER || cmd == PF_Cmd_FRAME_SETDOWN ||
         cmd == PF_Cmd_SMART_PRE_RENDER || cmd == PF_Cmd_SMART_RENDER;
}

// Commands that change an instance's sequence data, which its renders read.
bool IsBetweenRenders(PF_Cmd cmd) { return cmd == PF_Cmd_SEQUENCE_FLATTEN || cmd == PF_Cmd_SEQUENCE_RESETUP; }

PF_ParamDef InputLayerDefinition() {
  PF_ParamDef def{};
  def.param_type = PF_Param_LAYER;
  def.uu.id = 0;
  std::snprintf(def.name, sizeof def.name, "%s", "Input");
  return def;
}

}  // namespace

SimulatedHost::SimulatedHost() : ui_(std::make_unique<HostUi>(this)) {
  HostCallbacks::Install(this);
  globalRef_.id = 0;
}

SimulatedHost::~SimulatedHost() { Shutdown(); }

bool SimulatedHost::LoadPlugin(const std::string& path, std::string* error) {
  PiplResult pipl = ReadPluginPipl(path);
  if (pipl.error != PiplError::kNone) {
    if (error) *error = std::string("plug-in property resource: ") + PiplErrorText(pipl.error);
    return false;
  }
  PluginLibrary library;
  if (!library.Open(path, error)) return false;
  auto entry = reinterpret_cast<PF_EntryPointFunc>(library.Symbol(pipl.info.entryPoint));
  if (entry == nullptr) {
    if (error) *error = "entry point " + pipl.info.entryPoint + " not exported";
    return false;
  }
  library_ = std::move(library);
  pipl_ = std::move(pipl.info);
  hasPipl_ = true;
  entry_ = entry;
  return true;
}

void SimulatedHost::UseEntryPoint(PF_EntryPointFunc entry) { entry_ = entry; }

// --- Running one command -----------------------------------------------------------------------

PF_InData SimulatedHost::MakeInData(HostInstance* inst) {
  PF_InData in{};
  in.inter = HostCallbacks::Interact();
  in.utils = &utils_;
  in.effect_ref = inst;
  in.version = {13, 15};
  in.appl_id = kApplicationId;
  in.num_params = A_long(definitions_.size());
  in.current_time = context_.time.value;
  in.time_step = context_.timeStep;
  in.local_time_step = context_.timeStep;
  in.time_scale = context_.time.scale;
  in.total_time = A_long(std::min<uint64_t>(uint64_t(context_.time.scale) * 10, INT32_MAX));
  in.width = inst->width;
  in.height = inst->height;
  in.extent_hint = {0, 0, inst->width, inst->height};
  in.downsample_x = context_.downsampleX;
  in.downsample_y = context_.downsampleY;
  in.pixel_aspect_ratio = {1, 1};
  in.global_data = globalData_;
  in.sequence_data = inst->sequenceData;
  in.pica_basicP = &basic_;
  return in;
}

SimulatedHost::RenderGap::RenderGap(SimulatedHost* host, HostInstance* inst) : host_(host), inst_(inst) {
  std::unique_lock<std::mutex> lock(host_->runMutex_);
  const std::thread::id self = std::this_thread::get_id();
  if (inst_->holder != self) {
    ++inst_->waitingHolds;
    host_->renderGapChanged_.wait(lock, [&] { return inst_->renders == 0 && inst_->holder == std::thread::id(); });
    --inst_->waitingHolds;
    inst_->holder = self;
  }
  ++inst_->holds;
}

SimulatedHost::RenderGap::~RenderGap() {
  std::lock_guard<std::mutex> lock(host_->runMutex_);
  if (--inst_->holds == 0) inst_->holder = std::thread::id();
  host_->renderGapChanged_.notify_all();
}

PF_Handle SimulatedHost::SequenceDataOf(const HostInstance& inst) const {
  std::lock_guard<std::mutex> lock(runMutex_);
  return inst.sequenceData;
}

void SimulatedHost::Prepare(PF_Cmd cmd, HostInstance* inst, PF_InData* in, PF_OutData* out,
                            std::vector<PF_ParamDef>* params) {
  std::unique_lock<std::mutex> lock(runMutex_);
  if (IsRender(cmd) && inst != &globalRef_) {
    // Held instances render on the holding thread only; waiting holds go first.
    const std::thread::id self = std::this_thread::get_id();
    renderGapChanged_.wait(lock, [&] {
      return inst->holder == self || (inst->holder == std::thread::id() && inst->waitingHolds == 0);
    });
    ++inst->renders;
  }
  *in = MakeInData(inst);
  out->global_data = globalData_;
  out->sequence_data = in->sequence_data;
  out->num_params = in->num_params;
  out->width = in->width;
  out->height = in->height;
  const double seconds = context_.time.Seconds();
  std::lock_guard<std::mutex> streams(streamsMutex_);
  for (const ParamStream& s : inst->streams) params->push_back(s.ForCommand(seconds));
  ++activeCommands_;
}

SimulatedHost::LastCommand SimulatedHost::LastOfThisThread() const {
  std::lock_guard<std::mutex> lock(runMutex_);
  auto it = last_.find(std::this_thread::get_id());
  return it == last_.end() ? LastCommand{} : it->second;
}

void SimulatedHost::SetLastOutOfThisThread(const PF_OutData& out) {
  std::lock_guard<std::mutex> lock(runMutex_);
  last_[std::this_thread::get_id()].out = out;
}

std::vector<PF_ParamIndex> SimulatedHost::Finish(const Call& call, const PF_OutData& out,
                                                 const std::vector<PF_ParamDef>& params, PF_Err err,
                                                 bool escaped) {
  std::lock_guard<std::mutex> lock(runMutex_);
  --activeCommands_;
  if (IsRender(call.cmd) && call.inst != &globalRef_) {
    --call.inst->renders;
    renderGapChanged_.notify_all();
  }
  if (call.depth == 0) {
    LastCommand& last = last_[std::this_thread::get_id()];
    last.out = out;  // follow-ups are the host's doing, not the caller's command
    last.changed.clear();
    for (size_t p = 0; p < params.size(); ++p) {
      if (params[p].uu.change_flags & PF_ChangeFlag_CHANGED_VALUE) last.changed.push_back(PF_ParamIndex(p));
    }
  }
  if (call.outCopy) *call.outCopy = out;
  TakeOutData(call.cmd, call.inst, out, err);
  std::vector<PF_ParamIndex> followUps = StoreChangedParams(call.inst, params);
  CheckCommand(call.cmd, call.inst, err, escaped);
  // While other commands still run (renders on several threads), what they hold is theirs: the
  // shared books are checked when the last one ends.
  if (activeCommands_ == 0) CheckInvariants(call.cmd, call.inst);
  const PF_ParamIndex changed = (call.cmd == PF_Cmd_USER_CHANGED_PARAM && call.extra)
                                    ? static_cast<PF_UserChangedParamExtra*>(call.extra)->param_index
                                    : -1;
  log_.push_back({call.cmd, call.inst->id, err, changed, out.out_flags});
  return followUps;
}

PF_Err SimulatedHost::Run(PF_Cmd cmd, HostInstance* inst, void* extra, PF_LayerDef* output,
                          int depth, PF_OutData* outCopy) {
  if (entry_ == nullptr) {
    Violation(CommandText(cmd) + "no plug-in loaded");
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  std::optional<RenderGap> gap;
  if (IsBetweenRenders(cmd) && inst != &globalRef_) gap.emplace(this, inst);
  PF_InData in{};
  PF_OutData out{};
  std::vector<PF_ParamDef> params;
  Prepare(cmd, inst, &in, &out, &params);
  std::vector<PF_ParamDef*> pointers;
  for (PF_ParamDef& p : params) pointers.push_back(&p);

  PF_Err err = PF_Err_NONE;
  bool escaped = false;
  {
    CurrentHostScope scope(this, &context_);
    if (hook_) hook_->BeforeCommand(cmd);
    try {
      err = entry_(cmd, &in, &out, pointers.empty() ? nullptr : pointers.data(), output, extra);
    } catch (...) {
      escaped = true;
      err = PF_Err_INTERNAL_STRUCT_DAMAGED;
    }
    if (hook_) hook_->AfterCommand(cmd);
  }
  const std::vector<PF_ParamIndex> followUps =
      Finish({cmd, inst, extra, depth, outCopy}, out, params, err, escaped);
  ShowMessage(cmd, inst, out);
  if (!followUps.empty() && depth >= kMaxFollowUpDepth) {
    Violation(CommandText(cmd) + "parameter changes still cascading; follow-ups stopped");
    return err;
  }
  for (PF_ParamIndex index : followUps) {
    if (!HasInstance(inst->id)) break;
    PF_UserChangedParamExtra e{index};
    Run(PF_Cmd_USER_CHANGED_PARAM, inst, &e, nullptr, depth + 1);
  }
  return err;
}

void SimulatedHost::ShowMessage(PF_Cmd cmd, const HostInstance* inst, const PF_OutData& out) {
  const std::string text(out.return_msg, strnlen(out.return_msg, sizeof out.return_msg));
  const bool error = (out.out_flags & PF_OutFlag_DISPLAY_ERROR_MESSAGE) != 0;
  if (text.empty() && !error) return;
  std::lock_guard<std::mutex> lock(messagesMutex_);
  messages_.push_back({cmd, inst == &globalRef_ ? kNoInstance : inst->id, text, error});
}

std::vector<PluginMessage> SimulatedHost::TakeMessages() {
  std::lock_guard<std::mutex> lock(messagesMutex_);
  return std::exchange(messages_, {});
}

void SimulatedHost::TakeOutData(PF_Cmd cmd, HostInstance* inst, const PF_OutData& out, PF_Err err) {
  globalData_ = out.global_data;
  const bool global = inst == &globalRef_;
  switch (cmd) {
    case PF_Cmd_GLOBAL_SETUP:
      if (err != PF_Err_NONE) break;
      globallySetUp_ = true;
      globalOutFlags_ = out.out_flags;
      globalOutFlags2_ = out.out_flags2;
      effectVersion_ = out.my_version;
      if (hasPipl_ && (uint32_t(out.out_flags) != pipl_.outFlags ||
                       uint32_t(out.out_flags2) != pipl_.outFlags2 ||
                       out.my_version != pipl_.effectVersion)) {
        Violation(CommandText(cmd) + "version or flags differ from the property resource");
      }
      break;
    case PF_Cmd_GLOBAL_SETDOWN:
      globallySetUp_ = false;
      if (globalData_ != nullptr && handles_.IsLive(globalData_)) {
        Violation(CommandText(cmd) + "global data still held after set-down");
      }
      globalData_ = nullptr;
      break;
    case PF_Cmd_SEQUENCE_SETDOWN:
    case PF_Cmd_GET_FLATTENED_SEQUENCE_DATA:
      break;  // the instance's own handle stays as it was (set-down forgets it afterwards)
    default:
      if (!global) inst->sequenceData = out.sequence_data;
      break;
  }
}

bool SimulatedHost::AcceptValue(const PF_ParamDef& def, const PF_ParamDefUnion& value, std::string* why) {
  if (def.param_type == PF_Param_FLOAT_SLIDER && !std::isfinite(value.fs_d.value)) {
    *why = "non-finite slider value";
    return false;
  }
  if (def.param_type == PF_Param_POPUP && (value.pd.value < 1 || value.pd.value > def.u.pd.num_choices)) {
    *why = "pop-up choice " + std::to_string(value.pd.value) + " out of range 1.." +
           std::to_string(def.u.pd.num_choices);
    return false;
  }
  return true;
}

std::vector<PF_ParamIndex> SimulatedHost::StoreChangedParams(HostInstance* inst,
                                                             const std::vector<PF_ParamDef>& params) {
  std::vector<PF_ParamIndex> followUps;
  const double seconds = context_.time.Seconds();
  std::lock_guard<std::mutex> streams(streamsMutex_);
  for (size_t p = 0; p < params.size() && p < inst->streams.size(); ++p) {
    if ((params[p].uu.change_flags & PF_ChangeFlag_CHANGED_VALUE) == 0) continue;
    ParamStream& stream = inst->streams[p];
    std::string why;
    if (!AcceptValue(stream.Definition(), params[p].u, &why)) {
      Violation("parameter " + std::to_string(p) + ": " + why + " not stored");
      continue;
    }
    const bool changed = stream.Differs(stream.ValueAt(seconds), params[p].u);
    stream.SetValue(params[p].u, seconds);
    if (changed && (stream.Definition().flags & PF_ParamFlag_SUPERVISE)) {
      followUps.push_back(PF_ParamIndex(p));
    }
  }
  return followUps;
}

void SimulatedHost::Violation(const std::string& text) {
  std::lock_guard<std::mutex> lock(violationsMutex_);
  violations_.push_back(text);
}

void SimulatedHost::CheckCommand(PF_Cmd cmd, HostInstance* inst, PF_Err err, bool escaped) {
  const std::string prefix = CommandText(cmd);
  const bool instanceCommand = inst != &globalRef_ && cmd != PF_Cmd_SEQUENCE_SETDOWN;
  if (instanceCommand && err == PF_Err_NONE &&
      (inst->sequenceData == nullptr || !handles_.IsLive(inst->sequenceData))) {
    Violation(prefix + "instance " + std::to_string(inst->id) + " left without sequence data");
  }
  if (escaped) Violation(prefix + "an exception escaped the entry point");
}

void SimulatedHost::CheckInvariants(PF_Cmd cmd, HostInstance* inst) {
  const std::string prefix = CommandText(cmd);
  for (const auto& b : suites_.Unbalanced()) {
    Violation(prefix + "suite \"" + b.suite.first + "\" " + std::to_string(b.suite.second) +
              " left acquired " + std::to_string(b.outstanding) + " time(s)");
  }
  suites_.Rebalance();
  for (const auto& l : handles_.LockedHandles()) {
    if (std::find(reportedLocked_.begin(), reportedLocked_.end(), l.handle) != reportedLocked_.end()) {
      continue;
    }
    reportedLocked_.push_back(l.handle);
    Violation(prefix + "handle of " + std::to_string(l.sizeBytes) + " bytes left locked");
  }
  std::lock_guard<std::mutex> lock(mutex_);
  if (!aegpEffects_.empty() || !aegpStreams_.empty()) {
    Violation(prefix + std::to_string(aegpEffects_.size() + aegpStreams_.size()) +
              " AEGP handle(s) not disposed");
    aegpEffects_.clear();
    aegpStreams_.clear();
  }
  for (HostInstance* i : {inst, &globalRef_}) {
    if (i->checkouts != 0) {
      Violation(prefix + std::to_string(i->checkouts) + " parameter check-out(s) not checked in");
      i->checkouts = 0;
    }
    i->lastPeakCheckouts = std::exchange(i->peakCheckouts, 0);
  }
  {
    std::lock_guard<std::mutex> instances(instancesMutex_);
    for (auto& entry : instances_) {
      HostInstance* other = entry.second.get();
      if (other != inst && other->checkouts != 0) {
        Violation(prefix + std::to_string(other->checkouts) + " parameter check-out(s) not checked in");
        other->checkouts = 0;
      }
    }
  }
  for (const auto& m : handles_.TakeMisuse()) Violation(prefix + m);
  for (const auto& m : suites_.TakeMisuse()) Violation(prefix + m);
  for (const auto& m : ui_->TakeMisuse()) Violation(prefix + m);
  for (const auto& m : pendingMisuse_) Violation(prefix + m);
  pendingMisuse_.clear();
}

// --- Global commands ---------------------------------------------------------------------------

PF_Err SimulatedHost::About(std::string* message) {
  const PF_Err err = Run(PF_Cmd_ABOUT, &globalRef_, nullptr, nullptr, 0);
  if (message) {
    const PF_OutData out = LastOutData();
    *message = std::string(out.return_msg, strnlen(out.return_msg, sizeof out.return_msg));
  }
  return err;
}

PF_Err SimulatedHost::GlobalSetup() { return Run(PF_Cmd_GLOBAL_SETUP, &globalRef_, nullptr, nullptr, 0); }

PF_Err SimulatedHost::GlobalSetdown() {
  paramsSetUp_ = false;
  return Run(PF_Cmd_GLOBAL_SETDOWN, &globalRef_, nullptr, nullptr, 0);
}

PF_Err SimulatedHost::ParamsSetup() {
  definitions_.assign(1, InputLayerDefinition());
  inParamsSetup_ = true;
  const PF_Err err = Run(PF_Cmd_PARAMS_SETUP, &globalRef_, nullptr, nullptr, 0);
  inParamsSetup_ = false;
  if (err != PF_Err_NONE) {
    definitions_.clear();
    return err;
  }
  const A_long numParams = LastOutData().num_params;
  if (numParams != A_long(definitions_.size())) {
    Violation(CommandText(PF_Cmd_PARAMS_SETUP) + "num_params " + std::to_string(numParams) +
              " but " + std::to_string(definitions_.size()) + " parameters");
  }
  paramsSetUp_ = true;
  return err;
}

PF_Err SimulatedHost::EnsureSetUp() {
  if (!globallySetUp_) {
    const PF_Err err = GlobalSetup();
    if (err != PF_Err_NONE) return err;
  }
  return paramsSetUp_ ? PF_Err_NONE : ParamsSetup();
}

void SimulatedHost::Shutdown() noexcept {
  try {
    while (!instances_.empty()) RemoveInstance(instances_.begin()->first);
    if (globallySetUp_ && entry_ != nullptr) GlobalSetdown();
  } catch (...) {
    // Shutting down runs from the destructor: nothing may leave it.
  }
}

// --- Instances ---------------------------------------------------------------------------------

HostInstance* SimulatedHost::Find(InstanceId id) {
  std::lock_guard<std::mutex> lock(instancesMutex_);
  auto it = instances_.find(id);
  return it == instances_.end() ? nullptr : it->second.get();
}

HostInstance* SimulatedHost::FindByRef(PF_ProgPtr ref) {
  if (ref == &globalRef_) return &globalRef_;
  std::lock_guard<std::mutex> lock(instancesMutex_);
  for (auto& entry : instances_) {
    if (entry.second.get() == ref) return entry.second.get();
  }
  return nullptr;
}

const HostInstance& SimulatedHost::Instance(InstanceId id) const {
  std::lock_guard<std::mutex> lock(instancesMutex_);
  auto it = instances_.find(id);
  if (it == instances_.end()) throw std::out_of_range("no instance " + std::to_string(id));
  return *it->second;
}

bool SimulatedHost::HasInstance(InstanceId id) const {
  std::lock_guard<std::mutex> lock(instancesMutex_);
  return instances_.count(id) != 0;
}

std::vector<InstanceId> SimulatedHost::Instances() const {
  std::lock_guard<std::mutex> lock(instancesMutex_);
  std::vector<InstanceId> ids;
  for (const auto& entry : instances_) ids.push_back(entry.first);
  return ids;
}

HostInstance* SimulatedHost::NewInstance(A_long width, A_long height) {
  auto inst = std::make_unique<HostInstance>();
  inst->id = nextId_++;
  inst->width = width;
  inst->height = height;
  for (const PF_ParamDef& def : definitions_) inst->streams.emplace_back(def);
  HostInstance* raw = inst.get();
  std::lock_guard<std::mutex> lock(instancesMutex_);
  instances_[raw->id] = std::move(inst);
  return raw;
}

InstanceId SimulatedHost::AddInstance(A_long width, A_long height, PF_Err* err) {
  PF_Err result = PF_Err_BAD_CALLBACK_PARAM;
  if (width > 0 && height > 0 && width <= kMaxLayerSide && height <= kMaxLayerSide) {
    result = EnsureSetUp();
  }
  HostInstance* inst = nullptr;
  if (result == PF_Err_NONE) {
    inst = NewInstance(width, height);
    result = Run(PF_Cmd_SEQUENCE_SETUP, inst, nullptr, nullptr, 0);
  }
  if (err) *err = result;
  if (inst == nullptr) return kNoInstance;
  if (result != PF_Err_NONE) {
    // A refused set-up leaves no instance; anything it handed out is the host's to drop.
    if (inst->sequenceData) handles_.Dispose(inst->sequenceData);
    std::lock_guard<std::mutex> lock(instancesMutex_);
    instances_.erase(inst->id);
    return kNoInstance;
  }
  return inst->id;
}

PF_Err SimulatedHost::RemoveInstance(InstanceId id) {
  HostInstance* inst = Find(id);
  if (inst == nullptr) return PF_Err_BAD_CALLBACK_PARAM;
  const PF_Handle data = SequenceDataOf(*inst);
  const PF_Err err = Run(PF_Cmd_SEQUENCE_SETDOWN, inst, nullptr, nullptr, 0);
  if (data != nullptr && handles_.IsLive(data)) {
    Violation(CommandText(PF_Cmd_SEQUENCE_SETDOWN) + "sequence data not disposed of");
  }
  ui_->Forget(id);
  std::lock_guard<std::mutex> lock(instancesMutex_);
  instances_.erase(id);
  return err;
}

InstanceId SimulatedHost::DuplicateInstance(InstanceId id, PF_Err* err) {
  HostInstance* src = Find(id);
  if (src == nullptr) {
    if (err) *err = PF_Err_BAD_CALLBACK_PARAM;
    return kNoInstance;
  }
  PF_OutData out{};
  PF_Err result = Run(PF_Cmd_GET_FLATTENED_SEQUENCE_DATA, src, nullptr, nullptr, 0, &out);
  const PF_Handle copy = out.sequence_data != SequenceDataOf(*src) ? out.sequence_data : nullptr;
  if (result == PF_Err_NONE && copy == nullptr) {
    Violation(CommandText(PF_Cmd_GET_FLATTENED_SEQUENCE_DATA) + "success without a copy");
    result = PF_Err_INTERNAL_STRUCT_DAMAGED;
  }
  if (result != PF_Err_NONE) {
    if (copy != nullptr) handles_.Dispose(copy);
    if (err) *err = result;
    return kNoInstance;
  }
  HostInstance* dup = NewInstance(src->width, src->height);
  {
    std::lock_guard<std::mutex> streams(streamsMutex_);
    dup->streams = src->streams;
  }
  dup->sequenceData = copy;
  result = Run(PF_Cmd_SEQUENCE_RESETUP, dup, nullptr, nullptr, 0);
  if (err) *err = result;
  if (result != PF_Err_NONE) {
    RemoveInstance(dup->id);
    return kNoInstance;
  }
  return dup->id;
}

// --- Commands ----------------------------------------------------------------------------------

PF_Err SimulatedHost::Send(InstanceId id, PF_Cmd cmd, void* extra, PF_LayerDef* output) {
  // Commands of the whole plug-in never carry an instance's data.
  switch (cmd) {
    case PF_Cmd_ABOUT: return About(nullptr);
    case PF_Cmd_GLOBAL_SETUP: return GlobalSetup();
    case PF_Cmd_GLOBAL_SETDOWN: return GlobalSetdown();
    case PF_Cmd_PARAMS_SETUP: return ParamsSetup();
    default: break;
  }
  HostInstance* inst = Find(id);
  if (inst == nullptr) return PF_Err_BAD_CALLBACK_PARAM;
  if (cmd == PF_Cmd_SEQUENCE_SETDOWN) return RemoveInstance(id);
  if (cmd != PF_Cmd_GET_FLATTENED_SEQUENCE_DATA) return Run(cmd, inst, extra, output, 0);
  PF_OutData out{};
  const PF_Err err = Run(cmd, inst, extra, output, 0, &out);
  lastFlattenedCopy_.clear();
  if (out.sequence_data != nullptr && out.sequence_data != SequenceDataOf(*inst)) {
    lastFlattenedCopy_ = handles_.Bytes(out.sequence_data);
    handles_.Dispose(out.sequence_data);
  }
  return err;
}

}  // namespace Orvane::Mosaira
