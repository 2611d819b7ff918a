// What the host receives at parameter set-up, against the table the parameters are stored by:
// kind, name, flags, user-interface flags and settings of all 94 definitions, and the custom user
// interface's event mask. Projects keep values and keyframes under these definitions: a dropped
// flag, a changed range or default or a lost event bit changes what users and old projects get.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "effect/ParamIndices.h"
#include "tests/effect/PluginFixture.h"

namespace Orvane::Mosaira {
namespace {

constexpr PF_ParamFlags TV = PF_ParamFlag_CANNOT_TIME_VARY, IN = PF_ParamFlag_CANNOT_INTERP,
                        CT = PF_ParamFlag_COLLAPSE_TWIRLY, SV = PF_ParamFlag_SUPERVISE;
constexpr PF_ParamUIFlags INV = PF_PUI_INVISIBLE;

// Float sliders' settings: valid min, max, slider min, max, default, precision, percent (1 or 0).
using Slider = std::vector<double>;

struct Row {
  PF_ParamType type;
  std::string name;
  PF_ParamFlags flags;
  PF_ParamUIFlags uiFlags;
  Slider slider;
};

// Index 0, the host's input layer, is not the effect's.
std::vector<Row> Table() {
  const Slider offset = {-1000, 1000, -1000, 1000, 0, 0, 0};
  std::vector<Row> t = {{},
                        {PF_Param_POPUP, "Layouts", TV | IN | SV, PF_PUI_CONTROL, {}},
                        {PF_Param_FLOAT_SLIDER, "Edge Inset", SV, INV, {0, 800, 0, 200, 0, 2, 0}},
                        {PF_Param_FLOAT_SLIDER, "Round Corner", SV, INV, {0, 100, 0, 100, 0, 2, 1}},
                        {PF_Param_GROUP_START, "Corner Point Controls", 0, INV, {}}};
  for (int i = 1; i <= 24; ++i) t.push_back({PF_Param_POINT, "Point " + std::to_string(i), SV, INV, {}});
  t.push_back({PF_Param_GROUP_END, "", 0, INV, {}});
  t.push_back({PF_Param_GROUP_START, "Edge Slider Controls", 0, INV, {}});
  for (int i = 1; i <= 9; ++i) {
    t.push_back({PF_Param_FLOAT_SLIDER, "Slider " + std::to_string(i), SV, INV, {0, 100, 0, 100, 0, 3, 1}});
  }
  t.push_back({PF_Param_GROUP_END, "", 0, INV, {}});
  for (int k = 1; k <= 9; ++k) {
    t.insert(t.end(), {{PF_Param_GROUP_START, "Polygon " + std::to_string(k), CT, INV, {}},
                       {PF_Param_LAYER, "Layer", CT | SV, INV, {}},
                       {PF_Param_FLOAT_SLIDER, "X offset", 0, 0, offset},
                       {PF_Param_FLOAT_SLIDER, "Y offset", 0, 0, offset},
                       {PF_Param_FLOAT_SLIDER, "Scale", 0, 0, {0, 1000, 0, 300, 100, 1, 1}},
                       {PF_Param_GROUP_END, "", CT | SV, INV, {}}});
  }
  return t;
}

void ExpectSettings(const PF_ParamDef& def, const Row& row) {
  const PF_ParamDefUnion& u = def.u;
  if (row.type == PF_Param_POPUP) {
    EXPECT_EQ(u.pd.num_choices, 105);  // no layout and the 104 built-in ones
    EXPECT_TRUE(u.pd.value == 1 && u.pd.dephault == 1);
    EXPECT_EQ(std::string(u.pd.u.namesptr), std::string(110, '|'));
  } else if (row.type == PF_Param_FLOAT_SLIDER) {
    const PF_FloatSliderDef& s = u.fs_d;
    EXPECT_EQ(Slider({s.valid_min, s.valid_max, s.slider_min, s.slider_max, s.dephault, double(s.precision),
                      double(s.display_flags == PF_ValueDisplayFlag_PERCENT)}),
              row.slider);
    EXPECT_EQ(s.display_flags & ~PF_ValueDisplayFlag_PERCENT, 0);
    EXPECT_EQ(s.value, s.dephault);
    EXPECT_TRUE(s.phase == 0 && s.fs_flags == 0 && s.curve_tolerance == 0.05f);
  } else if (row.type == PF_Param_POINT) {
    EXPECT_TRUE(u.td.x_value == 0 && u.td.y_value == 0 && u.td.x_dephault == 0 && u.td.y_dephault == 0);
    EXPECT_EQ(u.td.restrict_bounds, 1);
  } else if (row.type == PF_Param_LAYER) {
    EXPECT_EQ(u.ld.dephault, PF_LayerDefault_NONE);
  }
}

class ParamDefinitions : public testing::PluginTest {};

TEST_F(ParamDefinitions, EveryDefinitionIsTheTables) {
  const std::vector<Row> table = Table();
  ASSERT_EQ(table.size(), size_t(kParamCount));
  ASSERT_EQ(host.ParamCount(), kParamCount);
  for (int p = 1; p < kParamCount; ++p) {
    SCOPED_TRACE("parameter " + std::to_string(p));
    const PF_ParamDef& def = host.Definition(p);
    const Row& row = table[size_t(p)];
    EXPECT_EQ(def.uu.id, p);
    EXPECT_EQ(def.param_type, row.type);
    EXPECT_EQ(std::string(def.name), row.name);
    EXPECT_EQ(def.flags, row.flags);
    EXPECT_EQ(def.ui_flags, row.uiFlags);
    EXPECT_EQ(def.ui_width, p == kParamLayouts ? 200 : 0);
    EXPECT_EQ(def.ui_height, p == kParamLayouts ? 260 : 0);
    ExpectSettings(def, row);
  }
}

// Events of the composition window, the layer window and the effect-controls panel, and no size
// or alignment of its own in any of them.
TEST_F(ParamDefinitions, CustomUiTakesTheThreeWindowsEvents) {
  ASSERT_NE(host.CustomUi(), nullptr);
  PF_CustomUIInfo expected{};
  expected.events = PF_CustomEFlag_COMP | PF_CustomEFlag_LAYER | PF_CustomEFlag_EFFECT;
  EXPECT_EQ(host.CustomUi()->events, expected.events);
  EXPECT_EQ(std::memcmp(host.CustomUi(), &expected, sizeof expected), 0);
}

}  // namespace
}  // namespace Orvane::Mosaira
