// The drawing calls of the Drawbot books where the host has no drawing surface: each call is
// recorded and answered with an error, as on an invalid surface.
#include "host/DrawbotBook.h"

namespace Orvane::Mosaira {

A_Err DrawbotBook::FillPath(DRAWBOT_SurfaceRef, DRAWBOT_BrushRef, DRAWBOT_PathRef, DRAWBOT_FillType fill) {
  std::lock_guard<std::mutex> lock(mutex_);
  return Record("FillPath", {double(fill)}, A_Err_GENERIC);
}

A_Err DrawbotBook::StrokePath(DRAWBOT_SurfaceRef, DRAWBOT_PenRef, DRAWBOT_PathRef) {
  std::lock_guard<std::mutex> lock(mutex_);
  return Record("StrokePath", {}, A_Err_GENERIC);
}

A_Err DrawbotBook::DrawString(DRAWBOT_SurfaceRef, DRAWBOT_BrushRef, DRAWBOT_FontRef, const DRAWBOT_UTF16Char*,
                              const DRAWBOT_PointF32*, DRAWBOT_TextAlignment, DRAWBOT_TextTruncation, float) {
  std::lock_guard<std::mutex> lock(mutex_);
  return Record("DrawString", {}, A_Err_GENERIC);
}

}  // namespace Orvane::Mosaira
