#include "effect/ParamsSetup.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "effect/ParamIndices.h"
#include "layout/LayoutRegistry.h"
#include "sdk/pf_params.h"

namespace Orvane::Mosaira {

const char kLayoutChoiceNames[] =
    "||||||||||||||||||||||||||||||||||||||||||||||||||||||||||||||||||||||||||||||||||||||||"
    "||||||||||||||||||||||";
static_assert(sizeof(kLayoutChoiceNames) == 111, "110 bars and the NUL");

namespace {

constexpr double kCurveTolerance = 0.05;

// Adds definitions one by one; after the first error nothing more is added.
class ParamAdder {
 public:
  explicit ParamAdder(PF_InData* inData) : inData_(inData) {}

  PF_Err error() const { return err_; }

  // A definition cleared to zeros with the common fields set.
  PF_ParamDef Start(int32_t index, PF_ParamType type, const std::string& name, PF_ParamFlags flags,
                    PF_ParamUIFlags uiFlags) const {
    PF_ParamDef def{};
    def.uu.id = index;
    def.param_type = type;
    def.flags = flags;
    def.ui_flags = uiFlags;
    // Every name is one of ours and fits the field; the host's own copy writes it.
    if (name.size() < sizeof(def.name)) inData_->utils->ansi.strcpy(def.name, name.c_str());
    return def;
  }

  void Add(PF_ParamDef def) {
    if (err_ != PF_Err_NONE) return;
    err_ = inData_->inter.add_param(inData_->effect_ref, -1, &def);
  }

 private:
  PF_InData* inData_;
  PF_Err err_ = PF_Err_NONE;
};

struct SliderRange {
  float validMin, validMax, sliderMin, sliderMax;
  double dephault;
  A_short precision;
  bool percent;
};

void AddFloatSlider(ParamAdder& adder, int32_t index, const std::string& name, PF_ParamFlags flags,
                    PF_ParamUIFlags uiFlags, const SliderRange& range) {
  PF_ParamDef def = adder.Start(index, PF_Param_FLOAT_SLIDER, name, flags, uiFlags);
  PF_FloatSliderDef& s = def.u.fs_d;
  s.valid_min = range.validMin;
  s.valid_max = range.validMax;
  s.slider_min = range.sliderMin;
  s.slider_max = range.sliderMax;
  s.value = range.dephault;
  s.dephault = range.dephault;
  s.precision = range.precision;
  s.display_flags = range.percent ? PF_ValueDisplayFlag_PERCENT : 0;
  s.curve_tolerance = static_cast<PF_FpShort>(kCurveTolerance);
  adder.Add(def);
}

void AddGroup(ParamAdder& adder, int32_t index, PF_ParamType type, const std::string& name,
              PF_ParamFlags flags) {
  adder.Add(adder.Start(index, type, name, flags, PF_PUI_INVISIBLE));
}

void AddLayouts(ParamAdder& adder, size_t layoutCount) {
  PF_ParamDef def = adder.Start(
      kParamLayouts, PF_Param_POPUP, "Layouts",
      PF_ParamFlag_CANNOT_TIME_VARY | PF_ParamFlag_CANNOT_INTERP | PF_ParamFlag_SUPERVISE,
      PF_PUI_CONTROL);
  def.ui_width = 200;
  def.ui_height = 260;
  // The choice names hold 110 entries; a larger registry would name choices that do not exist.
  const size_t choices = std::min<size_t>(layoutCount + 1, sizeof(kLayoutChoiceNames) - 1);
  def.u.pd.num_choices = static_cast<A_short>(choices);
  def.u.pd.value = kLayoutsNone;
  def.u.pd.dephault = kLayoutsNone;
  def.u.pd.u.namesptr = kLayoutChoiceNames;
  adder.Add(def);
}

void AddFrameSettings(ParamAdder& adder) {
  AddFloatSlider(adder, kParamEdgeInset, "Edge Inset", PF_ParamFlag_SUPERVISE, PF_PUI_INVISIBLE,
                 {0, 800, 0, 200, 0, 2, false});
  AddFloatSlider(adder, kParamRoundCorner, "Round Corner", PF_ParamFlag_SUPERVISE, PF_PUI_INVISIBLE,
                 {0, 100, 0, 100, 0, 2, true});
}

void AddPoints(ParamAdder& adder) {
  AddGroup(adder, kParamCornerPointGroupStart, PF_Param_GROUP_START, "Corner Point Controls", 0);
  for (int32_t i = 1; i <= kPointParamCount; ++i) {
    PF_ParamDef def =
        adder.Start(kParamPointFirst + i - 1, PF_Param_POINT, NumberedParamName("Point ", i),
                    PF_ParamFlag_SUPERVISE, PF_PUI_INVISIBLE);
    def.u.td.restrict_bounds = 1;
    adder.Add(def);
  }
  AddGroup(adder, kParamCornerPointGroupEnd, PF_Param_GROUP_END, "", 0);
}

void AddSliders(ParamAdder& adder) {
  AddGroup(adder, kParamEdgeSliderGroupStart, PF_Param_GROUP_START, "Edge Slider Controls", 0);
  for (int32_t i = 1; i <= kSliderParamCount; ++i) {
    AddFloatSlider(adder, kParamSliderFirst + i - 1, NumberedParamName("Slider ", i),
                   PF_ParamFlag_SUPERVISE, PF_PUI_INVISIBLE, {0, 100, 0, 100, 0, 3, true});
  }
  AddGroup(adder, kParamEdgeSliderGroupEnd, PF_Param_GROUP_END, "", 0);
}

void AddPolygonGroup(ParamAdder& adder, int32_t k) {
  AddGroup(adder, PolygonParam(k, kPolygonGroupStart), PF_Param_GROUP_START,
           NumberedParamName("Polygon ", k + 1), PF_ParamFlag_COLLAPSE_TWIRLY);
  PF_ParamDef layer =
      adder.Start(PolygonParam(k, kPolygonLayer), PF_Param_LAYER, "Layer",
                  PF_ParamFlag_COLLAPSE_TWIRLY | PF_ParamFlag_SUPERVISE, PF_PUI_INVISIBLE);
  layer.u.ld.dephault = PF_LayerDefault_NONE;
  adder.Add(layer);
  AddFloatSlider(adder, PolygonParam(k, kPolygonXOffset), "X offset", 0, 0,
                 {-1000, 1000, -1000, 1000, 0, 0, false});
  AddFloatSlider(adder, PolygonParam(k, kPolygonYOffset), "Y offset", 0, 0,
                 {-1000, 1000, -1000, 1000, 0, 0, false});
  AddFloatSlider(adder, PolygonParam(k, kPolygonScale), "Scale", 0, 0,
                 {0, 1000, 0, 300, 100, 1, true});
  AddGroup(adder, PolygonParam(k, kPolygonGroupEnd), PF_Param_GROUP_END, "",
           PF_ParamFlag_COLLAPSE_TWIRLY | PF_ParamFlag_SUPERVISE);
}

bool HostOffersSetup(const PF_InData* inData) {
  return inData->inter.add_param && inData->inter.register_ui && inData->utils &&
         inData->utils->ansi.strcpy;
}

}  // namespace

std::string NumberedParamName(const char* prefix, int32_t number) {
  return std::string(prefix) + std::to_string(number);
}

PF_Err HandleParamsSetup(PF_InData* inData, PF_OutData* outData) {
  if (!HostOffersSetup(inData)) return PF_Err_BAD_CALLBACK_PARAM;
  outData->num_params = kParamCount;
  const size_t layoutCount = LayoutRegistry::instance().layoutIds.size();

  ParamAdder adder(inData);
  AddLayouts(adder, layoutCount);
  AddFrameSettings(adder);
  AddPoints(adder);
  AddSliders(adder);
  for (int32_t k = 0; k < kPolygonGroupCount; ++k) AddPolygonGroup(adder, k);
  if (adder.error() != PF_Err_NONE) return adder.error();

  PF_CustomUIInfo ui{};
  ui.events = PF_CustomEFlag_COMP | PF_CustomEFlag_LAYER | PF_CustomEFlag_EFFECT;
  return inData->inter.register_ui(inData->effect_ref, &ui);
}

}  // namespace Orvane::Mosaira
