#include <gtest/gtest.h>

#include <string>

#include "effect/ParamIndices.h"
#include "effect/ParamsSetup.h"
#include "tests/effect/FakeHost.h"

namespace Orvane::Mosaira {
namespace {

using testing::FakeHost;

// The host stores values and keyframes by index with these ranges and defaults, so they are a
// saved format: a changed range or default changes what old projects mean.
struct ExpectedSlider {
  int index;
  float validMin, validMax, sliderMin, sliderMax;
  double dephault;
  A_short precision;
  bool percent;
};

constexpr ExpectedSlider kSliders[] = {
    {kParamEdgeInset, 0, 800, 0, 200, 0, 2, false},
    {kParamRoundCorner, 0, 100, 0, 100, 0, 2, true},
    {kParamSliderFirst, 0, 100, 0, 100, 0, 3, true},
    {kParamSliderLast, 0, 100, 0, 100, 0, 3, true},
    {PolygonParam(0, kPolygonXOffset), -1000, 1000, -1000, 1000, 0, 0, false},
    {PolygonParam(4, kPolygonYOffset), -1000, 1000, -1000, 1000, 0, 0, false},
    {PolygonParam(8, kPolygonScale), 0, 1000, 0, 300, 100, 1, true},
};

class ParamsSetup : public ::testing::Test {
 protected:
  PF_Err Run() { return HandleParamsSetup(&host.in, &host.out); }
  // The definition added for parameter `index` (the effect adds 1 to 94 in order).
  const PF_ParamDef& Added(int index) const {
    return host.addedParams.at(static_cast<size_t>(index - 1));
  }
  FakeHost host;
};

// Parameter ids in order, the count and the custom UI are checked through the plug-in end to end.
TEST_F(ParamsSetup, SliderRangesAndDefaults) {
  ASSERT_EQ(Run(), PF_Err_NONE);
  ASSERT_EQ(host.addedParams.size(), 94u);
  for (const ExpectedSlider& s : kSliders) {
    const PF_ParamDef& def = Added(s.index);
    const PF_FloatSliderDef& f = def.u.fs_d;
    EXPECT_EQ(def.param_type, PF_Param_FLOAT_SLIDER) << s.index;
    EXPECT_EQ(f.valid_min, s.validMin) << s.index;
    EXPECT_EQ(f.valid_max, s.validMax) << s.index;
    EXPECT_EQ(f.slider_min, s.sliderMin) << s.index;
    EXPECT_EQ(f.slider_max, s.sliderMax) << s.index;
    EXPECT_EQ(f.value, s.dephault) << s.index;
    EXPECT_EQ(f.dephault, s.dephault) << s.index;
    EXPECT_EQ(f.precision, s.precision) << s.index;
    EXPECT_EQ(f.display_flags, s.percent ? PF_ValueDisplayFlag_PERCENT : 0) << s.index;
    EXPECT_EQ(f.curve_tolerance, 0.05f) << s.index;
  }
}

TEST_F(ParamsSetup, LayoutsPointsAndLayers) {
  ASSERT_EQ(Run(), PF_Err_NONE);
  const PF_ParamDef& layouts = Added(kParamLayouts);
  EXPECT_EQ(layouts.flags,
            PF_ParamFlag_CANNOT_TIME_VARY | PF_ParamFlag_CANNOT_INTERP | PF_ParamFlag_SUPERVISE);
  EXPECT_EQ(layouts.ui_width, 200);
  EXPECT_EQ(layouts.ui_height, 260);
  EXPECT_EQ(layouts.u.pd.value, 1);
  EXPECT_EQ(std::string(layouts.u.pd.u.namesptr), std::string(110, '|'));
  for (int p = kParamPointFirst; p <= kParamPointLast; ++p) {
    const PF_PointDef& point = Added(p).u.td;
    EXPECT_EQ(Added(p).param_type, PF_Param_POINT) << p;
    EXPECT_EQ(point.x_value | point.y_value | point.x_dephault | point.y_dephault, 0) << p;
    EXPECT_EQ(point.restrict_bounds, 1) << p;
  }
  for (int k = 0; k < kPolygonGroupCount; ++k) {
    const PF_ParamDef& layer = Added(PolygonParam(k, kPolygonLayer));
    EXPECT_EQ(layer.param_type, PF_Param_LAYER) << k;
    EXPECT_EQ(layer.u.ld.dephault, PF_LayerDefault_NONE) << k;
    EXPECT_EQ(std::string(layer.name), "Layer");
    EXPECT_EQ(Added(PolygonParam(k, kPolygonGroupStart)).param_type, PF_Param_GROUP_START);
    EXPECT_EQ(Added(PolygonParam(k, kPolygonGroupEnd)).param_type, PF_Param_GROUP_END);
  }
  EXPECT_EQ(std::string(Added(kParamCornerPointGroupStart).name), "Corner Point Controls");
  EXPECT_EQ(std::string(Added(kParamEdgeSliderGroupStart).name), "Edge Slider Controls");
  EXPECT_EQ(std::string(Added(kParamCornerPointGroupEnd).name), "");
}

TEST_F(ParamsSetup, FirstAddErrorStopsEverything) {
  host.failAddParamAt = 10;
  EXPECT_EQ(Run(), PF_Err_OUT_OF_MEMORY);
  EXPECT_EQ(host.addParamCalls, 11);
  EXPECT_EQ(host.addedParams.size(), 10u);
  EXPECT_EQ(host.registerUiCalls, 0);
}

TEST_F(ParamsSetup, RegisterUiErrorIsReturned) {
  host.registerUiResult = PF_Err_INTERNAL_STRUCT_DAMAGED;
  EXPECT_EQ(Run(), PF_Err_INTERNAL_STRUCT_DAMAGED);
  EXPECT_EQ(host.addedParams.size(), 94u);
}

}  // namespace
}  // namespace Orvane::Mosaira
