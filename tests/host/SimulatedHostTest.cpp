#include "host/SimulatedHost.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "FakeEffect.h"

namespace Orvane::Mosaira {
namespace {

using namespace test;

class HostSession : public FakeHostTest {
 protected:
  int Count(PF_Cmd cmd) const {
    return int(std::count(Script().commands.begin(), Script().commands.end(), cmd));
  }
};

TEST_F(HostSession, SetUpsRunOncePerPluginAndOncePerInstance) {
  const InstanceId a = host.AddInstance(100, 50);
  const InstanceId b = host.AddInstance(100, 50);
  ASSERT_NE(a, kNoInstance);
  ASSERT_NE(b, kNoInstance);
  EXPECT_EQ(Count(PF_Cmd_GLOBAL_SETUP), 1);
  EXPECT_EQ(Count(PF_Cmd_PARAMS_SETUP), 1);
  EXPECT_EQ(Count(PF_Cmd_SEQUENCE_SETUP), 2);
  EXPECT_EQ(host.ParamCount(), kFakeParamCount);
  EXPECT_EQ(host.GlobalOutFlags(), 0x04008000);
  EXPECT_NE(host.SequenceHandle(a), host.SequenceHandle(b));
  EXPECT_TRUE(host.Violations().empty()) << host.Violations().front();
}

TEST_F(HostSession, InvalidLayerSizeOrFailedSetupLeavesNoInstance) {
  PF_Err err = PF_Err_NONE;
  EXPECT_EQ(host.AddInstance(0, 10, &err), kNoInstance);
  EXPECT_EQ(err, PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_EQ(host.AddInstance(10, SimulatedHost::kMaxLayerSide + 1), kNoInstance);
  EXPECT_TRUE(host.Instances().empty());
  // A failed sequence set-up leaves no instance either.
  host.Handles().FailAllNew(true);
  EXPECT_EQ(host.AddInstance(10, 10, &err), kNoInstance);
  EXPECT_EQ(err, PF_Err_OUT_OF_MEMORY);
  EXPECT_TRUE(host.Instances().empty());
}

TEST_F(HostSession, UserChangeStoresEffectValuesAndSendsFollowUps) {
  const InstanceId id = host.AddInstance(100, 50);
  ASSERT_EQ(host.SetPopup(id, kFakePopup, 3), PF_Err_NONE);
  // The effect moved the point (supervised: a follow-up) and set the echo (not supervised).
  EXPECT_EQ(host.Stream(id, kFakePoint).StaticValue().td.x_value, 30 * 65536);
  EXPECT_EQ(host.Stream(id, kFakeEcho).StaticValue().fs_d.value, 3.0);
  EXPECT_EQ(Script().changedParams, (std::vector<PF_ParamIndex>{kFakePopup, kFakePoint}));
  EXPECT_EQ(Count(PF_Cmd_UPDATE_PARAMS_UI), 1);
  EXPECT_TRUE(host.Violations().empty());
  // The effect writes the same point again: its change flag alone sends no follow-up.
  Script().changedParams.clear();
  host.SetPopup(id, kFakePopup, 3);
  EXPECT_EQ(Script().changedParams, (std::vector<PF_ParamIndex>{kFakePopup}));
  // A parameter the effect does not supervise is stored and sends nothing.
  const size_t before = Script().commands.size();
  EXPECT_EQ(host.SetFloat(id, kFakeEcho, 5.0), PF_Err_NONE);
  EXPECT_EQ(Script().commands.size(), before);
  EXPECT_EQ(host.Stream(id, kFakeEcho).StaticValue().fs_d.value, 5.0);
}

TEST_F(HostSession, UserValuesThatCannotBeShownAreRefused) {
  const InstanceId id = host.AddInstance(100, 50);
  EXPECT_EQ(host.SetFloat(id, kFakeEcho, std::nan("")), PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_EQ(host.SetPointPx(id, kFakePoint, HUGE_VAL, 0.0), PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_EQ(host.Stream(id, kFakeEcho).StaticValue().fs_d.value, 0.0);
  EXPECT_EQ(host.SetPointPx(id, kFakePoint, 1e12, -1e12), PF_Err_NONE);  // clamped to 16.16
  EXPECT_EQ(host.Stream(id, kFakePoint).StaticValue().td.x_value, INT32_MAX);
  EXPECT_EQ(host.Stream(id, kFakePoint).StaticValue().td.y_value, INT32_MIN);
  EXPECT_EQ(host.SetFloat(id, 99, 1.0), PF_Err_BAD_CALLBACK_PARAM);
}

TEST_F(HostSession, EndlessCascadeIsStopped) {
  const InstanceId id = host.AddInstance(100, 50);
  On(PF_Cmd_USER_CHANGED_PARAM, [](PF_InData*, PF_OutData*, PF_ParamDef** params, void*) {
    params[kFakeSlider]->u.fs_d.value += 1.0;
    params[kFakeSlider]->uu.change_flags = PF_ChangeFlag_CHANGED_VALUE;
  });
  host.SetFloat(id, kFakeSlider, 1.0);
  EXPECT_EQ(host.Stream(id, kFakeSlider).StaticValue().fs_d.value, 2.0 + SimulatedHost::kMaxFollowUpDepth);
  ASSERT_EQ(host.Violations().size(), 1u);
  EXPECT_NE(host.Violations()[0].find("cascading"), std::string::npos);
}

TEST_F(HostSession, EffectValuesOutOfRangeAreNotStored) {
  const InstanceId id = host.AddInstance(100, 50);
  On(PF_Cmd_UPDATE_PARAMS_UI, [](PF_InData*, PF_OutData*, PF_ParamDef** params, void*) {
    params[kFakePopup]->u.pd.value = 99;
    params[kFakePopup]->uu.change_flags = PF_ChangeFlag_CHANGED_VALUE;
    params[kFakeEcho]->u.fs_d.value = std::nan("");
    params[kFakeEcho]->uu.change_flags = PF_ChangeFlag_CHANGED_VALUE;
  });
  host.Send(id, PF_Cmd_UPDATE_PARAMS_UI);
  EXPECT_EQ(host.Stream(id, kFakePopup).StaticValue().pd.value, 1);
  EXPECT_EQ(host.Stream(id, kFakeEcho).StaticValue().fs_d.value, 0.0);
  EXPECT_EQ(host.Violations().size(), 2u);
}

TEST_F(HostSession, CheckoutReadsKeyframedValueAtCommandTime) {
  const InstanceId id = host.AddInstance(400, 300);
  PF_ParamDefUnion a{}, b{};
  a.td.x_value = 0;
  b.td.x_value = 100 * 65536;
  host.Stream(id, kFakePoint).AddKeyframe(0.0, a);
  host.Stream(id, kFakePoint).AddKeyframe(1.0, b);
  host.Context().time = {15, 30};
  host.Send(id, PF_Cmd_UPDATE_PARAMS_UI);
  EXPECT_EQ(Script().checkedOut.back().u.td.x_value, 50 * 65536);
}

TEST_F(HostSession, FailedCheckoutIsNotCountedAndCheckinWithoutCheckoutIsMisuse) {
  const InstanceId id = host.AddInstance(10, 10);
  host.Faults().Fail("checkout_param", 0);
  host.Send(id, PF_Cmd_UPDATE_PARAMS_UI);
  EXPECT_TRUE(host.Violations().empty());
  On(PF_Cmd_UPDATE_PARAMS_UI, [](PF_InData* in, PF_OutData*, PF_ParamDef**, void*) {
    PF_ParamDef def{};
    in->inter.checkin_param(in->effect_ref, &def);
  });
  host.Send(id, PF_Cmd_UPDATE_PARAMS_UI);
  EXPECT_EQ(host.Violations().size(), 1u);
}

TEST_F(HostSession, UpdateParamUiChangesUiFieldsOnly) {
  const InstanceId id = host.AddInstance(10, 10);
  On(PF_Cmd_UPDATE_PARAMS_UI, [](PF_InData* in, PF_OutData*, PF_ParamDef** params, void*) {
    auto* suite = static_cast<const PF_ParamUtilsSuite3*>(
        Acquire(in, kPFParamUtilsSuite, kPFParamUtilsSuiteVersion3));
    PF_ParamDef def = *params[kFakeSlider];
    def.u.fs_d.value = 77.0;
    def.flags |= PF_ParamFlag_COLLAPSE_TWIRLY;
    def.ui_flags = PF_PUI_INVISIBLE;
    suite->PF_UpdateParamUI(in->effect_ref, kFakeSlider, &def);
    EXPECT_EQ(suite->PF_UpdateParamUI(in->effect_ref, 99, &def), PF_Err_INVALID_INDEX);
    Release(in, kPFParamUtilsSuite, kPFParamUtilsSuiteVersion3);
  });
  host.Send(id, PF_Cmd_UPDATE_PARAMS_UI);
  const ParamStream& s = host.Stream(id, kFakeSlider);
  EXPECT_EQ(s.StaticValue().fs_d.value, 10.0);
  EXPECT_TRUE(s.Collapsed());
  EXPECT_EQ(s.Definition().ui_flags, PF_PUI_INVISIBLE);
  EXPECT_FALSE(s.Hidden());  // the dynamic flag is the AEGP suites' business
  EXPECT_TRUE(host.Violations().empty());
}

TEST_F(HostSession, CommandHookSurroundsEveryCommand) {
  struct Hook : CommandHook {
    void BeforeCommand(PF_Cmd cmd) noexcept override { calls.push_back(cmd); }
    void AfterCommand(PF_Cmd cmd) noexcept override { calls.push_back(-cmd - 1); }
    std::vector<PF_Cmd> calls;
  } hook;
  host.SetCommandHook(&hook);
  host.GlobalSetup();
  host.SetCommandHook(nullptr);
  EXPECT_EQ(hook.calls, (std::vector<PF_Cmd>{PF_Cmd_GLOBAL_SETUP, -PF_Cmd_GLOBAL_SETUP - 1}));
}

TEST_F(HostSession, ShutdownSetsEverythingDownAndLeavesNoHandle) {
  host.AddInstance(10, 10);
  host.AddInstance(10, 10);
  host.Shutdown();
  EXPECT_EQ(Count(PF_Cmd_SEQUENCE_SETDOWN), 2);
  EXPECT_EQ(Count(PF_Cmd_GLOBAL_SETDOWN), 1);
  EXPECT_TRUE(host.Handles().LiveHandles().empty());
  EXPECT_TRUE(host.Violations().empty());
}

TEST_F(HostSession, LeakedHandleShowsInReport) {
  host.AddInstance(10, 10);
  On(PF_Cmd_SEQUENCE_SETDOWN, [](PF_InData*, PF_OutData*, PF_ParamDef**, void*) {});  // keeps its record
  host.Shutdown();
  EXPECT_EQ(host.Handles().LiveHandles().size(), 1u);
  EXPECT_EQ(host.Violations().size(), 1u);
  const auto lines = host.LeakReport();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NE(lines[0].find("16 bytes, 0 lock(s)"), std::string::npos);
}

TEST_F(HostSession, GlobalDataLeftAfterSetdownIsReported) {
  Script().before = [](PF_Cmd cmd, PF_InData* in, PF_OutData* out, PF_ParamDef**, void*, PF_Err*) {
    if (cmd == PF_Cmd_GLOBAL_SETUP) out->global_data = in->utils->host_new_handle(8);
    return false;
  };
  host.GlobalSetup();
  host.GlobalSetdown();
  EXPECT_EQ(host.Violations().size(), 1u);
}

class HostControls : public FakeHostTest {};

TEST_F(HostControls, LayerSizeReachesLaterCommands) {
  const InstanceId id = host.AddInstance(100, 50);
  A_long seenWidth = 0;
  Script().before = [&](PF_Cmd cmd, PF_InData* in, PF_OutData*, PF_ParamDef**, void*, PF_Err*) {
    if (cmd == PF_Cmd_UPDATE_PARAMS_UI) seenWidth = in->width;
    return false;
  };
  EXPECT_TRUE(host.SetLayerSize(id, 300, 200));
  EXPECT_FALSE(host.SetLayerSize(id, -1, 200));
  EXPECT_FALSE(host.SetLayerSize(id + 100, 10, 10));
  host.Send(id, PF_Cmd_UPDATE_PARAMS_UI);
  EXPECT_EQ(seenWidth, 300);
}

TEST_F(HostControls, LogKeepsEachCommandsOutFlags) {
  const InstanceId id = host.AddInstance(10, 10);
  Script().before = [](PF_Cmd cmd, PF_InData*, PF_OutData* out, PF_ParamDef**, void*, PF_Err*) {
    if (cmd == PF_Cmd_USER_CHANGED_PARAM) out->out_flags |= PF_OutFlag_FORCE_RERENDER;
    return false;
  };
  host.SetFloat(id, kFakeSlider, 50.0);
  const auto& log = host.Log();
  ASSERT_GE(log.size(), 2u);
  const CommandRecord& change = log[log.size() - 2];
  EXPECT_EQ(change.cmd, PF_Cmd_USER_CHANGED_PARAM);
  EXPECT_EQ(change.paramIndex, kFakeSlider);
  EXPECT_TRUE(change.outFlags & PF_OutFlag_FORCE_RERENDER);
  EXPECT_EQ(log.back().cmd, PF_Cmd_UPDATE_PARAMS_UI);
  EXPECT_TRUE(host.LastOutData().out_flags & PF_OutFlag_FORCE_RERENDER);
}

TEST_F(HostControls, ClearFaultsRestoresEverything) {
  host.GlobalSetup();
  host.Suites().SetMissing(kPFHandleSuite, 2, true);
  host.Handles().FailAllNew(true);
  host.Faults().FailAll("checkout_param", true);
  host.ClearFaults();
  EXPECT_NE(host.AddInstance(10, 10), kNoInstance);
  EXPECT_TRUE(host.Violations().empty());
}

TEST_F(HostControls, UnknownInstanceAndCommandsAreHarmless) {
  EXPECT_EQ(host.Send(77, PF_Cmd_UPDATE_PARAMS_UI), PF_Err_BAD_CALLBACK_PARAM);
  const InstanceId id = host.AddInstance(10, 10);
  EXPECT_EQ(host.Send(id, 99), PF_Err_NONE);
  EXPECT_EQ(host.Send(id, -1), PF_Err_NONE);
  EXPECT_TRUE(host.Violations().empty());
}

TEST_F(HostControls, GlobalCommandsThroughSendCarryNoInstanceData) {
  const InstanceId id = host.AddInstance(10, 10);
  PF_Handle seen = reinterpret_cast<PF_Handle>(1);
  Script().before = [&](PF_Cmd cmd, PF_InData* in, PF_OutData*, PF_ParamDef**, void*, PF_Err*) {
    if (cmd == PF_Cmd_GLOBAL_SETDOWN) seen = in->sequence_data;
    return false;
  };
  EXPECT_EQ(host.Send(id, PF_Cmd_GLOBAL_SETDOWN), PF_Err_NONE);
  EXPECT_EQ(seen, nullptr);
  EXPECT_FALSE(host.IsGloballySetUp());
  EXPECT_TRUE(host.Handles().IsLive(host.SequenceHandle(id)));
}

TEST_F(HostControls, NoPluginIsAViolationNotACrash) {
  SimulatedHost empty;
  EXPECT_EQ(empty.AddInstance(10, 10), kNoInstance);
  EXPECT_FALSE(empty.Violations().empty());
}

}  // namespace
}  // namespace Orvane::Mosaira
