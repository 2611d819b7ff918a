// The host's checks after every command, each provoked by a misbehaving fake effect.
#include <gtest/gtest.h>

#include <stdexcept>

#include "FakeEffect.h"
#include "host/SimulatedHost.h"

namespace Orvane::Mosaira {
namespace {

using namespace test;

class HostInvariants : public testing::Test {
 protected:
  void SetUp() override {
    ResetScript();
    host.UseEntryPoint(FakeEntryPoint);
    id = host.AddInstance(20, 10);
    ASSERT_TRUE(host.Violations().empty());
  }
  // Runs `body` as the effect's answer to PF_Cmd_UPDATE_PARAMS_UI.
  PF_Err RunWith(std::function<void(PF_InData*, PF_OutData*)> body) {
    Script().before = [body](PF_Cmd cmd, PF_InData* in, PF_OutData* out, PF_ParamDef**, void*, PF_Err*) {
      if (cmd != PF_Cmd_UPDATE_PARAMS_UI) return false;
      body(in, out);
      return true;
    };
    return host.Send(id, PF_Cmd_UPDATE_PARAMS_UI);
  }
  bool Reported(const std::string& text) const {
    for (const auto& v : host.Violations()) {
      if (v.find(text) != std::string::npos) return true;
    }
    return false;
  }
  SimulatedHost host;
  InstanceId id = kNoInstance;
};

TEST_F(HostInvariants, SuiteNotReleased) {
  RunWith([](PF_InData* in, PF_OutData*) { Acquire(in, kPFANSISuite, 1); });
  EXPECT_TRUE(Reported("\"PF ANSI Suite\" 1 left acquired 1"));
  host.ClearViolations();
  RunWith([](PF_InData*, PF_OutData*) {});
  EXPECT_TRUE(host.Violations().empty());  // reported once, not again
}

TEST_F(HostInvariants, SuiteReleasedTwice) {
  RunWith([](PF_InData* in, PF_OutData*) {
    Acquire(in, kPFANSISuite, 1);
    Release(in, kPFANSISuite, 1);
    Release(in, kPFANSISuite, 1);
  });
  EXPECT_TRUE(Reported("release of suite not acquired"));
}

TEST_F(HostInvariants, MissingSuiteIsRefusedWithItsError) {
  host.Suites().SetMissing(kPFANSISuite, 1, true);
  SPErr result = 0;
  const void* table = &result;
  RunWith([&](PF_InData* in, PF_OutData*) { result = in->pica_basicP->AcquireSuite(kPFANSISuite, 1, &table); });
  EXPECT_EQ(result, A_Err_MISSING_SUITE);
  EXPECT_EQ(table, nullptr);
  EXPECT_TRUE(host.Violations().empty());
}

TEST_F(HostInvariants, HandleLeftLocked) {
  RunWith([](PF_InData* in, PF_OutData*) { in->utils->host_lock_handle(in->sequence_data); });
  EXPECT_TRUE(Reported("left locked"));
}

TEST_F(HostInvariants, AegpHandlesNotDisposed) {
  RunWith([](PF_InData* in, PF_OutData*) {
    auto* pfi = static_cast<const AEGP_PFInterfaceSuite1*>(Acquire(in, kAEGPPFInterfaceSuite, 1));
    auto* streams = static_cast<const AEGP_StreamSuite7*>(Acquire(in, kAEGPStreamSuite, 7));
    AEGP_EffectRefH effect = nullptr;
    AEGP_StreamRefH stream = nullptr;
    pfi->AEGP_GetNewEffectForEffect(0, in->effect_ref, &effect);
    streams->AEGP_GetNewEffectStreamByIndex(0, effect, kFakeSlider, &stream);
    Release(in, kAEGPPFInterfaceSuite, 1);
    Release(in, kAEGPStreamSuite, 7);
  });
  EXPECT_TRUE(Reported("2 AEGP handle(s) not disposed"));
  EXPECT_EQ(host.LiveAegpHandles(), 0u);
}

TEST_F(HostInvariants, CheckoutNotCheckedIn) {
  RunWith([](PF_InData* in, PF_OutData*) {
    PF_ParamDef def{};
    in->inter.checkout_param(in->effect_ref, kFakeSlider, 0, 1, 30, &def);
  });
  EXPECT_TRUE(Reported("1 parameter check-out(s) not checked in"));
}

TEST_F(HostInvariants, EscapedExceptionIsCaughtAndReported) {
  const PF_Err err = RunWith([](PF_InData*, PF_OutData*) { throw std::runtime_error("boom"); });
  EXPECT_EQ(err, PF_Err_INTERNAL_STRUCT_DAMAGED);
  EXPECT_TRUE(Reported("exception escaped"));
}

TEST_F(HostInvariants, InstanceLeftWithoutSequenceData) {
  RunWith([](PF_InData* in, PF_OutData* out) {
    in->utils->host_dispose_handle(in->sequence_data);
    out->sequence_data = nullptr;
  });
  EXPECT_TRUE(Reported("left without sequence data"));
}

TEST_F(HostInvariants, DoubleDisposeIsReported) {
  RunWith([](PF_InData* in, PF_OutData*) {
    PF_Handle h = in->utils->host_new_handle(4);
    in->utils->host_dispose_handle(h);
    in->utils->host_dispose_handle(h);
  });
  EXPECT_TRUE(Reported("dispose of unknown or disposed handle"));
}

TEST_F(HostInvariants, AegpCallsOnUnknownHandlesFailSafely) {
  A_Err flagsErr = 0, disposeErr = 0;
  RunWith([&](PF_InData* in, PF_OutData*) {
    auto* dyn = static_cast<const AEGP_DynamicStreamSuite2*>(Acquire(in, kAEGPDynamicStreamSuite, 2));
    auto* streams = static_cast<const AEGP_StreamSuite7*>(Acquire(in, kAEGPStreamSuite, 7));
    AEGP_DynStreamFlags flags = 0;
    flagsErr = dyn->AEGP_GetDynamicStreamFlags(reinterpret_cast<AEGP_StreamRefH>(0x1234), &flags);
    disposeErr = streams->AEGP_DisposeStream(nullptr);
    Release(in, kAEGPDynamicStreamSuite, 2);
    Release(in, kAEGPStreamSuite, 7);
  });
  EXPECT_NE(flagsErr, A_Err_NONE);
  EXPECT_NE(disposeErr, A_Err_NONE);
  EXPECT_TRUE(Reported("dispose of unknown AEGP stream handle"));
}

TEST_F(HostInvariants, AegpSuitesChangeStreamsAndKeyframes) {
  PF_ParamDefUnion v{};
  host.Stream(id, kFakeSlider).AddKeyframe(0.0, v);
  host.Stream(id, kFakeSlider).AddKeyframe(1.0, v);
  A_long before = -1, after = -1;
  RunWith([&](PF_InData* in, PF_OutData*) {
    auto* pfi = static_cast<const AEGP_PFInterfaceSuite1*>(Acquire(in, kAEGPPFInterfaceSuite, 1));
    auto* fx = static_cast<const AEGP_EffectSuite2*>(Acquire(in, kAEGPEffectSuite, 2));
    auto* streams = static_cast<const AEGP_StreamSuite7*>(Acquire(in, kAEGPStreamSuite, 7));
    auto* dyn = static_cast<const AEGP_DynamicStreamSuite2*>(Acquire(in, kAEGPDynamicStreamSuite, 2));
    auto* keys = static_cast<const AEGP_KeyframeSuite3*>(Acquire(in, kAEGPKeyframeSuite, 3));
    AEGP_EffectRefH effect = nullptr;
    AEGP_StreamRefH stream = nullptr;
    pfi->AEGP_GetNewEffectForEffect(0, in->effect_ref, &effect);
    streams->AEGP_GetNewEffectStreamByIndex(0, effect, kFakeSlider, &stream);
    dyn->AEGP_SetDynamicStreamFlag(stream, AEGP_DynStreamFlag_HIDDEN, false, true);
    keys->AEGP_GetStreamNumKFs(stream, &before);
    keys->AEGP_DeleteKeyframe(stream, 0);
    EXPECT_NE(keys->AEGP_DeleteKeyframe(stream, 5), A_Err_NONE);
    keys->AEGP_GetStreamNumKFs(stream, &after);
    streams->AEGP_DisposeStream(stream);
    fx->AEGP_DisposeEffect(effect);
    Release(in, kAEGPPFInterfaceSuite, 1);
    Release(in, kAEGPEffectSuite, 2);
    Release(in, kAEGPStreamSuite, 7);
    Release(in, kAEGPDynamicStreamSuite, 2);
    Release(in, kAEGPKeyframeSuite, 3);
  });
  EXPECT_EQ(before, 2);
  EXPECT_EQ(after, 1);
  EXPECT_TRUE(host.Stream(id, kFakeSlider).Hidden());
  EXPECT_TRUE(host.Violations().empty()) << host.Violations().front();
}

TEST_F(HostInvariants, InjectedAegpFailureLeavesNoHandle) {
  host.Faults().Fail("AEGP_GetNewEffectStreamByIndex", 0);
  A_Err err = A_Err_NONE;
  AEGP_StreamRefH stream = reinterpret_cast<AEGP_StreamRefH>(1);
  RunWith([&](PF_InData* in, PF_OutData*) {
    auto* pfi = static_cast<const AEGP_PFInterfaceSuite1*>(Acquire(in, kAEGPPFInterfaceSuite, 1));
    auto* fx = static_cast<const AEGP_EffectSuite2*>(Acquire(in, kAEGPEffectSuite, 2));
    auto* streams = static_cast<const AEGP_StreamSuite7*>(Acquire(in, kAEGPStreamSuite, 7));
    AEGP_EffectRefH effect = nullptr;
    pfi->AEGP_GetNewEffectForEffect(0, in->effect_ref, &effect);
    err = streams->AEGP_GetNewEffectStreamByIndex(0, effect, kFakeSlider, &stream);
    fx->AEGP_DisposeEffect(effect);
    Release(in, kAEGPPFInterfaceSuite, 1);
    Release(in, kAEGPEffectSuite, 2);
    Release(in, kAEGPStreamSuite, 7);
  });
  EXPECT_NE(err, A_Err_NONE);
  EXPECT_EQ(stream, nullptr);
  EXPECT_TRUE(host.Violations().empty());
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

}  // namespace
}  // namespace Orvane::Mosaira
