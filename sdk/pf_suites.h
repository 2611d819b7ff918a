// The PF suites, acquired by name and version through SPBasic (PF_InData::pica_basicP).
#pragma once

#include "sdk/drawbot.h"
#include "sdk/pf_effect.h"
#include "sdk/pf_events.h"
#include "sdk/pf_types.h"

extern "C" {

// "PF ANSI Suite" version 1: the same helpers as PF_UtilCallbacks::ansi.
typedef PF_ANSICallbacks PF_ANSICallbacksSuite1;

// "PF Handle Suite" version 2. host_new_handle returns null when out of memory;
// host_lock_handle returns null when the handle cannot be locked. Locks nest and are paired
// with unlocks; a handle is disposed of unlocked.
struct PF_HandleSuite2 {
  PF_Handle (*host_new_handle)(A_u_longlong size);
  void* (*host_lock_handle)(PF_Handle h);
  void (*host_unlock_handle)(PF_Handle h);
  void (*host_dispose_handle)(PF_Handle h);
  A_u_longlong (*host_get_handle_size)(PF_Handle h);
  PF_Err (*host_resize_handle)(A_u_longlong new_size, PF_Handle* h);
};

// "PF World Suite" version 2.
struct PF_WorldSuite2 {
  PF_Err (*PF_GetPixelFormat)(const PF_EffectWorld* world, PF_PixelFormat* pixel_format);
};

// Called once per pixel by iterate; refcon is the caller's. A non-zero result stops the walk
// and becomes iterate's result.
typedef PF_Err (*PF_IteratePixelFloatFunc)(void* refcon, A_long x, A_long y, PF_PixelFloat* in,
                                           PF_PixelFloat* out);

// "PF iterateFloat Suite" version 1. Walks every pixel of `area` (whole world when null) of
// src, calling pix_fn with the matching pixel of dst.
struct PF_iterateFloatSuite1 {
  PF_Err (*iterate)(PF_InData* in_data, A_long progress_base, A_long progress_final,
                    PF_EffectWorld* src, const PF_Rect* area, void* refcon,
                    PF_IteratePixelFloatFunc pix_fn, PF_EffectWorld* dst);
};

// Three 16-bit channels, 0 to 65535.
struct PF_App_Color {
  A_u_short red, green, blue;
};

// "PF AE App Suite" version 6.
struct PF_AppSuite6 {
  PF_Err (*PF_AppGetBgColor)(PF_App_Color* bg_color);
};

// "PF Param Utils Suite" version 3. Updates the parameter's user-interface fields (flags,
// ui_flags, name) as in `param`; the value is not taken.
struct PF_ParamUtilsSuite3 {
  PF_Err (*PF_UpdateParamUI)(PF_ProgPtr effect_ref, PF_ParamIndex param_index,
                             const PF_ParamDef* param);
};

// "PF Effect Custom UI Suite" version 1. The reference is valid during one draw event.
struct PF_EffectCustomUISuite1 {
  PF_Err (*PF_GetDrawingReference)(const PF_ContextH context, DRAWBOT_DrawRef* draw_ref);
};

}  // extern "C"

inline constexpr char kPFANSISuite[] = "PF ANSI Suite";
inline constexpr A_long kPFANSISuiteVersion1 = 1;
inline constexpr char kPFHandleSuite[] = "PF Handle Suite";
inline constexpr A_long kPFHandleSuiteVersion2 = 2;
inline constexpr char kPFWorldSuite[] = "PF World Suite";
inline constexpr A_long kPFWorldSuiteVersion2 = 2;
inline constexpr char kPFIterateFloatSuite[] = "PF iterateFloat Suite";
inline constexpr A_long kPFIterateFloatSuiteVersion1 = 1;
inline constexpr char kPFAppSuite[] = "PF AE App Suite";
inline constexpr A_long kPFAppSuiteVersion6 = 6;
inline constexpr char kPFParamUtilsSuite[] = "PF Param Utils Suite";
inline constexpr A_long kPFParamUtilsSuiteVersion3 = 3;
inline constexpr char kPFEffectCustomUISuite[] = "PF Effect Custom UI Suite";
inline constexpr A_long kPFEffectCustomUISuiteVersion1 = 1;
