// The host's checks after every command, each provoked by a misbehaving fake effect.
#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>

#include "FakeEffect.h"
#include "host/SimulatedHost.h"

namespace Orvane::Mosaira {
namespace {

using namespace test;

// The AEGP suites a script needs, acquired for its scope; effect and stream handles on demand.
struct AegpSuites {
  explicit AegpSuites(PF_InData* in) : in(in) {}
  ~AegpSuites() {
    Release(in, kAEGPPFInterfaceSuite, 1);
    Release(in, kAEGPEffectSuite, 2);
    Release(in, kAEGPStreamSuite, 7);
    Release(in, kAEGPDynamicStreamSuite, 2);
    Release(in, kAEGPKeyframeSuite, 3);
  }
  AegpSuites(const AegpSuites&) = delete;
  AegpSuites& operator=(const AegpSuites&) = delete;
  AEGP_EffectRefH Effect() {
    AEGP_EffectRefH effect = nullptr;
    pfi->AEGP_GetNewEffectForEffect(0, in->effect_ref, &effect);
    return effect;
  }
  PF_InData* in;
  const AEGP_PFInterfaceSuite1* pfi = static_cast<const AEGP_PFInterfaceSuite1*>(Acquire(in, kAEGPPFInterfaceSuite, 1));
  const AEGP_EffectSuite2* fx = static_cast<const AEGP_EffectSuite2*>(Acquire(in, kAEGPEffectSuite, 2));
  const AEGP_StreamSuite7* streams = static_cast<const AEGP_StreamSuite7*>(Acquire(in, kAEGPStreamSuite, 7));
  const AEGP_DynamicStreamSuite2* dyn =
      static_cast<const AEGP_DynamicStreamSuite2*>(Acquire(in, kAEGPDynamicStreamSuite, 2));
  const AEGP_KeyframeSuite3* keys = static_cast<const AEGP_KeyframeSuite3*>(Acquire(in, kAEGPKeyframeSuite, 3));
};

class HostInvariants : public FakeHostTest {
 protected:
  void SetUp() override {
    FakeHostTest::SetUp();
    id = host.AddInstance(20, 10);
    ASSERT_TRUE(host.Violations().empty());
  }
  // Runs `body` as the effect's answer to PF_Cmd_UPDATE_PARAMS_UI.
  PF_Err RunWith(std::function<void(PF_InData*, PF_OutData*)> body) {
    On(PF_Cmd_UPDATE_PARAMS_UI, [body](PF_InData* in, PF_OutData* out, PF_ParamDef**, void*) { body(in, out); });
    return host.Send(id, PF_Cmd_UPDATE_PARAMS_UI);
  }
};

TEST_F(HostInvariants, SuiteNotReleasedIsReportedOnce) {
  RunWith([](PF_InData* in, PF_OutData*) { Acquire(in, kPFANSISuite, 1); });
  EXPECT_TRUE(Reported("\"PF ANSI Suite\" 1 left acquired 1"));
  host.ClearViolations();
  RunWith([](PF_InData*, PF_OutData*) {});
  EXPECT_TRUE(host.Violations().empty());
}

// Each misuse by the effect, and the words the host's report must hold for it.
TEST_F(HostInvariants, MisuseIsReported) {
  struct Case {
    std::function<void(PF_InData*, PF_OutData*)> body;
    const char* report;
  };
  const Case cases[] = {
      {[](PF_InData* in, PF_OutData*) {
         Acquire(in, kPFANSISuite, 1);
         Release(in, kPFANSISuite, 1);
         Release(in, kPFANSISuite, 1);
       },
       "release of suite not acquired"},
      {[](PF_InData* in, PF_OutData*) { in->utils->host_lock_handle(in->sequence_data); }, "left locked"},
      {[](PF_InData* in, PF_OutData*) {
         AegpSuites aegp(in);
         AEGP_StreamRefH stream = nullptr;
         aegp.streams->AEGP_GetNewEffectStreamByIndex(0, aegp.Effect(), kFakeSlider, &stream);
       },
       "2 AEGP handle(s) not disposed"},
      {[](PF_InData* in, PF_OutData*) {
         PF_ParamDef def{};
         in->inter.checkout_param(in->effect_ref, kFakeSlider, 0, 1, 30, &def);
       },
       "1 parameter check-out(s) not checked in"},
      {[](PF_InData* in, PF_OutData*) {
         PF_Handle h = in->utils->host_new_handle(4);
         in->utils->host_dispose_handle(h);
         in->utils->host_dispose_handle(h);
       },
       "dispose of unknown or disposed handle"},
      {[](PF_InData* in, PF_OutData*) {
         AegpSuites aegp(in);
         AEGP_DynStreamFlags flags = 0;
         EXPECT_NE(aegp.dyn->AEGP_GetDynamicStreamFlags(reinterpret_cast<AEGP_StreamRefH>(0x1234), &flags), A_Err_NONE);
         EXPECT_NE(aegp.streams->AEGP_DisposeStream(nullptr), A_Err_NONE);
       },
       "dispose of unknown AEGP stream handle"},
      {[](PF_InData* in, PF_OutData*) {
         PF_ParamDef def{};
         in->inter.checkin_param(in->effect_ref, &def);
       },
       "check-in of a parameter that was not checked out"},
      // Last: it leaves the instance without its record.
      {[](PF_InData* in, PF_OutData* out) {
         in->utils->host_dispose_handle(in->sequence_data);
         out->sequence_data = nullptr;
       },
       "left without sequence data"},
  };
  for (const Case& c : cases) {
    host.ClearViolations();
    RunWith(c.body);
    EXPECT_TRUE(Reported(c.report)) << c.report;
  }
  EXPECT_EQ(host.LiveAegpHandles(), 0u);
}

TEST_F(HostInvariants, EscapedExceptionIsCaughtAndReported) {
  const PF_Err err = RunWith([](PF_InData*, PF_OutData*) { throw std::runtime_error("boom"); });
  EXPECT_EQ(err, PF_Err_INTERNAL_STRUCT_DAMAGED);
  EXPECT_TRUE(Reported("exception escaped"));
}

TEST_F(HostInvariants, CallbacksOutsideACommandFailSafely) {
  PF_InData in{};
  PF_ParamDef def{};
  // No command runs on this thread: nothing is served, nothing crashes.
  RunWith([&](PF_InData* i, PF_OutData*) { in = *i; });
  SPBasicSuite* basic = in.pica_basicP;
  const void* suite = &def;
  EXPECT_EQ(basic->AcquireSuite(kPFHandleSuite, 2, &suite), A_Err_MISSING_SUITE);
  EXPECT_EQ(suite, nullptr);
  EXPECT_EQ(in.utils->host_new_handle(8), nullptr);
  EXPECT_NE(in.inter.checkout_param(in.effect_ref, 1, 0, 1, 30, &def), PF_Err_NONE);
}

// An effect that keeps changing a supervised parameter in answer to its change is stopped.
TEST_F(HostInvariants, EndlessCascadeIsStopped) {
  On(PF_Cmd_USER_CHANGED_PARAM, [](PF_InData*, PF_OutData*, PF_ParamDef** params, void*) {
    params[kFakeSlider]->u.fs_d.value += 1.0;
    params[kFakeSlider]->uu.change_flags = PF_ChangeFlag_CHANGED_VALUE;
  });
  host.SetFloat(id, kFakeSlider, 1.0);
  EXPECT_EQ(host.Stream(id, kFakeSlider).StaticValue().fs_d.value, 2.0 + SimulatedHost::kMaxFollowUpDepth);
  EXPECT_TRUE(Reported("cascading"));
}

TEST_F(HostInvariants, EffectValuesOutOfRangeAreNotStored) {
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

// Handles the effect keeps past its set-downs are reported, with their size and locks.
TEST_F(HostInvariants, LeftHandlesAreReportedAtShutdown) {
  Script().before = [](PF_Cmd cmd, PF_InData* in, PF_OutData* out, PF_ParamDef**, void*, PF_Err*) {
    if (cmd == PF_Cmd_GLOBAL_SETDOWN) out->global_data = in->utils->host_new_handle(8);
    return cmd == PF_Cmd_SEQUENCE_SETDOWN;  // keeps its record
  };
  host.Shutdown();
  EXPECT_TRUE(Reported("sequence data not disposed of"));
  EXPECT_TRUE(Reported("global data still held after set-down"));
  const auto lines = host.LeakReport();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_NE(lines[0].find("16 bytes, 0 lock(s)"), std::string::npos);
}

}  // namespace
}  // namespace Orvane::Mosaira
