// SmartFX pre-render: brings the layout up to date and tells the host what the effect produces.
#include "effect/SmartFxHandlers.h"
#include "effect/ParamIndices.h"
#include "effect/ParamSync.h"
#include "effect/SequenceData.h"

namespace Orvane::Mosaira {
namespace {

constexpr PF_LRect kEmptyRect = {0, 0, 0, 0};

bool IsEmpty(const PF_LRect& r) { return r.left >= r.right || r.top >= r.bottom; }

// `into` becomes `from` when it is empty, or the union of both when `from` is not empty.
void MergeRect(PF_LRect* into, const PF_LRect& from) {
  if (IsEmpty(*into)) {
    *into = from;
  } else if (!IsEmpty(from)) {
    into->left = from.left < into->left ? from.left : into->left;
    into->top = from.top < into->top ? from.top : into->top;
    into->right = from.right > into->right ? from.right : into->right;
    into->bottom = from.bottom > into->bottom ? from.bottom : into->bottom;
  }
}

}  // namespace

PF_Err HandleSmartPreRender(PF_InData* inData, PF_PreRenderExtra* extra,
                            UnFlatSequenceData* record) {
  if (extra == nullptr || extra->output == nullptr) return PF_Err_BAD_CALLBACK_PARAM;
  PF_PreRenderOutput& out = *extra->output;
  if (record == nullptr || record->LayoutFor(inData) == nullptr) {
    out.result_rect = kEmptyRect;
    out.max_result_rect = kEmptyRect;
    return PF_Err_NONE;
  }
  SyncLayoutFromParams(inData, *record, SyncMode::kSyncAll);
  if (extra->input == nullptr || extra->cb == nullptr || extra->cb->checkout_layer == nullptr) {
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  // A failed checkout leaves its record unfilled: nothing of it may be merged.
  PF_CheckoutResult result{};
  const PF_RenderRequest request = extra->input->output_request;
  const PF_Err err = extra->cb->checkout_layer(inData->effect_ref, kParamInputLayer, 0, &request,
                                               inData->current_time, inData->time_step,
                                               inData->time_scale, &result);
  if (err != PF_Err_NONE) return err;
  MergeRect(&out.result_rect, result.result_rect);
  MergeRect(&out.max_result_rect, result.max_result_rect);
  return PF_Err_NONE;
}

}  // namespace Orvane::Mosaira
