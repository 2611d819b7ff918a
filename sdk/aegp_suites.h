// The AEGP suites the effect uses: registration, its own effect handle, parameter streams,
// their dynamic flags and their keyframes. Handles made by a suite are disposed of by the caller.
#pragma once

#include "sdk/pf_types.h"

extern "C" {

typedef A_long AEGP_PluginID;
typedef struct AEGP_GlobalRefconOpaque* AEGP_GlobalRefcon;
typedef struct AEGP_EffectRefOpaque* AEGP_EffectRefH;
typedef struct AEGP_StreamRefOpaque* AEGP_StreamRefH;
typedef A_long AEGP_KeyframeIndex;

typedef A_long AEGP_DynStreamFlags;
enum : A_long {
  AEGP_DynStreamFlag_ACTIVE_EYEBALL = 1 << 0,
  AEGP_DynStreamFlag_HIDDEN = 1 << 1,  // the parameter is not shown in any panel
  AEGP_DynStreamFlag_DISABLED = 1 << 2,
};

// "AEGP Utility Suite" version 11.
struct AEGP_UtilitySuite11 {
  A_Err (*AEGP_RegisterWithAEGP)(AEGP_GlobalRefcon global_refcon, const A_char* plugin_name,
                                 AEGP_PluginID* plugin_id);
};

// "AEGP PF Interface Suite" version 1.
struct AEGP_PFInterfaceSuite1 {
  // A new handle to the effect instance behind effect_ref; dispose of it with AEGP_DisposeEffect.
  A_Err (*AEGP_GetNewEffectForEffect)(AEGP_PluginID plugin_id, PF_ProgPtr effect_ref,
                                      AEGP_EffectRefH* effect);
};

// "AEGP Effect Suite" version 2.
struct AEGP_EffectSuite2 {
  A_Err (*AEGP_DisposeEffect)(AEGP_EffectRefH effect);
};

// "AEGP Stream Suite" version 7.
struct AEGP_StreamSuite7 {
  A_Err (*AEGP_GetNewEffectStreamByIndex)(AEGP_PluginID plugin_id, AEGP_EffectRefH effect,
                                          PF_ParamIndex param_index, AEGP_StreamRefH* stream);
  A_Err (*AEGP_DisposeStream)(AEGP_StreamRefH stream);
};

// "AEGP Dynamic Stream Suite" version 2.
struct AEGP_DynamicStreamSuite2 {
  A_Err (*AEGP_GetDynamicStreamFlags)(AEGP_StreamRefH stream, AEGP_DynStreamFlags* flags);
  // Sets (setB true) or clears one flag.
  A_Err (*AEGP_SetDynamicStreamFlag)(AEGP_StreamRefH stream, AEGP_DynStreamFlags one_flag,
                                     A_Boolean undoableB, A_Boolean setB);
};

// "AEGP Keyframe Suite" version 3. Keyframes are numbered from 0 in time order.
struct AEGP_KeyframeSuite3 {
  A_Err (*AEGP_GetStreamNumKFs)(AEGP_StreamRefH stream, A_long* num_kfs);
  A_Err (*AEGP_DeleteKeyframe)(AEGP_StreamRefH stream, AEGP_KeyframeIndex key_index);
};

}  // extern "C"

inline constexpr char kAEGPUtilitySuite[] = "AEGP Utility Suite";
inline constexpr A_long kAEGPUtilitySuiteVersion11 = 11;
inline constexpr char kAEGPPFInterfaceSuite[] = "AEGP PF Interface Suite";
inline constexpr A_long kAEGPPFInterfaceSuiteVersion1 = 1;
inline constexpr char kAEGPEffectSuite[] = "AEGP Effect Suite";
inline constexpr A_long kAEGPEffectSuiteVersion2 = 2;
inline constexpr char kAEGPStreamSuite[] = "AEGP Stream Suite";
inline constexpr A_long kAEGPStreamSuiteVersion7 = 7;
inline constexpr char kAEGPDynamicStreamSuite[] = "AEGP Dynamic Stream Suite";
inline constexpr A_long kAEGPDynamicStreamSuiteVersion2 = 2;
inline constexpr char kAEGPKeyframeSuite[] = "AEGP Keyframe Suite";
inline constexpr A_long kAEGPKeyframeSuiteVersion3 = 3;
