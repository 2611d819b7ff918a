// Marks a drag as started by a hitting click of one instance's control. The click writes the
// token into continue_refcon[2] and [3], which the host keeps from the click to the drags that
// follow it; a drag whose token is not its own instance's and its own control's is stale (a
// drag without a click, or one started elsewhere) and moves nothing.
#pragma once

#include <cstdint>

#include "sdk/pf_events.h"

namespace Orvane::Mosaira {

enum class DragControl : intptr_t {
  kOverlay = 0x4F564C59,  // a move button or sliding point of the composition overlay
  kChooser = 0x43484F53,  // the layout chooser's scroll thumb
};

inline void SetDragToken(PF_DoClickEventInfo& click, const void* record, DragControl control) {
  click.continue_refcon[2] = reinterpret_cast<A_intptr_t>(record);
  click.continue_refcon[3] = static_cast<A_intptr_t>(control);
}

inline void ClearDragToken(PF_DoClickEventInfo& click) {
  click.continue_refcon[2] = 0;
  click.continue_refcon[3] = 0;
}

inline bool HasDragToken(const PF_DoClickEventInfo& click, const void* record,
                         DragControl control) {
  return record && click.continue_refcon[2] == reinterpret_cast<A_intptr_t>(record) &&
         click.continue_refcon[3] == static_cast<A_intptr_t>(control);
}

}  // namespace Orvane::Mosaira
