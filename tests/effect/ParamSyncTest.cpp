#include <gtest/gtest.h>

#include <string>

#include "effect/ParamIndices.h"
#include "effect/ParamSync.h"
#include "effect/SequenceCommands.h"
#include "effect/SequenceData.h"
#include "tests/effect/FakeHost.h"
#include "tests/effect/TestLayouts.h"

namespace Orvane::Mosaira {
namespace {

using testing::FakeHost;

class ParamSync : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::InstallLayout(host.in, host.out,
                           testing::MakeLayout(testing::kLayout31Json, 1920, 1080, 3));
    layout = FindLayout(&host.in);
  }
  void TearDown() override {
    EXPECT_EQ(host.OutstandingSuites(), 0);
    EXPECT_EQ(host.checkouts - static_cast<int>(host.failingCheckouts.size()) * checkoutRounds,
              host.checkins);
    SequenceSetdown(&host.in);
  }

  // Makes the host's checkout answer what a push wrote: the layout as it stands.
  void MirrorLayoutIntoHost() {
    PushPointsToParams(&host.in, host.params());
    PushSlidersToParams(&host.in, host.params());
    for (int i = kParamPointFirst; i <= kParamSliderLast; ++i)
      host.checkoutValues[i] = host.param(i);
  }

  int PointParam(const std::string& id) const {
    for (size_t i = 0; i < layout->pointIds.size(); ++i) {
      if (layout->pointIds[i] == id) return kParamPointFirst + static_cast<int>(i);
    }
    return -1;
  }

  PointPosition Position(const std::string& id) const {
    return layout->findPointCopy(id)->getPosition();
  }

  FakeHost host;
  GridLayoutModel* layout = nullptr;
  int checkoutRounds = 0;
};

TEST_F(ParamSync, PushWritesFixedPointsAndPercent) {
  PushPointsToParams(&host.in, host.params());
  PushSlidersToParams(&host.in, host.params());
  const int p6 = PointParam("P6");
  ASSERT_GE(p6, 0);
  EXPECT_EQ(host.param(p6).u.td.x_value, 1920 << 16);
  EXPECT_EQ(host.param(p6).u.td.y_value, 540 << 16);
  EXPECT_EQ(host.param(p6).uu.change_flags, PF_ChangeFlag_CHANGED_VALUE);
  EXPECT_DOUBLE_EQ(host.param(kParamSliderFirst).u.fs_d.value, 50.0);
  EXPECT_EQ(host.param(kParamSliderFirst).uu.change_flags, PF_ChangeFlag_CHANGED_VALUE);
  // Exactly the used parameters: 7 free points (4 corners, P5, P6, P8) and one slider.
  ASSERT_EQ(layout->pointIds.size(), 7u);
  EXPECT_EQ(host.updateUiCalls.size(), 8u);
  EXPECT_EQ(host.param(kParamPointFirst + 7).uu.change_flags, 0);
  EXPECT_EQ(host.param(kParamSliderFirst + 1).uu.change_flags, 0);
}

// Reading twice must not move a point twice; targets outside the layer are clamped to it.
TEST_F(ParamSync, FullResolutionPlacesPointExactlyAndIdempotently) {
  struct Case {
    double x, y, wantX, wantY;
  };
  for (const Case& c : {Case{100.5, 20.25, 100.5, 20.25}, Case{5000.0, -30.0, 1920.0, 0.0}}) {
    MirrorLayoutIntoHost();
    const int p8 = PointParam("P8");
    host.checkoutValues[p8].u.td.x_value = ToFixed16(c.x);
    host.checkoutValues[p8].u.td.y_value = ToFixed16(c.y);
    SyncLayoutFromParams(&host.in, SyncMode::kSyncAll);
    SyncLayoutFromParams(&host.in, SyncMode::kSyncAll);
    EXPECT_DOUBLE_EQ(Position("P8").x, c.wantX) << c.x;
    EXPECT_DOUBLE_EQ(Position("P8").y, c.wantY) << c.y;
    EXPECT_DOUBLE_EQ(layout->findPoint("P8")->getPosition().x, c.wantX);
  }
}

TEST_F(ParamSync, HalfResolutionScalesByTwo) {
  host.in.downsample_x = {1, 2};
  host.in.downsample_y = {1, 2};
  MirrorLayoutIntoHost();
  // What the host hands out at half resolution: layer values halved.
  for (int i = kParamPointFirst; i <= kParamPointLast; ++i) {
    host.checkoutValues[i].u.td.x_value /= 2;
    host.checkoutValues[i].u.td.y_value /= 2;
  }
  const int p8 = PointParam("P8");
  host.checkoutValues[p8].u.td.x_value = 50 << 16;
  host.checkoutValues[p8].u.td.y_value = 10 << 16;
  SyncLayoutFromParams(&host.in, SyncMode::kSyncPoints);
  EXPECT_DOUBLE_EQ(Position("P8").x, 100.0);
  EXPECT_DOUBLE_EQ(Position("P8").y, 20.0);
  EXPECT_DOUBLE_EQ(Position("P6").x, 1920.0);
}

TEST_F(ParamSync, SliderSetsScalarInPointAndCopy) {
  MirrorLayoutIntoHost();
  host.checkoutValues[kParamSliderFirst].u.fs_d.value = 37.5;
  SyncLayoutFromParams(&host.in, SyncMode::kSyncSliders);
  EXPECT_EQ(layout->findPoint("P7")->scalar, 0.375f);
  EXPECT_EQ(layout->findPointCopy("P7")->scalar, 0.375f);
}

TEST_F(ParamSync, ModesReadOnlyTheirParameters) {
  MirrorLayoutIntoHost();
  host.checkoutValues[kParamSliderFirst].u.fs_d.value = 10.0;
  const int p8 = PointParam("P8");
  host.checkoutValues[p8].u.td.x_value = 200 << 16;
  SyncLayoutFromParams(&host.in, SyncMode::kSyncPoints);
  EXPECT_EQ(layout->findPoint("P7")->scalar, 0.5f);
  EXPECT_DOUBLE_EQ(Position("P8").x, 200.0);
  host.checkoutValues[p8].u.td.x_value = 300 << 16;
  SyncLayoutFromParams(&host.in, SyncMode::kSyncSliders);
  EXPECT_DOUBLE_EQ(Position("P8").x, 200.0);
  EXPECT_EQ(layout->findPoint("P7")->scalar, 0.1f);
}

TEST_F(ParamSync, FailedCheckoutSkipsPointWithoutCheckin) {
  MirrorLayoutIntoHost();
  const int p8 = PointParam("P8");
  host.checkoutValues[p8].u.td.x_value = 10 << 16;
  host.failingCheckouts.insert(p8);
  checkoutRounds = 1;
  SyncLayoutFromParams(&host.in, SyncMode::kSyncPoints);
  EXPECT_DOUBLE_EQ(Position("P8").x, 960.0);
}

TEST_F(ParamSync, ZeroDownsampleNumeratorLeavesPoints) {
  MirrorLayoutIntoHost();
  host.in.downsample_x = {0, 1};
  SyncLayoutFromParams(&host.in, SyncMode::kSyncPoints);
  EXPECT_DOUBLE_EQ(Position("P8").x, 960.0);
  EXPECT_DOUBLE_EQ(Position("P8").y, 1080.0);
}

// Whichever parameters a sync reads, it re-insets the frames with the layout's own spacing.
TEST_F(ParamSync, EverySyncReinsetsFrames) {
  MirrorLayoutIntoHost();
  for (SyncMode mode : {SyncMode::kSyncAll, SyncMode::kSyncPoints, SyncMode::kSyncSliders}) {
    layout->spacing = 10.0f;  // as the render shell would have left it
    for (auto& frame : layout->frames) frame->insetPolygons.clear();
    SyncLayoutFromParams(&host.in, mode);
    EXPECT_EQ(layout->spacing, 10.0f);
    for (auto& frame : layout->frames) EXPECT_FALSE(frame->insetPolygons.empty()) << int(mode);
  }
}

// A layout of 30 free points (26 besides the four corners) and 12 sliding points: only the first
// 24 and 9 have parameters, and nothing past them is read or written.
std::string ManyPointsLayout() {
  std::string points;
  for (int i = 0; i < 26; ++i) {
    points += R"({"id":"Q)" + std::to_string(10 + i) + R"(","x":0.5,"y":)" +
              std::to_string((i + 1) / 30.0) + "},";
  }
  for (int i = 0; i < 12; ++i) {
    points += R"({"id":"S)" + std::to_string(10 + i) + R"(","vector":"V1","scalar":0.25},)";
  }
  points.pop_back();
  return R"({"id":"many","frames":[{"id":"F1","polygon":["LEFT_TOP","RIGHT_TOP","RIGHT_BOTTOM",)"
         R"("LEFT_BOTTOM"]}],"points":[)" +
         points + R"(],"vectors":[{"id":"V1","start":"LEFT_TOP","end":"RIGHT_TOP"}]})";
}

TEST(ParamSyncLimits, OnlyTwentyFourPointsAndNineSliders) {
  FakeHost host;
  const std::string json = ManyPointsLayout();
  testing::InstallLayout(host.in, host.out, testing::MakeLayout(json.c_str(), 300, 300, 0));
  const GridLayoutModel* layout = FindLayout(&host.in);
  ASSERT_EQ(layout->pointIds.size(), 30u);
  ASSERT_EQ(layout->sliderIds.size(), 12u);
  PushPointsToParams(&host.in, host.params());
  PushSlidersToParams(&host.in, host.params());
  for (int p = 0; p < kParamCount; ++p) {
    const bool pushed = (p >= kParamPointFirst && p <= kParamPointLast) ||
                        (p >= kParamSliderFirst && p <= kParamSliderLast);
    EXPECT_EQ(host.param(p).uu.change_flags, pushed ? PF_ChangeFlag_CHANGED_VALUE : 0) << p;
  }
  EXPECT_EQ(host.updateUiCalls.size(), 24u + 9u);
  SyncLayoutFromParams(&host.in, SyncMode::kSyncAll);
  EXPECT_EQ(host.checkouts, 24 + 9);
  EXPECT_EQ(host.checkins, 24 + 9);
  EXPECT_EQ(host.OutstandingSuites(), 0);
  SequenceSetdown(&host.in);
}

// A live record without a layout, and a flat record (which counts as none).
TEST(ParamSyncNoLayout, NothingCallsTheHost) {
  for (const bool flat : {false, true}) {
    FakeHost host;
    if (flat) {
      std::vector<uint8_t> bytes(64);
      FlatSequenceData::Write(bytes.data(), R"({"scrollStart":0.0,"interacting":false})");
      host.in.sequence_data = host.NewHandle(bytes);
    } else {
      HandleSequenceSetup(&host.in, &host.out);
      host.in.sequence_data = host.out.sequence_data;
    }
    PushPointsToParams(&host.in, host.params());
    PushSlidersToParams(&host.in, host.params());
    SyncLayoutFromParams(&host.in, SyncMode::kSyncAll);
    EXPECT_EQ(host.checkouts, 0) << flat;
    EXPECT_TRUE(host.updateUiCalls.empty()) << flat;
    EXPECT_EQ(host.OutstandingSuites(), 0) << flat;
    if (!flat) SequenceSetdown(&host.in);
  }
}

TEST(ParamSyncSuites, MissingParamUtilsThrows13) {
  FakeHost host;
  testing::InstallLayout(host.in, host.out,
                         testing::MakeLayout(testing::kLayout31Json, 100, 100, 3));
  host.missingSuites.insert(kPFParamUtilsSuite);
  try {
    PushPointsToParams(&host.in, host.params());
    ADD_FAILURE() << "no exception";
  } catch (A_Err err) {
    EXPECT_EQ(err, A_Err_MISSING_SUITE);
  }
  EXPECT_EQ(host.OutstandingSuites(), 0);
  SequenceSetdown(&host.in);
}

}  // namespace
}  // namespace Orvane::Mosaira
