// What lives as long as the library is loaded: the about text, global set-up (version, flags,
// AEGP registration, the renderer's process-wide objects) and global set-down.
#pragma once

#include "sdk/aegp_suites.h"
#include "sdk/pf_effect.h"

namespace Orvane::Mosaira {

inline constexpr A_u_long kEffectVersion = 0x00080001;  // 1.0, develop stage, build 1
inline constexpr PF_OutFlags kGlobalOutFlags =
    PF_OutFlag_CUSTOM_UI | PF_OutFlag_SEND_UPDATE_PARAMS_UI;
inline constexpr PF_OutFlags2 kGlobalOutFlags2 =
    PF_OutFlag2_SUPPORTS_SMART_RENDER | PF_OutFlag2_FLOAT_COLOR_AWARE;
inline constexpr char kEffectName[] = "Tiletta";
inline constexpr char kEffectMatchName[] = "QV_Tiletta";
inline constexpr char kEffectCategory[] = "Kestrelle";

// The id the host gave at registration (0 before global set-up).
AEGP_PluginID AegpPluginId();

// Writes "Tiletta, v1.0\r<description>" into out_data->return_msg with "PF ANSI Suite" 1's
// sprintf (throws A_Err_MISSING_SUITE when the suite is missing).
void HandleAbout(PF_InData* inData, PF_OutData* outData);

// Writes version and flags, registers with "AEGP Utility Suite" 11 (result ignored) and makes the
// renderer's process-wide objects. Returns 0; throws when a suite is missing (A_Err_MISSING_SUITE)
// or the root OpenGL context cannot be made (the caller's context is restored first).
PF_Err HandleGlobalSetup(PF_InData* inData, PF_OutData* outData);

// Releases the renderer's objects, then disposes of the sequence and global data handles given
// (a live record's layout released first) and clears both in out_data. Never throws; returns 0.
PF_Err GlobalSetdown(PF_InData* inData, PF_OutData* outData) noexcept;

}  // namespace Orvane::Mosaira
