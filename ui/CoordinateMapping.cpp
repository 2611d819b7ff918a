#include "ui/CoordinateMapping.h"

#include "ui/FixedPoint.h"

namespace Orvane::Mosaira {

PF_Point LayerToFramePoint(const PF_InData* inData, const PF_EventExtra& extra, double x,
                           double y) {
  PF_FixedPoint pt{PixelsToFixed(x), PixelsToFixed(y)};
  const PF_EventCallbacks& cbs = extra.cbs;
  if ((*extra.contextH)->w_type == PF_Window_COMP && cbs.layer_to_comp) {
    cbs.layer_to_comp(cbs.refcon, extra.contextH, inData->current_time, inData->time_scale, &pt);
  }
  if (cbs.source_to_frame) cbs.source_to_frame(cbs.refcon, extra.contextH, &pt);
  return PF_Point{FixedToNearestPixel(pt.x), FixedToNearestPixel(pt.y)};
}

PF_Point FrameToLayerPoint(const PF_InData* inData, const PF_EventExtra& extra, A_long h,
                           A_long v) {
  PF_FixedPoint pt{WholePixelsToFixed(h), WholePixelsToFixed(v)};
  const PF_EventCallbacks& cbs = extra.cbs;
  if (cbs.frame_to_source) cbs.frame_to_source(cbs.refcon, extra.contextH, &pt);
  if (cbs.comp_to_layer) {
    cbs.comp_to_layer(cbs.refcon, extra.contextH, inData->current_time, inData->time_scale, &pt);
  }
  return PF_Point{FixedToFloorPixel(pt.x), FixedToFloorPixel(pt.y)};
}

}  // namespace Orvane::Mosaira
