#include "effect/Dispatch.h"

#include <array>
#include <mutex>

#include "effect/GlobalSetup.h"
#include "effect/EventHandler.h"
#include "effect/ParamSync.h"
#include "effect/ParamsSetup.h"
#include "effect/SmartFxHandlers.h"
#include "effect/SequenceCommands.h"
#include "effect/SequenceData.h"
#include "effect/UserChangedParam.h"

namespace Orvane::Mosaira {
namespace {

struct CommandArgs {
  PF_InData* in;
  PF_OutData* out;
  PF_ParamDef** params;
  void* extra;
  // The instance's live record, found once for the commands that run under its lock (null for
  // the others and for an instance without one).
  UnFlatSequenceData* record;
};

using Handler = PF_Err (*)(const CommandArgs&);

PF_Err About(const CommandArgs& a) {
  HandleAbout(a.in, a.out);
  return PF_Err_NONE;
}
PF_Err GlobalSetupCmd(const CommandArgs& a) {
  return HandleGlobalSetup(a.in, a.out);
}
PF_Err GlobalSetdownCmd(const CommandArgs& a) {
  return GlobalSetdown(a.in, a.out);
}
PF_Err ParamsSetupCmd(const CommandArgs& a) {
  return HandleParamsSetup(a.in, a.out);
}
PF_Err SequenceSetupCmd(const CommandArgs& a) {
  return HandleSequenceSetup(a.in, a.out);
}
PF_Err SequenceResetupCmd(const CommandArgs& a) {
  return SequenceResetup(a.in, a.out);
}
PF_Err SequenceFlattenCmd(const CommandArgs& a) {
  return SequenceFlatten(a.in, a.out);
}
PF_Err SequenceSetdownCmd(const CommandArgs& a) {
  return SequenceSetdown(a.in);
}
PF_Err UserChangedParamCmd(const CommandArgs& a) {
  return HandleUserChangedParam(a.in, a.out, a.params,
                                static_cast<const PF_UserChangedParamExtra*>(a.extra), a.record);
}
PF_Err UpdateParamsUiCmd(const CommandArgs& a) {
  if (a.record) SyncLayoutFromParams(a.in, *a.record, SyncMode::kSyncAll);
  return PF_Err_NONE;
}
PF_Err EventCmd(const CommandArgs& a) {
  return HandleEvent(a.in, a.out, a.params, static_cast<PF_EventExtra*>(a.extra), a.record);
}
PF_Err SmartPreRenderCmd(const CommandArgs& a) {
  return HandleSmartPreRender(a.in, static_cast<PF_PreRenderExtra*>(a.extra), a.record);
}
PF_Err SmartRenderCmd(const CommandArgs& a) {
  return HandleSmartRender(a.in, a.out, static_cast<PF_SmartRenderExtra*>(a.extra), a.record);
}
PF_Err FlattenedCopyCmd(const CommandArgs& a) {
  return GetFlattenedSequenceData(a.in, a.out);
}

// Dense table over the 29 command numbers; empty slots answer 0.
constexpr std::array<Handler, PF_Cmd_NUM_CMDS> MakeTable() {
  std::array<Handler, PF_Cmd_NUM_CMDS> t{};
  t[PF_Cmd_ABOUT] = About;
  t[PF_Cmd_GLOBAL_SETUP] = GlobalSetupCmd;
  t[PF_Cmd_GLOBAL_SETDOWN] = GlobalSetdownCmd;
  t[PF_Cmd_PARAMS_SETUP] = ParamsSetupCmd;
  t[PF_Cmd_SEQUENCE_SETUP] = SequenceSetupCmd;
  t[PF_Cmd_SEQUENCE_RESETUP] = SequenceResetupCmd;
  t[PF_Cmd_SEQUENCE_FLATTEN] = SequenceFlattenCmd;
  t[PF_Cmd_SEQUENCE_SETDOWN] = SequenceSetdownCmd;
  t[PF_Cmd_USER_CHANGED_PARAM] = UserChangedParamCmd;
  t[PF_Cmd_UPDATE_PARAMS_UI] = UpdateParamsUiCmd;
  t[PF_Cmd_EVENT] = EventCmd;
  t[PF_Cmd_SMART_PRE_RENDER] = SmartPreRenderCmd;
  t[PF_Cmd_SMART_RENDER] = SmartRenderCmd;
  t[PF_Cmd_GET_FLATTENED_SEQUENCE_DATA] = FlattenedCopyCmd;
  return t;
}

constexpr std::array<Handler, PF_Cmd_NUM_CMDS> kHandlers = MakeTable();

// Commands that read or change an instance's live record and may overlap: they run whole under
// the record's lock, so each sees a whole layout and none frees a layout another still uses.
// Sequence set-up, re-set-up, flatten and set-down make or destroy the record itself; the host
// sends them only while nothing else runs for the instance.
bool RunsUnderInstanceLock(PF_Cmd cmd) {
  switch (cmd) {
    case PF_Cmd_USER_CHANGED_PARAM:
    case PF_Cmd_UPDATE_PARAMS_UI:
    case PF_Cmd_EVENT:
    case PF_Cmd_SMART_PRE_RENDER:
    case PF_Cmd_SMART_RENDER:
    case PF_Cmd_GET_FLATTENED_SEQUENCE_DATA:
      return true;
    default:
      return false;
  }
}

std::unique_lock<std::recursive_mutex> LockInstance(UnFlatSequenceData* record) {
  if (record == nullptr) return {};
  return std::unique_lock<std::recursive_mutex>(record->mutex());
}

}  // namespace

PF_Err DispatchCommand(PF_Cmd cmd, PF_InData* inData, PF_OutData* outData, PF_ParamDef* params[],
                       PF_LayerDef*, void* extra) noexcept {
  if (cmd < 0 || cmd >= PF_Cmd_NUM_CMDS) return PF_Err_NONE;
  const Handler handler = kHandlers[static_cast<size_t>(cmd)];
  if (!handler) return PF_Err_NONE;
  // Every command reads the host's blocks; set-down of a sequence writes none but reads in_data.
  if (!inData || (!outData && cmd != PF_Cmd_SEQUENCE_SETDOWN)) return PF_Err_BAD_CALLBACK_PARAM;
  try {
    UnFlatSequenceData* record = RunsUnderInstanceLock(cmd) ? FindLiveRecord(inData) : nullptr;
    const std::unique_lock<std::recursive_mutex> lock = LockInstance(record);
    return handler(CommandArgs{inData, outData, params, extra, record});
  } catch (...) {
    // Nothing may reach the host: a thrown suite error (A_Err_MISSING_SUITE), a GL fault, an
    // allocation failure.
    return PF_Err_BAD_CALLBACK_PARAM;
  }
}

}  // namespace Orvane::Mosaira
