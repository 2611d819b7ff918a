// The look of the layout chooser: strip and bar sizes and its three colours, read once per process.
#pragma once

#include <cstdint>

#include "sdk/drawbot.h"
#include "sdk/pf_effect.h"
#include "sdk/pf_suites.h"

namespace Orvane::Mosaira {

struct PanelStyle {
  int32_t hintHeight = 20;         // height of the hint strip, pixels
  int32_t scrollBarWidth = 15;     // width of the scroll bar, pixels
  DRAWBOT_ColorRGBA shade{};       // background * 0.8: scroll track, thumbnail cells
  DRAWBOT_ColorRGBA background{};  // the host's panel background
  DRAWBOT_ColorRGBA accent{};      // scroll thumb, thumbnail frames, hint text
};

// The grey used when the host cannot tell its panel colour (each 16-bit channel).
inline constexpr A_u_short kFallbackPanelGrey = 0x3333;

// The background to use from PF_AppGetBgColor's answer: `asked` when the call succeeded, else the
// fallback grey (the colour of a failed call is not to be trusted).
PF_App_Color UsableBackground(PF_Err err, const PF_App_Color& asked);

// The style made from the host's background colour: each channel * 1.5259e-5, alpha 1.
PanelStyle MakePanelStyle(const PF_App_Color& background);

// The process-wide style, made on first use from PF_AppGetBgColor of "PF AE App Suite" 6 (throws
// A_Err_MISSING_SUITE when the suite is missing; a later call tries again). When the call reports
// an error the fallback grey is used. Never freed.
const PanelStyle& GetPanelStyle(const PF_InData* inData);

}  // namespace Orvane::Mosaira
