#include "FakeEffect.h"

#include <cstring>
#include <mutex>

namespace Orvane::Mosaira::test {
namespace {

FakeScript gScript;

constexpr uint64_t kRecordBytes = 16;

const PF_HandleSuite2* Handles(PF_InData* in) {
  return static_cast<const PF_HandleSuite2*>(Acquire(in, kPFHandleSuite, kPFHandleSuiteVersion2));
}
void ReleaseHandles(PF_InData* in) { Release(in, kPFHandleSuite, kPFHandleSuiteVersion2); }

// A new handle holding tag + payload, or null.
PF_Handle MakeRecord(PF_InData* in, const char* tag, uint32_t payload) {
  const PF_HandleSuite2* hs = Handles(in);
  if (hs == nullptr) return nullptr;
  PF_Handle h = hs->host_new_handle(kRecordBytes);
  if (h != nullptr) {
    auto* p = static_cast<uint8_t*>(hs->host_lock_handle(h));
    if (p == nullptr) {
      hs->host_dispose_handle(h);
      h = nullptr;
    } else {
      std::memcpy(p, tag, 4);
      std::memcpy(p + 4, &payload, 4);
      hs->host_unlock_handle(h);
    }
  }
  ReleaseHandles(in);
  return h;
}

uint32_t Payload(PF_InData* in, PF_Handle h) {
  const PF_HandleSuite2* hs = Handles(in);
  uint32_t v = 0;
  if (hs && h) {
    if (auto* p = static_cast<uint8_t*>(hs->host_lock_handle(h))) {
      std::memcpy(&v, p + 4, 4);
      hs->host_unlock_handle(h);
    }
  }
  if (hs) ReleaseHandles(in);
  return v;
}

void Dispose(PF_InData* in, PF_Handle h) {
  if (const PF_HandleSuite2* hs = Handles(in)) {
    hs->host_dispose_handle(h);
    ReleaseHandles(in);
  }
}

PF_Err AddParams(PF_InData* in, PF_OutData* out) {
  const auto add = [&](PF_ParamType type, const char* name, PF_ParamFlags flags, PF_ParamUIFlags ui,
                       auto&& fill) {
    PF_ParamDef def{};
    def.param_type = type;
    std::strcpy(def.name, name);
    def.flags = flags;
    def.ui_flags = ui;
    fill(def);
    return in->inter.add_param(in->effect_ref, -1, &def);
  };
  PF_Err err = add(PF_Param_POPUP, "Choice", PF_ParamFlag_SUPERVISE, 0, [](PF_ParamDef& d) {
    d.u.pd.num_choices = 5;
    d.u.pd.value = 1;
    d.u.pd.dephault = 1;
  });
  if (!err) err = add(PF_Param_FLOAT_SLIDER, "Amount", PF_ParamFlag_SUPERVISE, 0, [](PF_ParamDef& d) {
    d.u.fs_d.valid_max = 100;
    d.u.fs_d.value = 10;
  });
  if (!err) err = add(PF_Param_POINT, "Where", PF_ParamFlag_SUPERVISE, PF_PUI_INVISIBLE, [](PF_ParamDef&) {});
  if (!err) err = add(PF_Param_GROUP_START, "Group", PF_ParamFlag_COLLAPSE_TWIRLY, 0, [](PF_ParamDef&) {});
  if (!err) err = add(PF_Param_FLOAT_SLIDER, "Echo", 0, 0, [](PF_ParamDef&) {});
  if (!err) err = add(PF_Param_GROUP_END, "", 0, 0, [](PF_ParamDef&) {});
  out->num_params = kFakeParamCount;
  return err;
}

PF_Err Default(PF_Cmd cmd, PF_InData* in, PF_OutData* out, PF_ParamDef* params[], void* extra) {
  switch (cmd) {
    case PF_Cmd_GLOBAL_SETUP:
      out->my_version = 0x00080001;
      out->out_flags = 0x04008000;
      out->out_flags2 = 0x00001400;
      return PF_Err_NONE;
    case PF_Cmd_PARAMS_SETUP: return AddParams(in, out);
    case PF_Cmd_SEQUENCE_SETUP:
      out->sequence_data = MakeRecord(in, "LIVE", gScript.payload);
      return out->sequence_data ? PF_Err_NONE : PF_Err_OUT_OF_MEMORY;
    case PF_Cmd_SEQUENCE_RESETUP:
      if (in->sequence_data && RecordTag(in, in->sequence_data) == "FLAT") {
        PF_Handle live = MakeRecord(in, "LIVE", Payload(in, in->sequence_data));
        if (live == nullptr) return PF_Err_NONE;  // the flat record stays
        Dispose(in, in->sequence_data);
        out->sequence_data = live;
      }
      return PF_Err_NONE;
    case PF_Cmd_SEQUENCE_FLATTEN:
    case PF_Cmd_GET_FLATTENED_SEQUENCE_DATA: {
      if (in->sequence_data == nullptr) return PF_Err_INTERNAL_STRUCT_DAMAGED;
      PF_Handle flat = MakeRecord(in, "FLAT", Payload(in, in->sequence_data));
      if (flat == nullptr) return PF_Err_INTERNAL_STRUCT_DAMAGED;
      if (cmd == PF_Cmd_SEQUENCE_FLATTEN) Dispose(in, in->sequence_data);
      out->sequence_data = flat;
      return PF_Err_NONE;
    }
    case PF_Cmd_SEQUENCE_SETDOWN:
      if (in->sequence_data) Dispose(in, in->sequence_data);
      return PF_Err_NONE;
    case PF_Cmd_USER_CHANGED_PARAM: {
      const PF_ParamIndex index = static_cast<PF_UserChangedParamExtra*>(extra)->param_index;
      gScript.changedParams.push_back(index);
      if (index == kFakePopup) {
        // A new choice moves the point to (10 * choice, 0) px and echoes the choice.
        params[kFakePoint]->u.td.x_value = params[kFakePopup]->u.pd.value * 10 * 65536;
        params[kFakePoint]->uu.change_flags = PF_ChangeFlag_CHANGED_VALUE;
        params[kFakeEcho]->u.fs_d.value = params[kFakePopup]->u.pd.value;
        params[kFakeEcho]->uu.change_flags = PF_ChangeFlag_CHANGED_VALUE;
      }
      return PF_Err_NONE;
    }
    case PF_Cmd_UPDATE_PARAMS_UI: {
      PF_ParamDef def{};
      if (in->inter.checkout_param(in->effect_ref, kFakePoint, in->current_time, in->time_step,
                                   in->time_scale, &def) == PF_Err_NONE) {
        gScript.checkedOut.push_back(def);
        in->inter.checkin_param(in->effect_ref, &def);
      }
      return PF_Err_NONE;
    }
    default: return PF_Err_NONE;
  }
}

}  // namespace

FakeScript& Script() { return gScript; }
void ResetScript() { gScript = FakeScript{}; }

const void* Acquire(PF_InData* in, const char* name, A_long version) {
  const void* suite = nullptr;
  return in->pica_basicP->AcquireSuite(name, version, &suite) == A_Err_NONE ? suite : nullptr;
}

void Release(PF_InData* in, const char* name, A_long version) {
  in->pica_basicP->ReleaseSuite(name, version);
}

std::string RecordTag(PF_InData* in, PF_Handle h) {
  const PF_HandleSuite2* hs = Handles(in);
  std::string tag;
  if (hs && h) {
    if (auto* p = static_cast<const char*>(hs->host_lock_handle(h))) {
      tag.assign(p, 4);
      hs->host_unlock_handle(h);
    }
  }
  if (hs) ReleaseHandles(in);
  return tag;
}

extern "C" PF_Err FakeEntryPoint(PF_Cmd cmd, PF_InData* in_data, PF_OutData* out_data,
                                 PF_ParamDef* params[], PF_LayerDef*, void* extra) {
  {
    static std::mutex recording;  // renders may arrive on several threads at once
    std::lock_guard<std::mutex> lock(recording);
    gScript.commands.push_back(cmd);
  }
  PF_Err err = PF_Err_NONE;
  if (gScript.before && gScript.before(cmd, in_data, out_data, params, extra, &err)) return err;
  return Default(cmd, in_data, out_data, params, extra);
}

}  // namespace Orvane::Mosaira::test
