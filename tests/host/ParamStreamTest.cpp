#include "host/ParamStream.h"

#include <gtest/gtest.h>

#include <limits>

namespace Orvane::Mosaira {
namespace {

PF_ParamDef Def(PF_ParamType type) {
  PF_ParamDef d{};
  d.param_type = type;
  return d;
}

PF_ParamDefUnion Point(PF_Fixed x, PF_Fixed y) {
  PF_ParamDefUnion u{};
  u.td.x_value = x;
  u.td.y_value = y;
  return u;
}

TEST(ParamStreamValue, KeyframesHoldOutsideAndInterpolateInside) {
  ParamStream s(Def(PF_Param_POINT));
  s.AddKeyframe(1.0, Point(0, 100));
  s.AddKeyframe(3.0, Point(101, 0));
  EXPECT_EQ(s.ValueAt(0.0).td.y_value, 100);
  EXPECT_EQ(s.ValueAt(5.0).td.x_value, 101);
  EXPECT_EQ(s.ValueAt(2.0).td.x_value, 51);  // 50.5 rounds away from zero
  EXPECT_EQ(s.ValueAt(2.0).td.y_value, 50);
}

TEST(ParamStreamValue, PopupHoldsBetweenKeyframes) {
  ParamStream s(Def(PF_Param_POPUP));
  PF_ParamDefUnion a{}, b{};
  a.pd.value = 2;
  b.pd.value = 4;
  s.AddKeyframe(0.0, a);
  s.AddKeyframe(1.0, b);
  EXPECT_EQ(s.ValueAt(0.99).pd.value, 2);
  EXPECT_EQ(s.ValueAt(1.0).pd.value, 4);
}

TEST(ParamStreamValue, SetValueWithKeyframesSetsKeyAtTime) {
  ParamStream s(Def(PF_Param_FLOAT_SLIDER));
  PF_ParamDefUnion v{};
  s.AddKeyframe(0.0, v);
  v.fs_d.value = 8.0;
  s.SetValue(v, 2.0);
  EXPECT_EQ(s.Keyframes().size(), 2u);
  EXPECT_EQ(s.ValueAt(1.0).fs_d.value, 4.0);
  s.SetValue(v, 0.0);  // replaces the key at 0
  EXPECT_EQ(s.Keyframes().size(), 2u);
}

TEST(ParamStreamKeyframes, DeletingLastKeepsItsValue) {
  ParamStream s(Def(PF_Param_FLOAT_SLIDER));
  PF_ParamDefUnion v{};
  v.fs_d.value = 3.0;
  s.AddKeyframe(1.0, v);
  EXPECT_FALSE(s.DeleteKeyframe(1));
  EXPECT_TRUE(s.DeleteKeyframe(0));
  EXPECT_TRUE(s.Keyframes().empty());
  EXPECT_EQ(s.ValueAt(0.0).fs_d.value, 3.0);
}

TEST(ParamStreamScale, PointsScaleByNumOverDenOthersUntouched) {
  PF_ParamDef d = Def(PF_Param_POINT);
  d.u.td.x_value = 100 * 65536;
  d.u.td.y_value = -3;
  ParamStream::ScalePoint(&d, {1, 2}, {1, 2});
  EXPECT_EQ(d.u.td.x_value, 50 * 65536);
  EXPECT_EQ(d.u.td.y_value, -2);  // -1.5 rounds away from zero
  // A zero denominator leaves the value; an overflow clamps.
  d.u.td.x_value = 7;
  d.u.td.y_value = std::numeric_limits<PF_Fixed>::max();
  ParamStream::ScalePoint(&d, {1, 0}, {4, 1});
  EXPECT_EQ(d.u.td.x_value, 7);
  EXPECT_EQ(d.u.td.y_value, std::numeric_limits<PF_Fixed>::max());
  PF_ParamDef slider = Def(PF_Param_FLOAT_SLIDER);
  slider.u.fs_d.value = 10.0;
  ParamStream::ScalePoint(&slider, {1, 2}, {1, 2});
  EXPECT_EQ(slider.u.fs_d.value, 10.0);
}

TEST(ParamStreamCommand, ClearsChangeFlagWordAndKeepsRanges) {
  PF_ParamDef d = Def(PF_Param_FLOAT_SLIDER);
  d.uu.id = 1;  // would read as PF_ChangeFlag_CHANGED_VALUE if handed on
  d.u.fs_d.valid_max = 100;
  d.u.fs_d.value = 3;
  ParamStream s(d);
  const PF_ParamDef c = s.ForCommand(0.0);
  EXPECT_EQ(c.uu.change_flags, 0);
  EXPECT_EQ(c.u.fs_d.valid_max, 100);
  EXPECT_EQ(c.u.fs_d.value, 3);
}

TEST(ParamStreamDiffers, ByTypeOnly) {
  ParamStream s(Def(PF_Param_POPUP));
  PF_ParamDefUnion a{}, b{};
  a.pd.value = 1;
  b.pd.value = 1;
  b.pd.num_choices = 9;  // not a value field
  EXPECT_FALSE(s.Differs(a, b));
  b.pd.value = 2;
  EXPECT_TRUE(s.Differs(a, b));
}

}  // namespace
}  // namespace Orvane::Mosaira
