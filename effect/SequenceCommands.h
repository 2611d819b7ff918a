// The five commands that create, convert and dispose of an instance's sequence data. Each
// acquires "PF Handle Suite" 2 for the command (a missing suite throws A_Err_MISSING_SUITE).
#pragma once

#include "sdk/pf_effect.h"

namespace Orvane::Mosaira {

// PF_Cmd_SEQUENCE_SETUP: an empty live record in a new handle, handed out in
// out_data->sequence_data. 0, or PF_Err_OUT_OF_MEMORY when the handle cannot be made or locked.
PF_Err HandleSequenceSetup(PF_InData* inData, PF_OutData* outData);

// PF_Cmd_SEQUENCE_RESETUP: turns a flat record back into a live one (its layout rebuilt at the
// current layer size, or kept as text until the layer has a size); a live record is handed back
// unchanged; bytes that hold no record are replaced by an empty live record, as is missing
// sequence data. When the flat record cannot be read or the new handle cannot be made, the old
// handle stays; result 0.
PF_Err SequenceResetup(PF_InData* inData, PF_OutData* outData);

// PF_Cmd_SEQUENCE_FLATTEN: replaces the live record by a flat one, releasing its layout and the old
// handle. PF_Err_INTERNAL_STRUCT_DAMAGED when there is no sequence data or the new handle cannot be
// made or locked (the live record then stays untouched); an already flat record is handed back
// unchanged.
PF_Err SequenceFlatten(PF_InData* inData, PF_OutData* outData);

// PF_Cmd_GET_FLATTENED_SEQUENCE_DATA: a new flat record for the host, leaving the instance's own
// record as it is (a flat one is copied byte for byte). PF_Err_INTERNAL_STRUCT_DAMAGED when there
// is no sequence data or the copy cannot be made or locked.
PF_Err GetFlattenedSequenceData(PF_InData* inData, PF_OutData* outData);

// PF_Cmd_SEQUENCE_SETDOWN: releases a live record's layout and disposes of the handle. Result 0.
PF_Err SequenceSetdown(PF_InData* inData);

}  // namespace Orvane::Mosaira
