// The effect's side of the custom user-interface events: it links the event's instance (its live
// record and the parameter synchronisation) to the on-screen controls, which dispatch the event.
#include "effect/LaterHandlers.h"
#include "effect/ParamIndices.h"
#include "effect/ParamSync.h"
#include "effect/SequenceData.h"
#include "ui/EventDispatch.h"

namespace Orvane::Mosaira {
namespace {

void SyncAll(PF_InData* inData) { SyncLayoutFromParams(inData, SyncMode::kSyncAll); }

void PushAll(PF_InData* inData, PF_ParamDef* params[]) {
  PushPointsToParams(inData, params);
  PushSlidersToParams(inData, params);
}

InstanceLink LinkInstance(const PF_InData* inData) {
  InstanceLink link;
  link.syncLayoutFromParams = SyncAll;
  link.pushLayoutToParams = PushAll;
  link.layoutsParam = kParamLayouts;
  if (UnFlatSequenceData* record = FindLiveRecord(inData)) {
    link.record = record;
    link.layout = record->LayoutFor(inData);
    link.scrollStart = &record->scrollStart;
    link.interacting = &record->interacting;
  }
  return link;
}

}  // namespace

PF_Err HandleEvent(PF_InData* inData, PF_OutData* outData, PF_ParamDef* params[],
                   PF_LayerDef* output, PF_EventExtra* extra) {
  return HandleEvent(inData, outData, params, output, extra, LinkInstance(inData));
}

}  // namespace Orvane::Mosaira
