#include <gtest/gtest.h>

#include "effect/ParamIndices.h"
#include "effect/ParamVisibility.h"
#include "effect/SequenceCommands.h"
#include "tests/effect/FakeHost.h"
#include "tests/effect/TestLayouts.h"

namespace Orvane::Mosaira {
namespace {

using testing::FakeHost;

bool Hidden(FakeHost& host, int index) {
  return (host.streamFlags[index] & AEGP_DynStreamFlag_HIDDEN) != 0;
}

void SeedAll(FakeHost& host, bool hidden) {
  for (int p = 0; p < kParamCount; ++p)
    host.streamFlags[p] = hidden ? AEGP_DynStreamFlag_HIDDEN : 0;
}

class Visibility : public ::testing::Test {
 protected:
  void TearDown() override {
    EXPECT_EQ(host.OutstandingSuites(), 0);
    EXPECT_EQ(host.openStreams, 0);
    EXPECT_EQ(host.openEffects, 0);
    SequenceSetdown(&host.in);
  }
  FakeHost host;
};

TEST_F(Visibility, LayoutShowsItsParameters) {
  testing::InstallLayout(host.in, host.out,
                         testing::MakeLayout(testing::kLayout31Json, 1920, 1080, 3));
  SeedAll(host, true);
  UpdateParamVisibility(&host.in, &host.out, host.params());
  // Which parameters a layout shows is checked through the plug-in in the end-to-end tests; here the
  // partly used sections' edges.
  EXPECT_FALSE(Hidden(host, kParamPointFirst + 6));
  EXPECT_TRUE(Hidden(host, kParamPointFirst + 7));
  EXPECT_FALSE(Hidden(host, kParamSliderFirst));
  EXPECT_TRUE(Hidden(host, kParamSliderFirst + 1));
  EXPECT_TRUE(Hidden(host, kParamLayouts));  // never touched: stays as seeded
  EXPECT_TRUE(host.out.out_flags & PF_OutFlag_REFRESH_UI);
  EXPECT_TRUE(host.param(kParamSliderFirst).flags & PF_ParamFlag_COLLAPSE_TWIRLY);
  EXPECT_TRUE(host.param(PolygonParam(2, kPolygonGroupStart)).flags & PF_ParamFlag_COLLAPSE_TWIRLY);
  EXPECT_FALSE(host.param(PolygonParam(3, kPolygonGroupStart)).flags &
               PF_ParamFlag_COLLAPSE_TWIRLY);
}

TEST_F(Visibility, SecondPassOnlyCollapses) {
  testing::InstallLayout(host.in, host.out,
                         testing::MakeLayout(testing::kLayout31Json, 1920, 1080, 3));
  SeedAll(host, true);
  UpdateParamVisibility(&host.in, &host.out, host.params());
  host.setFlagCalls = 0;
  host.updateUiCalls.clear();
  UpdateParamVisibility(&host.in, &host.out, host.params());
  EXPECT_EQ(host.setFlagCalls, 0);
  // One visible slider and three visible polygon group starts.
  EXPECT_EQ(host.updateUiCalls, (std::vector<int>{31, 41, 47, 53}));
}

TEST_F(Visibility, NoLayoutHidesEverythingButLayouts) {
  HandleSequenceSetup(&host.in, &host.out);
  host.in.sequence_data = host.out.sequence_data;
  SeedAll(host, false);
  UpdateParamVisibility(&host.in, &host.out, host.params());
  EXPECT_FALSE(Hidden(host, kParamInputLayer));
  EXPECT_FALSE(Hidden(host, kParamLayouts));
  for (int p = kParamEdgeInset; p < kParamCount; ++p) EXPECT_TRUE(Hidden(host, p)) << p;
}

TEST(VisibilityPlan, Sections) {
  VisibilityPlan plan{true, 16, 0, 9};
  EXPECT_TRUE(plan.Shown(kParamPointFirst + 15));
  EXPECT_FALSE(plan.Shown(kParamPointFirst + 16));
  for (int p = kParamEdgeSliderGroupStart; p <= kParamEdgeSliderGroupEnd; ++p)
    EXPECT_FALSE(plan.Shown(p));
  EXPECT_TRUE(plan.Shown(kParamCount - 1));
  VisibilityPlan noPoints{true, 0, 9, 1};
  for (int p = kParamCornerPointGroupStart; p <= kParamCornerPointGroupEnd; ++p) {
    EXPECT_FALSE(noPoints.Shown(p));
  }
  EXPECT_TRUE(noPoints.Shown(kParamSliderLast));
  EXPECT_TRUE(noPoints.Shown(PolygonParam(0, kPolygonGroupEnd)));
  EXPECT_FALSE(noPoints.Shown(PolygonParam(1, kPolygonGroupStart)));
}

TEST(DeleteAllKeyframes, DeletesEachKeyframe) {
  FakeHost host;
  host.keyframes[7] = 3;
  DeleteAllKeyframes(&host.in, 0, nullptr, 7);
  EXPECT_EQ(host.keyframes[7], 0);
  EXPECT_EQ(host.deleteKeyframeCalls, 3);
  DeleteAllKeyframes(&host.in, 0, nullptr, 8);
  EXPECT_EQ(host.deleteKeyframeCalls, 3);
  EXPECT_EQ(host.openStreams, 0);
  EXPECT_EQ(host.OutstandingSuites(), 0);
}

TEST(DeleteAllKeyframes, MissingSuiteThrows13) {
  FakeHost host;
  host.missingSuites.insert(kAEGPKeyframeSuite);
  EXPECT_THROW(DeleteAllKeyframes(&host.in, 0, nullptr, 7), A_Err);
  EXPECT_EQ(host.OutstandingSuites(), 0);
}

}  // namespace
}  // namespace Orvane::Mosaira
