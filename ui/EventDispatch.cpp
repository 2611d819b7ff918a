#include "ui/EventDispatch.h"

#include "ui/CompInteraction.h"
#include "ui/CompOverlay.h"
#include "ui/LayoutChooser.h"

namespace Orvane::Mosaira {

PF_Err HandleEvent(PF_InData* inData, PF_OutData* outData, PF_ParamDef* params[],
                   PF_EventExtra* extra, const InstanceLink& link) {
  if (!inData || !extra || !extra->contextH || !*extra->contextH || !params) {
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  const bool effectWindow = (*extra->contextH)->w_type == PF_Window_EFFECT;
  // An empty layer (a side of 0) shows nothing to reshape: its layout stands at no real size.
  const bool emptyLayer = inData->width <= 0 || inData->height <= 0;
  if (!effectWindow && (!link.layout || emptyLayer)) return PF_Err_NONE;
  if (extra->e_type == PF_Event_DO_CLICK && extra->u.do_click.send_drag) {
    extra->e_type = PF_Event_DRAG;
  }
  switch (extra->e_type) {
    case PF_Event_DO_CLICK:
      return effectWindow ? HandleLayoutChooserClick(inData, params, extra, link)
                          : HandleCompClick(inData, extra, link);
    case PF_Event_DRAG:
      if (!effectWindow) return HandleCompDrag(inData, params, extra, link);
      if (extra->effect_win.area == PF_EA_CONTROL) {
        HandleLayoutChooserDrag(inData, params, extra, link);
      }
      return PF_Err_NONE;
    case PF_Event_DRAW:
      return effectWindow ? DrawLayoutChooser(inData, outData, extra, link)
                          : DrawCompOverlay(inData, outData, extra, link);
    case PF_Event_ADJUST_CURSOR:
      return HandleAdjustCursor(inData, extra, link);
    default:
      return PF_Err_NONE;
  }
}

}  // namespace Orvane::Mosaira
