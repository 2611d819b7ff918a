// PF_Cmd_PARAMS_SETUP: the 95 parameters in their fixed order and the custom UI registration.
#pragma once

#include <cstdint>
#include <string>

#include "sdk/pf_effect.h"

namespace Orvane::Mosaira {

// The choice names of "Layouts": 110 vertical bars, so every choice has an empty name.
extern const char kLayoutChoiceNames[];

// Name of a numbered parameter: `prefix` (ending in a blank) and `number` in plain decimal.
std::string NumberedParamName(const char* prefix, int32_t number);

// Sets out_data->num_params to 95, adds parameters 1 to 94 with add_param (index -1), then
// registers the custom UI for the composition, layer and effect-controls windows. Returns the first
// error of add_param (nothing more is added) or the result of register_ui;
// PF_Err_BAD_CALLBACK_PARAM when the host offers no add_param, register_ui or string copy.
PF_Err HandleParamsSetup(PF_InData* inData, PF_OutData* outData);

}  // namespace Orvane::Mosaira
