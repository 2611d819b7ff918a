// What the on-screen controls need of the effect instance an event belongs to. The effect shell
// fills one link per event from the instance's live sequence record; the controls read and change
// the record only through it and reach the parameter synchronisation only through its hooks.
#pragma once

#include <cstdint>

#include "layout/GridLayoutModel.h"
#include "sdk/pf_effect.h"

namespace Orvane::Mosaira {

struct InstanceLink {
  // Identity of the live record (its address); null when the instance has none (no record, a
  // flat or a foreign one). Every field below is then null too.
  void* record = nullptr;
  GridLayoutModel* layout = nullptr;  // the record's layout; null when none is loaded
  float* scrollStart = nullptr;       // the chooser's thumb offset, a fraction of its viewport
  bool* interacting = nullptr;        // set by every drag step, cleared by every overlay draw

  // Brings the layout of `record` up to date from every point and slider parameter at in_data's
  // time. Returns the layout afterwards: the reading may replace the layout, and `layout` above
  // must not be used after the call.
  GridLayoutModel* (*syncLayoutFromParams)(PF_InData* inData, void* record) = nullptr;
  // Write the free points, and the sliding points, of the instance's layout into `params`
  // (marked changed); a drag step calls the first and then the second.
  void (*pushPointsToParams)(PF_InData* inData, PF_ParamDef* params[]) = nullptr;
  void (*pushSlidersToParams)(PF_InData* inData, PF_ParamDef* params[]) = nullptr;
  // Index of the "Layouts" popup in `params`.
  int32_t layoutsParam = 1;

  bool HasRecord() const { return record != nullptr; }
};

}  // namespace Orvane::Mosaira
