#include "effect/EventHandler.h"

#include "effect/ParamIndices.h"
#include "effect/ParamSync.h"
#include "effect/SequenceData.h"
#include "ui/EventDispatch.h"

namespace Orvane::Mosaira {
namespace {

GridLayoutModel* SyncAll(PF_InData* inData, void* record) {
  auto& live = *static_cast<UnFlatSequenceData*>(record);
  return SyncLayoutFromParams(inData, live, SyncMode::kSyncAll);
}

InstanceLink LinkInstance(const PF_InData* inData, UnFlatSequenceData* record) {
  InstanceLink link;
  link.syncLayoutFromParams = SyncAll;
  link.pushPointsToParams = PushPointsToParams;
  link.pushSlidersToParams = PushSlidersToParams;
  link.layoutsParam = kParamLayouts;
  if (record) {
    link.record = record;
    link.layout = record->LayoutFor(inData);
    link.scrollStart = &record->scrollStart;
    link.interacting = &record->interacting;
  }
  return link;
}

}  // namespace

PF_Err HandleEvent(PF_InData* inData, PF_OutData* outData, PF_ParamDef* params[],
                   PF_EventExtra* extra, UnFlatSequenceData* record) {
  return HandleEvent(inData, outData, params, extra, LinkInstance(inData, record));
}

}  // namespace Orvane::Mosaira
