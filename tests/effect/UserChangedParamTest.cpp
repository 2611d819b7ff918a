#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "effect/ParamIndices.h"
#include "effect/SequenceCommands.h"
#include "effect/SequenceData.h"
#include "effect/UserChangedParam.h"
#include "tests/effect/FakeHost.h"
#include "tests/effect/TestLayouts.h"

namespace Orvane::Mosaira {
namespace {

using testing::FakeHost;

class UserChangedParam : public ::testing::Test {
 protected:
  void TearDown() override {
    EXPECT_EQ(host.OutstandingSuites(), 0);
    EXPECT_EQ(host.openStreams, 0);
    EXPECT_EQ(host.openEffects, 0);
    if (host.in.sequence_data) SequenceSetdown(&host.in);
  }

  void Install(int32_t index) {
    testing::InstallLayout(host.in, host.out,
                           testing::MakeLayout(testing::kLayout31Json, 1920, 1080, index));
  }

  PF_Err Change(PF_ParamIndex index) {
    PF_UserChangedParamExtra extra{index};
    return HandleUserChangedParam(&host.in, &host.out, host.params(), &extra);
  }

  FakeHost host;
};

// Without a live record only a layout choice does anything: it starts a record, so that an
// instance with damaged data can be worked with again.
TEST_F(UserChangedParam, WithoutRecordOnlyALayoutChoiceStartsOne) {
  std::vector<uint8_t> flat(64);
  FlatSequenceData::Write(flat.data(), R"({"scrollStart":0.0,"interacting":false})");
  host.in.sequence_data = host.NewHandle(flat);
  EXPECT_EQ(Change(kParamEdgeInset), PF_Err_NONE);
  EXPECT_EQ(host.out.out_flags, 0);
  EXPECT_EQ(host.checkouts, 0);
  EXPECT_EQ(Change(kParamLayouts), PF_Err_NONE);
  EXPECT_NE(FindLiveRecord(&host.in), nullptr);
  EXPECT_EQ(host.out.sequence_data, host.in.sequence_data);
}

TEST_F(UserChangedParam, SameLayoutKeepsReshaping) {
  Install(5);
  FindLayout(&host.in)->findPoint("P8")->moveBy(-100, 0);
  host.param(kParamLayouts).u.pd.value = kLayoutsFirstLayout + 5;
  EXPECT_EQ(Change(kParamLayouts), PF_Err_NONE);
  ASSERT_NE(FindLayout(&host.in), nullptr);
  EXPECT_EQ(FindLayout(&host.in)->findPoint("P8")->getPosition().x, 860.0);
  EXPECT_TRUE(host.out.out_flags & PF_OutFlag_FORCE_RERENDER);
  EXPECT_EQ(host.setFlagCalls, 0);
}

TEST_F(UserChangedParam, NoLayoutChoiceRemovesLayoutWithoutIndex) {
  Install(-1);  // restored from a project whose layout had no "index"
  host.keyframes[kParamPointFirst] = 2;
  host.keyframes[PolygonParam(4, kPolygonScale)] = 1;
  host.keyframes[kParamEdgeInset] = 3;
  host.param(kParamLayouts).u.pd.value = kLayoutsNone;
  EXPECT_EQ(Change(kParamLayouts), PF_Err_NONE);
  EXPECT_EQ(FindLayout(&host.in), nullptr);
  EXPECT_EQ(host.keyframes[kParamPointFirst], 0);
  EXPECT_EQ(host.keyframes[PolygonParam(4, kPolygonScale)], 0);
  EXPECT_EQ(host.keyframes[kParamEdgeInset], 3);
  EXPECT_TRUE(host.out.out_flags & PF_OutFlag_REFRESH_UI);
  EXPECT_EQ(host.param(kParamPointFirst).uu.change_flags, 0);  // nothing pushed
}

TEST_F(UserChangedParam, NoLayoutChoiceWithoutLayoutOnlyRerenders) {
  testing::InstallLayout(host.in, host.out, nullptr);
  host.keyframes[kParamPointFirst] = 2;
  host.param(kParamLayouts).u.pd.value = kLayoutsNone;
  EXPECT_EQ(Change(kParamLayouts), PF_Err_NONE);
  EXPECT_EQ(host.out.out_flags, PF_OutFlag_FORCE_RERENDER);
  EXPECT_EQ(host.keyframes[kParamPointFirst], 2);
  EXPECT_EQ(host.setFlagCalls, 0);
  EXPECT_TRUE(host.updateUiCalls.empty());
}

TEST_F(UserChangedParam, ChoiceOutsideRegistryRemovesLayout) {
  for (A_long value : {A_long(2 + 104), A_long(5000), std::numeric_limits<A_long>::max(),
                       std::numeric_limits<A_long>::min(), A_long(0), A_long(-7)}) {
    Install(5);
    host.keyframes[kParamSliderFirst] = 1;
    host.param(kParamLayouts).u.pd.value = value;
    EXPECT_EQ(Change(kParamLayouts), PF_Err_NONE) << value;
    EXPECT_EQ(FindLayout(&host.in), nullptr) << value;
    EXPECT_EQ(host.keyframes[kParamSliderFirst], 0) << value;
    SequenceSetdown(&host.in);
    host.in.sequence_data = nullptr;
  }
}

TEST_F(UserChangedParam, MissingSuiteKeepsOldLayout) {
  Install(5);
  host.param(kParamLayouts).u.pd.value = kLayoutsNone;
  for (const char* suite : {kAEGPKeyframeSuite, kPFParamUtilsSuite, kAEGPEffectSuite}) {
    host.missingSuites = {suite};
    EXPECT_THROW(Change(kParamLayouts), A_Err) << suite;
    ASSERT_NE(FindLayout(&host.in), nullptr) << suite;
    EXPECT_EQ(FindLayout(&host.in)->index, 5);
    EXPECT_EQ(host.setFlagCalls, 0);
  }
  host.missingSuites.clear();
}

TEST_F(UserChangedParam, PointAndSliderChangesReadTheirParameters) {
  Install(5);
  EXPECT_EQ(Change(kParamRoundCorner), PF_Err_NONE);
  EXPECT_EQ(host.checkouts, 7);  // the seven free points
  EXPECT_EQ(Change(kParamEdgeSliderGroupStart), PF_Err_NONE);
  EXPECT_EQ(host.checkouts, 8);  // then the one slider
  EXPECT_EQ(host.checkins, host.checkouts);
}

TEST_F(UserChangedParam, OtherParametersOnlyRerender) {
  Install(5);
  for (PF_ParamIndex index :
       std::vector<PF_ParamIndex>{kParamCornerPointGroupEnd, kParamEdgeSliderGroupEnd,
                                  PolygonParam(0, kPolygonLayer), kParamCount - 1}) {
    host.out.out_flags = 0;
    EXPECT_EQ(Change(index), PF_Err_NONE);
    EXPECT_EQ(host.out.out_flags, PF_OutFlag_FORCE_RERENDER);
  }
  EXPECT_EQ(host.checkouts, 0);
}

}  // namespace
}  // namespace Orvane::Mosaira
