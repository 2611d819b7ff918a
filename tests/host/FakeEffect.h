// An in-process fake effect for the host's tests: it answers the set-up and sequence commands the
// way a well-behaved effect does (a 16-byte live record "LIVE" + payload, flattened to "FLAT" +
// payload), defines six parameters, and lets each test add behaviour per command.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "host/SimulatedHost.h"
#include "sdk/sdk.h"

namespace Orvane::Mosaira::test {

// Parameter indices of the fake effect.
enum FakeParam : PF_ParamIndex {
  kFakePopup = 1,    // pop-up, 5 choices, supervised
  kFakeSlider = 2,   // float slider 0..100, supervised
  kFakePoint = 3,    // point, supervised, starts invisible
  kFakeGroup = 4,    // group start, collapsed
  kFakeEcho = 5,     // float slider, not supervised
  kFakeGroupEnd = 6,
  kFakeParamCount = 7,
};

struct FakeScript {
  // Runs before the default handling; return true when the command is fully handled (its result
  // in *err).
  std::function<bool(PF_Cmd, PF_InData*, PF_OutData*, PF_ParamDef**, void*, PF_Err*)> before;
  std::vector<PF_Cmd> commands;                 // every command received
  std::vector<PF_ParamIndex> changedParams;     // USER_CHANGED_PARAM indices
  std::vector<PF_ParamDef> checkedOut;          // UPDATE_PARAMS_UI's check-out of kFakePoint
  uint32_t payload = 7;                         // written into new live records
};

FakeScript& Script();
void ResetScript();

extern "C" PF_Err FakeEntryPoint(PF_Cmd cmd, PF_InData* in_data, PF_OutData* out_data,
                                 PF_ParamDef* params[], PF_LayerDef* output, void* extra);

// Helpers for scripts.
const void* Acquire(PF_InData* in, const char* name, A_long version);
void Release(PF_InData* in, const char* name, A_long version);
// The 4-byte tag and the payload of a record in a handle (locks and unlocks it).
std::string RecordTag(PF_InData* in, PF_Handle h);

// The fake effect in a fresh simulated host with a fresh script; tests that need an instance keep
// it in `id`.
class FakeHostTest : public ::testing::Test {
 protected:
  using Body = std::function<void(PF_InData*, PF_OutData*, PF_ParamDef**, void*)>;
  void SetUp() override {
    ResetScript();
    host.UseEntryPoint(FakeEntryPoint);
  }
  // Makes `body` the fake effect's whole answer to `cmd`; other commands get the default handling.
  static void On(PF_Cmd cmd, Body body) {
    Script().before = [cmd, body](PF_Cmd c, PF_InData* in, PF_OutData* out, PF_ParamDef** params, void* extra,
                                  PF_Err*) {
      if (c != cmd) return false;
      body(in, out, params, extra);
      return true;
    };
  }
  // Whether any of the host's reports holds `text`.
  bool Reported(const std::string& text) const {
    for (const auto& v : host.Violations()) {
      if (v.find(text) != std::string::npos) return true;
    }
    return false;
  }
  SimulatedHost host;
  InstanceId id = kNoInstance;
};

}  // namespace Orvane::Mosaira::test
