#include <gtest/gtest.h>
#include <malloc.h>

#include <cstring>
#include <string>
#include <vector>

#include "effect/ParamIndices.h"
#include "effect/ParamsSetup.h"
#include "tests/effect/PluginFixture.h"

namespace Orvane::Mosaira {
namespace {

using testing::FlattenedText;
using testing::kLayouts31;

class PluginSession : public testing::PluginTest {};

// Version and flags are checked by the host against the property resource after global set-up.
TEST_F(PluginSession, AboutAndRegistration) {
  std::string msg;
  ASSERT_EQ(host.About(&msg), PF_Err_NONE);
  EXPECT_EQ(msg.rfind("Tiletta, v1.0\rTiletta ", 0), 0u) << msg;
  EXPECT_EQ(msg.find('\r'), msg.rfind('\r')) << msg;  // the description once
  EXPECT_EQ(host.RegisteredName(), "QV_Tiletta");
  EXPECT_NE(host.CustomUi(), nullptr);
}

// Commands the effect has no handler for change nothing and break no host rule.
TEST_F(PluginSession, UnhandledCommandsDoNothing) {
  ASSERT_EQ(host.SetPopup(id, kParamLayouts, kLayouts31), PF_Err_NONE);
  const std::vector<uint8_t> before = host.SequenceBytes(id);
  for (PF_Cmd cmd : {-1000, -1, 2, 9, 10, 11, 12, 16, 17, 18, 19, 20, 21, 22, 25, 26, 27, 29, 30, 1000}) {
    EXPECT_EQ(host.Send(id, cmd), PF_Err_NONE) << cmd;
    EXPECT_EQ(host.LastOutData().out_flags, 0) << cmd;
  }
  EXPECT_EQ(host.SequenceBytes(id), before);
}

// The host stores values and keyframes by index with these ranges and defaults, so they are a
// saved format: a changed range or default changes what old projects mean.
TEST_F(PluginSession, SliderRangesAndDefaults) {
  struct Slider {
    int index;
    float validMin, validMax, sliderMin, sliderMax;
    double dephault;
    A_short precision;
    bool percent;
  };
  const Slider sliders[] = {
      {kParamEdgeInset, 0, 800, 0, 200, 0, 2, false},
      {kParamRoundCorner, 0, 100, 0, 100, 0, 2, true},
      {kParamSliderFirst, 0, 100, 0, 100, 0, 3, true},
      {kParamSliderLast, 0, 100, 0, 100, 0, 3, true},
      {PolygonParam(0, kPolygonXOffset), -1000, 1000, -1000, 1000, 0, 0, false},
      {PolygonParam(4, kPolygonYOffset), -1000, 1000, -1000, 1000, 0, 0, false},
      {PolygonParam(8, kPolygonScale), 0, 1000, 0, 300, 100, 1, true},
  };
  for (const Slider& s : sliders) {
    SCOPED_TRACE(s.index);
    const PF_FloatSliderDef& f = host.Definition(s.index).u.fs_d;
    EXPECT_EQ(host.Definition(s.index).param_type, PF_Param_FLOAT_SLIDER);
    EXPECT_EQ(std::vector<float>({f.valid_min, f.valid_max, f.slider_min, f.slider_max}),
              std::vector<float>({s.validMin, s.validMax, s.sliderMin, s.sliderMax}));
    EXPECT_EQ(f.dephault, s.dephault);
    EXPECT_EQ(f.precision, s.precision);
    EXPECT_EQ(f.display_flags, s.percent ? PF_ValueDisplayFlag_PERCENT : 0);
  }
}

TEST_F(PluginSession, NinetyFiveParameters) {
  ASSERT_EQ(host.ParamCount(), kParamCount);
  const PF_ParamDef& layouts = host.Definition(kParamLayouts);
  EXPECT_EQ(layouts.param_type, PF_Param_POPUP);
  EXPECT_EQ(layouts.u.pd.num_choices, 105);
  EXPECT_EQ(layouts.u.pd.dephault, 1);
  EXPECT_EQ(layouts.ui_flags, PF_PUI_CONTROL);
  EXPECT_EQ(std::string(host.Definition(kParamPointFirst + 9).name), "Point 10");
  EXPECT_EQ(std::string(host.Definition(kParamPointLast).name), "Point 24");
  EXPECT_EQ(std::string(host.Definition(kParamSliderLast).name), "Slider 9");
  EXPECT_EQ(std::string(host.Definition(PolygonParam(8, kPolygonGroupStart)).name), "Polygon 9");
  for (int p = 1; p < kParamCount; ++p) {
    const PF_ParamDef& def = host.Definition(p);
    EXPECT_EQ(def.uu.id, p);
    const int offset = p >= kParamPolygonGroupFirst ? (p - kParamPolygonGroupFirst) % 6 : -1;
    const bool placement = offset >= kPolygonXOffset && offset <= kPolygonScale;
    const bool groupMark = p == kParamCornerPointGroupStart || p == kParamCornerPointGroupEnd ||
                           p == kParamEdgeSliderGroupStart || p == kParamEdgeSliderGroupEnd ||
                           offset == kPolygonGroupStart;
    EXPECT_EQ((def.flags & PF_ParamFlag_SUPERVISE) != 0, !placement && !groupMark) << p;
    EXPECT_EQ((def.ui_flags & PF_PUI_INVISIBLE) != 0, p != kParamLayouts && !placement) << p;
    EXPECT_EQ(host.Stream(id, p).Hidden(), p != kParamLayouts && !placement) << p;
  }
}

TEST_F(PluginSession, Loading31PushesVisibilityAndClearsKeyframes) {
  PF_ParamDefUnion value{};
  for (int p : std::vector<int>{kParamEdgeInset, kParamPointFirst, kParamSliderFirst,
                                PolygonParam(0, kPolygonLayer), PolygonParam(8, kPolygonScale)}) {
    value = host.Stream(id, p).StaticValue();
    host.Stream(id, p).AddKeyframe(0.0, value);
    host.Stream(id, p).AddKeyframe(1.0, value);
  }
  ASSERT_EQ(host.SetPopup(id, kParamLayouts, kLayouts31), PF_Err_NONE);

  const std::set<std::pair<A_long, A_long>> expected = {
      {0, 0},         {1920 << 16, 0},         {1920 << 16, 1080 << 16}, {0, 1080 << 16},
      {0, 540 << 16}, {1920 << 16, 540 << 16}, {960 << 16, 1080 << 16}};
  EXPECT_EQ(testing::PointValues(host, id, 7), expected);
  EXPECT_DOUBLE_EQ(host.Stream(id, kParamSliderFirst).StaticValue().fs_d.value, 50.0);

  for (int p = kParamEdgeInset; p < kParamCount; ++p) {
    bool shown = p <= kParamCornerPointGroupStart || p == kParamCornerPointGroupEnd ||
                 (p >= kParamPointFirst && p < kParamPointFirst + 7) ||
                 p == kParamEdgeSliderGroupStart || p == kParamEdgeSliderGroupEnd ||
                 p == kParamSliderFirst || (p >= kParamPolygonGroupFirst && p < PolygonParam(3, 0));
    EXPECT_EQ(host.Stream(id, p).Hidden(), !shown) << p;
  }
  EXPECT_FALSE(host.Stream(id, kParamLayouts).Hidden());
  EXPECT_EQ(host.Stream(id, kParamEdgeInset).Keyframes().size(), 2u);
  EXPECT_TRUE(host.Stream(id, kParamPointFirst).Keyframes().empty());
  EXPECT_TRUE(host.Stream(id, kParamSliderFirst).Keyframes().empty());
  EXPECT_TRUE(host.Stream(id, PolygonParam(0, kPolygonLayer)).Keyframes().empty());
  EXPECT_TRUE(host.Stream(id, PolygonParam(8, kPolygonScale)).Keyframes().empty());
  EXPECT_TRUE(host.LastOutData().out_flags & PF_OutFlag_FORCE_RERENDER);
  EXPECT_TRUE(host.LastOutData().out_flags & PF_OutFlag_REFRESH_UI);
}

// "9-1" (built-in layout 92): 16 free points and 4 sliding points. Exactly point parameters 1 to
// 16 and slider parameters 1 to 4 are written and shown.
TEST_F(PluginSession, SixteenFreePointsUseParametersFiveToTwenty) {
  PF_ParamDefUnion sentinel{};
  sentinel.td.x_value = 7 << 16;
  sentinel.td.y_value = 7 << 16;
  for (int p = kParamPointFirst; p <= kParamPointLast; ++p)
    host.Stream(id, p).SetValue(sentinel, 0);
  PF_ParamDefUnion slider{};
  slider.fs_d.value = 77.0;
  for (int p = kParamSliderFirst; p <= kParamSliderLast; ++p)
    host.Stream(id, p).SetValue(slider, 0);
  ASSERT_EQ(host.SetPopup(id, kParamLayouts, 2 + 92), PF_Err_NONE);
  ASSERT_NE(FlattenedText(host, id).find(R"("id":"9-1")"), std::string::npos);

  for (int p = kParamPointFirst; p <= kParamPointLast; ++p) {
    const bool used = p < kParamPointFirst + 16;
    const PF_PointDef& v = host.Stream(id, p).StaticValue().td;
    EXPECT_EQ(v.x_value == sentinel.td.x_value && v.y_value == sentinel.td.y_value, !used) << p;
    EXPECT_EQ(host.Stream(id, p).Hidden(), !used) << p;
  }
  for (int p = kParamSliderFirst; p <= kParamSliderLast; ++p) {
    const bool used = p < kParamSliderFirst + 4;
    EXPECT_EQ(host.Stream(id, p).StaticValue().fs_d.value == 77.0, !used) << p;
    EXPECT_EQ(host.Stream(id, p).Hidden(), !used) << p;
  }
}

// "9-3" (built-in layout 94) has nine sliding points: all nine slider parameters lose their
// keyframes, take the template's places and are shown.
TEST_F(PluginSession, NineSlidersAllClearedAndWritten) {
  PF_ParamDefUnion slider{};
  slider.fs_d.value = 77.0;
  for (int p = kParamSliderFirst; p <= kParamSliderLast; ++p) {
    host.Stream(id, p).AddKeyframe(0.0, slider);
    host.Stream(id, p).AddKeyframe(2.0, slider);
  }
  ASSERT_EQ(host.SetPopup(id, kParamLayouts, 2 + 94), PF_Err_NONE);
  ASSERT_NE(FlattenedText(host, id).find(R"("id":"9-3")"), std::string::npos);
  for (int p = kParamSliderFirst; p <= kParamSliderLast; ++p) {
    EXPECT_TRUE(host.Stream(id, p).Keyframes().empty()) << p;
    EXPECT_NE(host.Stream(id, p).StaticValue().fs_d.value, 77.0) << p;
    EXPECT_FALSE(host.Stream(id, p).Hidden()) << p;
  }
}

TEST_F(PluginSession, ChoosingNoLayoutRemovesIt) {
  ASSERT_EQ(host.SetPopup(id, kParamLayouts, kLayouts31), PF_Err_NONE);
  ASSERT_EQ(host.SetPopup(id, kParamLayouts, 1), PF_Err_NONE);
  for (int p = kParamEdgeInset; p < kParamCount; ++p) EXPECT_TRUE(host.Stream(id, p).Hidden()) << p;
  ASSERT_EQ(host.Send(id, PF_Cmd_GET_FLATTENED_SEQUENCE_DATA), PF_Err_NONE);
  EXPECT_EQ(host.LastFlattenedCopy().size(), 64u);
}

TEST_F(PluginSession, HalfResolutionUpdateKeepsLayout) {
  ASSERT_EQ(host.SetPopup(id, kParamLayouts, kLayouts31), PF_Err_NONE);
  const std::string before = FlattenedText(host, id);
  ASSERT_NE(before.find(R"("id":"3-1")"), std::string::npos);
  // The host hands out point values halved; the effect scales them back to layer pixels.
  host.Context().downsampleX = {1, 2};
  host.Context().downsampleY = {1, 2};
  ASSERT_EQ(host.Send(id, PF_Cmd_UPDATE_PARAMS_UI), PF_Err_NONE);
  EXPECT_EQ(FlattenedText(host, id), before);
}

// A point parameter moves its layout point, clamped to the layer; a slider sets its point's place
// on its vector; choosing the layout again keeps what they did.
TEST_F(PluginSession, PointAndSliderParametersReshapeTheLayout) {
  const struct {
    double x, y, slider;
    const char* point;
    const char* scalar;
  } cases[] = {{480.0, 1080.0, 50.0, R"("x":0.25,"y":1.0)", R"("scalar":0.5)"},
               {-30.0, 810.0, 37.5, R"("x":0.0,"y":0.75)", R"("scalar":0.375)"}};
  ASSERT_EQ(host.SetPopup(id, kParamLayouts, kLayouts31), PF_Err_NONE);
  const int p8 = testing::PointParamAt(host, id, 960, 1080);
  ASSERT_NE(p8, -1);
  for (const auto& c : cases) {
    ASSERT_EQ(host.SetPointPx(id, p8, c.x, c.y), PF_Err_NONE);
    ASSERT_EQ(host.SetFloat(id, kParamSliderFirst, c.slider), PF_Err_NONE);
    const std::string text = FlattenedText(host, id);
    EXPECT_NE(text.find(c.point), std::string::npos) << text;
    EXPECT_NE(text.find(c.scalar), std::string::npos) << text;
  }
  // Choosing the same layout again keeps the reshaped one.
  const PF_PointDef moved = host.Stream(id, p8).StaticValue().td;
  ASSERT_EQ(host.SetPopup(id, kParamLayouts, kLayouts31), PF_Err_NONE);
  EXPECT_EQ(host.Stream(id, p8).StaticValue().td.x_value, moved.x_value);
}

TEST_F(PluginSession, DuplicateCarriesTheLayout) {
  ASSERT_EQ(host.SetPopup(id, kParamLayouts, kLayouts31), PF_Err_NONE);
  PF_Err err = PF_Err_NONE;
  const InstanceId copy = host.DuplicateInstance(id, &err);
  ASSERT_NE(copy, kNoInstance) << err;
  EXPECT_EQ(FlattenedText(host, copy), FlattenedText(host, id));
  EXPECT_EQ(host.SetPopup(copy, kParamLayouts, 1), PF_Err_NONE);
  EXPECT_NE(FlattenedText(host, id).find(R"("id":"3-1")"), std::string::npos);
}

// Re-set-up hands a live record back as it is without the handle suite; a flat record needs the
// suite to come back to life, and stays as it is, to come back later, while the suite is missing.
TEST_F(PluginSession, ReSetUpNeedsTheHandleSuiteOnlyForAFlatRecord) {
  ASSERT_EQ(host.SetPopup(id, kParamLayouts, kLayouts31), PF_Err_NONE);
  const std::string text = FlattenedText(host, id);
  const PF_Handle live = host.SequenceHandle(id);
  const std::vector<uint8_t> liveBytes = host.SequenceBytes(id);
  host.Suites().SetMissing("PF Handle Suite", 2, true);
  EXPECT_EQ(host.Send(id, PF_Cmd_SEQUENCE_RESETUP), PF_Err_NONE);
  EXPECT_EQ(host.SequenceHandle(id), live);
  EXPECT_EQ(host.SequenceBytes(id), liveBytes);

  host.Suites().SetMissing("PF Handle Suite", 2, false);
  ASSERT_EQ(host.Send(id, PF_Cmd_SEQUENCE_FLATTEN), PF_Err_NONE);
  const std::vector<uint8_t> flatBytes = host.SequenceBytes(id);
  host.Suites().SetMissing("PF Handle Suite", 2, true);
  EXPECT_EQ(host.Send(id, PF_Cmd_SEQUENCE_RESETUP), PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_EQ(host.SequenceBytes(id), flatBytes);
  host.Suites().SetMissing("PF Handle Suite", 2, false);
  EXPECT_EQ(host.Send(id, PF_Cmd_SEQUENCE_RESETUP), PF_Err_NONE);
  EXPECT_EQ(FlattenedText(host, id), text);
}

// What a save does to an instance: its data flattened, then set up again.
void Resave(SimulatedHost& host, InstanceId id) {
  EXPECT_EQ(host.Send(id, PF_Cmd_SEQUENCE_FLATTEN), PF_Err_NONE);
  EXPECT_EQ(host.Send(id, PF_Cmd_SEQUENCE_RESETUP), PF_Err_NONE);
}

// Bytes of the process's heap in use (sanitizer builds keep their own books and may answer 0).
long long HeapInUse() {
  const struct mallinfo2 info = mallinfo2();
  return static_cast<long long>(info.uordblks + info.hblkhd);
}

// An instance saved (its record flattened and set up again) and then removed leaves no layout
// behind: a hundred more of them hold less heap than a few dozen of their layouts.
TEST_F(PluginSession, SavedThenRemovedInstancesLeaveNoLayoutBehind) {
  const auto round = [this] {
    const InstanceId other = host.AddInstance(1920, 1080);
    ASSERT_EQ(host.SetPopup(other, kParamLayouts, 2 + 92), PF_Err_NONE);  // "9-1"
    Resave(host, other);
    ASSERT_EQ(host.RemoveInstance(other), PF_Err_NONE);
  };
  round();
  const long long before = HeapInUse();
  for (int i = 0; i < 100; ++i) round();
  EXPECT_LT(HeapInUse() - before, 100 * 4096);  // the host's own books; a "9-1" layout takes 18 KB
}

// Sequence bytes that are no record (a damaged project): a layout choice, and the re-set-up that
// follows a save, each start a fresh record, so the user can work again.
TEST_F(PluginSession, DamagedSequenceBytesStartAFreshRecord) {
  const InstanceId other = host.AddInstance(640, 480);
  for (InstanceId which : {id, other}) {
    PF_Handle handle = host.SequenceHandle(which);
    std::memset(*handle, 0x5A, size_t(host.Handles().Size(handle)));
    ASSERT_EQ(FlattenedText(host, which), "");
  }
  ASSERT_EQ(host.SetPopup(other, kParamLayouts, kLayouts31), PF_Err_NONE);
  EXPECT_NE(FlattenedText(host, other).find(R"("id":"3-1")"), std::string::npos);
  Resave(host, id);
  EXPECT_EQ(FlattenedText(host, id), R"({"scrollStart":0.0,"interacting":false})");
}

// Saves while the layer is empty write the reshaped layout back as it was; it returns at the
// layer's next real size.
TEST_F(PluginSession, EmptyLayerKeepsTheReshapedLayoutThroughSaves) {
  ASSERT_EQ(host.SetPopup(id, kParamLayouts, kLayouts31), PF_Err_NONE);
  const std::string chosen = FlattenedText(host, id);
  ASSERT_EQ(host.SetPointPx(id, kParamPointFirst + 6, 100.0, 700.0), PF_Err_NONE);
  const std::string reshaped = FlattenedText(host, id);
  ASSERT_NE(reshaped, chosen);
  for (const auto& [w, h] : {std::pair<A_long, A_long>{0, 0}, {1920, 0}, {1920, 1080}}) {
    ASSERT_TRUE(host.SetLayerSize(id, w, h));
    Resave(host, id);
    Resave(host, id);
    ASSERT_EQ(host.Send(id, PF_Cmd_UPDATE_PARAMS_UI), PF_Err_NONE);
    EXPECT_EQ(FlattenedText(host, id), reshaped) << w << " x " << h;
  }
}

}  // namespace
}  // namespace Orvane::Mosaira
