// What the host receives at parameter set-up, definition by definition: kind, name, flags, user-
// interface flags and settings of all 94 definitions against the table the parameters are stored
// by, and the custom user interface's event mask. Every definition starts cleared, so any field
// the table does not name must arrive as zero. Projects keep values and keyframes under these
// definitions: a dropped flag, a changed range or a lost event bit changes what users and old
// projects get.
#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <vector>

#include "effect/ParamIndices.h"
#include "tests/effect/PluginFixture.h"

namespace Orvane::Mosaira {
namespace {

constexpr PF_ParamFlags TV = PF_ParamFlag_CANNOT_TIME_VARY, IN = PF_ParamFlag_CANNOT_INTERP,
                        CT = PF_ParamFlag_COLLAPSE_TWIRLY, SV = PF_ParamFlag_SUPERVISE;
constexpr PF_ParamUIFlags INV = PF_PUI_INVISIBLE, CTL = PF_PUI_CONTROL;

struct Slider {
  float validMin, validMax, sliderMin, sliderMax;
  double dephault;
  A_short precision;
  bool percent;
};

struct Row {
  PF_ParamType type;
  std::string name;
  PF_ParamFlags flags;
  PF_ParamUIFlags uiFlags;
  Slider slider;  // float sliders only
};

// The table, index 1 to 94, numbered rows written out.
std::vector<Row> Table() {
  std::vector<Row> t(1);  // index 0: the host's input layer
  t.push_back({PF_Param_POPUP, "Layouts", TV | IN | SV, CTL, {}});
  t.push_back({PF_Param_FLOAT_SLIDER, "Edge Inset", SV, INV, {0, 800, 0, 200, 0, 2, false}});
  t.push_back({PF_Param_FLOAT_SLIDER, "Round Corner", SV, INV, {0, 100, 0, 100, 0, 2, true}});
  t.push_back({PF_Param_GROUP_START, "Corner Point Controls", 0, INV, {}});
  for (int i = 1; i <= 24; ++i) t.push_back({PF_Param_POINT, "Point " + std::to_string(i), SV, INV, {}});
  t.push_back({PF_Param_GROUP_END, "", 0, INV, {}});
  t.push_back({PF_Param_GROUP_START, "Edge Slider Controls", 0, INV, {}});
  for (int i = 1; i <= 9; ++i) {
    t.push_back({PF_Param_FLOAT_SLIDER, "Slider " + std::to_string(i), SV, INV, {0, 100, 0, 100, 0, 3, true}});
  }
  t.push_back({PF_Param_GROUP_END, "", 0, INV, {}});
  for (int k = 0; k < 9; ++k) {
    t.push_back({PF_Param_GROUP_START, "Polygon " + std::to_string(k + 1), CT, INV, {}});
    t.push_back({PF_Param_LAYER, "Layer", CT | SV, INV, {}});
    t.push_back({PF_Param_FLOAT_SLIDER, "X offset", 0, 0, {-1000, 1000, -1000, 1000, 0, 0, false}});
    t.push_back({PF_Param_FLOAT_SLIDER, "Y offset", 0, 0, {-1000, 1000, -1000, 1000, 0, 0, false}});
    t.push_back({PF_Param_FLOAT_SLIDER, "Scale", 0, 0, {0, 1000, 0, 300, 100, 1, true}});
    t.push_back({PF_Param_GROUP_END, "", CT | SV, INV, {}});
  }
  return t;
}

// Whether `size` bytes from `first` are all zero.
bool ZeroBytes(const void* first, size_t size) {
  const auto* bytes = static_cast<const unsigned char*>(first);
  for (size_t i = 0; i < size; ++i) {
    if (bytes[i] != 0) return false;
  }
  return true;
}

void ExpectSettings(const PF_ParamDef& def, const Row& row) {
  const PF_ParamDefUnion& u = def.u;
  switch (row.type) {
    case PF_Param_POPUP:
      EXPECT_EQ(u.pd.num_choices, 105);  // no layout and the 104 built-in ones
      EXPECT_EQ(u.pd.value, 1);
      EXPECT_EQ(u.pd.dephault, 1);
      EXPECT_EQ(std::string(u.pd.u.namesptr), std::string(110, '|'));
      break;
    case PF_Param_FLOAT_SLIDER: {
      const Slider& s = row.slider;
      EXPECT_EQ(std::vector<float>({u.fs_d.valid_min, u.fs_d.valid_max, u.fs_d.slider_min, u.fs_d.slider_max}),
                std::vector<float>({s.validMin, s.validMax, s.sliderMin, s.sliderMax}));
      EXPECT_EQ(u.fs_d.value, s.dephault);
      EXPECT_EQ(u.fs_d.dephault, s.dephault);
      EXPECT_EQ(u.fs_d.precision, s.precision);
      EXPECT_EQ(u.fs_d.display_flags, s.percent ? PF_ValueDisplayFlag_PERCENT : 0);
      EXPECT_EQ(u.fs_d.phase, 0.0);
      EXPECT_EQ(u.fs_d.fs_flags, 0);
      EXPECT_EQ(u.fs_d.curve_tolerance, 0.05f);
      break;
    }
    case PF_Param_POINT:
      EXPECT_TRUE(u.td.x_value == 0 && u.td.y_value == 0 && u.td.x_dephault == 0 && u.td.y_dephault == 0);
      EXPECT_EQ(u.td.restrict_bounds, 1);
      break;
    case PF_Param_LAYER:
      EXPECT_EQ(u.ld.dephault, PF_LayerDefault_NONE);
      EXPECT_TRUE(ZeroBytes(&u.ld, offsetof(PF_LayerDef, dephault)));
      break;
    default:
      EXPECT_TRUE(ZeroBytes(&u, sizeof u)) << "a group marker carries settings";
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
  const PF_CustomUIInfo* ui = host.CustomUi();
  ASSERT_NE(ui, nullptr);
  EXPECT_EQ(ui->events, PF_CustomEFlag_COMP | PF_CustomEFlag_LAYER | PF_CustomEFlag_EFFECT);
  EXPECT_EQ(ui->reserved, 0);
  EXPECT_TRUE(ZeroBytes(&ui->comp_ui_width, sizeof *ui - offsetof(PF_CustomUIInfo, comp_ui_width)));
}

// The first definition the host refuses ends the set-up: nothing more is added, nothing registered.
TEST(ParamDefinitionsRefused, FirstRefusalEndsTheSetUp) {
  SimulatedHost host;
  testing::LoadPlugin(host);
  host.Faults().Fail("add_param", 10);
  EXPECT_EQ(host.AddInstance(640, 480), kNoInstance);
  EXPECT_EQ(host.Faults().Calls("add_param"), 11u);
  EXPECT_EQ(host.Faults().Calls("register_ui"), 0u);
  EXPECT_EQ(host.CustomUi(), nullptr);
  host.Shutdown();
}

}  // namespace
}  // namespace Orvane::Mosaira
