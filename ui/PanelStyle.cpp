#include "ui/PanelStyle.h"

#include "sdk/HostCalls.h"
#include "ui/DrawPrimitives.h"

namespace Orvane::Mosaira {
namespace {

float Channel(A_u_short value) { return float(value * 1.5259e-5); }

PF_App_Color ReadBackground(const PF_InData* inData) {
  ScopedSuite<PF_AppSuite6> app(inData, kPFAppSuite, kPFAppSuiteVersion6);
  PF_App_Color asked{};
  const PF_Err err =
      app->PF_AppGetBgColor ? app->PF_AppGetBgColor(&asked) : PF_Err_BAD_CALLBACK_PARAM;
  return UsableBackground(err, asked);
}

}  // namespace

PF_App_Color UsableBackground(PF_Err err, const PF_App_Color& asked) {
  if (err != PF_Err_NONE)
    return PF_App_Color{kFallbackPanelGrey, kFallbackPanelGrey, kFallbackPanelGrey};
  return asked;
}

PanelStyle MakePanelStyle(const PF_App_Color& background) {
  PanelStyle style;
  style.background = DRAWBOT_ColorRGBA{Channel(background.red), Channel(background.green),
                                       Channel(background.blue), 1.0f};
  style.shade =
      DRAWBOT_ColorRGBA{float(style.background.red * 0.8), float(style.background.green * 0.8),
                        float(style.background.blue * 0.8), 1.0f};
  style.accent = kAccentColour;
  return style;
}

const PanelStyle& GetPanelStyle(const PF_InData* inData) {
  static const PanelStyle style = MakePanelStyle(ReadBackground(inData));
  return style;
}

}  // namespace Orvane::Mosaira
