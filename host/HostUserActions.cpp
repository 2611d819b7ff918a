// The user's side of a session: parameter changes, layer size, fault reset and leak report.
#include "host/SimulatedHost.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

namespace Orvane::Mosaira {

std::pair<A_long, A_long> SimulatedHost::LayerSize(InstanceId id) const {
  const HostInstance& inst = Instance(id);
  std::lock_guard<std::mutex> lock(runMutex_);
  return {inst.width, inst.height};
}

bool SimulatedHost::SetLayerSize(InstanceId id, A_long width, A_long height) {
  HostInstance* inst = Find(id);
  if (inst == nullptr || width < 0 || height < 0 || width > kMaxLayerSide || height > kMaxLayerSide) {
    return false;
  }
  // Renders on other threads read the size under the run lock as they build their commands.
  std::lock_guard<std::mutex> lock(runMutex_);
  inst->width = width;
  inst->height = height;
  return true;
}

void SimulatedHost::ClearFaults() {
  suites_.SetAllMissing(false);
  for (const auto& key : suites_.Suites()) suites_.SetMissing(key.first, key.second, false);
  suites_.FailAcquire(-1);
  handles_.FailAllNew(false);
  handles_.FailNew(-1);
  handles_.FailLock(-1);
  faults_.Clear();
}

std::vector<std::string> SimulatedHost::LeakReport() const {
  std::vector<std::string> lines;
  for (const auto& l : handles_.LiveHandles()) {
    lines.push_back("handle #" + std::to_string(l.serial) + ": " + std::to_string(l.sizeBytes) +
                    " bytes, " + std::to_string(l.lockCount) + " lock(s)");
  }
  return lines;
}

std::vector<uint8_t> SimulatedHost::SequenceBytes(InstanceId id) const {
  return handles_.Bytes(SequenceDataOf(Instance(id)));
}

ParamStream& SimulatedHost::Stream(InstanceId id, PF_ParamIndex index) {
  HostInstance* inst = Find(id);
  if (inst == nullptr) throw std::out_of_range("no instance " + std::to_string(id));
  return inst->streams.at(size_t(index));
}

PF_Err SimulatedHost::UserChanged(HostInstance* inst, PF_ParamIndex index) {
  PF_UserChangedParamExtra e{index};
  const PF_Err err = Run(PF_Cmd_USER_CHANGED_PARAM, inst, &e, nullptr, 0);
  if (sendUpdateParamsUi_ && (globalOutFlags_ & PF_OutFlag_SEND_UPDATE_PARAMS_UI) && HasInstance(inst->id)) {
    const PF_OutData change = LastOutData();
    Run(PF_Cmd_UPDATE_PARAMS_UI, inst, nullptr, nullptr, 0);
    SetLastOutOfThisThread(change);  // the caller asked for the change; the update is the host's doing
  }
  return err;
}

PF_Err SimulatedHost::SetParam(InstanceId id, PF_ParamIndex index, const PF_ParamDefUnion& value) {
  HostInstance* inst = Find(id);
  if (inst == nullptr || index < 0 || size_t(index) >= inst->streams.size()) {
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  bool supervised = false;
  {
    std::lock_guard<std::mutex> streams(streamsMutex_);
    ParamStream& stream = inst->streams[size_t(index)];
    stream.SetValue(value, context_.time.Seconds());
    supervised = (stream.Definition().flags & PF_ParamFlag_SUPERVISE) != 0;
  }
  if (!supervised) return PF_Err_NONE;
  return UserChanged(inst, index);
}

PF_Err SimulatedHost::SetPopup(InstanceId id, PF_ParamIndex index, A_long choice) {
  PF_ParamDefUnion v{};
  v.pd.value = choice;
  return SetParam(id, index, v);
}

PF_Err SimulatedHost::SetFloat(InstanceId id, PF_ParamIndex index, double value) {
  if (!std::isfinite(value)) return PF_Err_BAD_CALLBACK_PARAM;  // no slider can show it
  PF_ParamDefUnion v{};
  v.fs_d.value = value;
  return SetParam(id, index, v);
}

PF_Err SimulatedHost::SetPointPx(InstanceId id, PF_ParamIndex index, double xPx, double yPx) {
  if (!std::isfinite(xPx) || !std::isfinite(yPx)) return PF_Err_BAD_CALLBACK_PARAM;
  const auto fixed = [](double v) {
    const double f = std::round(v * 65536.0);
    return PF_Fixed(std::clamp(f, double(std::numeric_limits<PF_Fixed>::min()),
                               double(std::numeric_limits<PF_Fixed>::max())));
  };
  PF_ParamDefUnion v{};
  v.td.x_value = fixed(xPx);
  v.td.y_value = fixed(yPx);
  return SetParam(id, index, v);
}

}  // namespace Orvane::Mosaira
