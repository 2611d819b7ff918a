// Internal to the host: the C functions behind SPBasic, the suites and the in_data callbacks, and
// the scope that tells them which host (and which command context) serves the calling thread.
#pragma once

#include "host/SimulatedHost.h"

namespace Orvane::Mosaira::detail {

// While alive, the calling thread's suites and callbacks are served by `host`.
class CurrentHostScope {
 public:
  CurrentHostScope(SimulatedHost* host, const CommandContext* context);
  ~CurrentHostScope();
  CurrentHostScope(const CurrentHostScope&) = delete;
  CurrentHostScope& operator=(const CurrentHostScope&) = delete;

 private:
  SimulatedHost* previousHost_;
  const CommandContext* previousContext_;
};

struct HostCallbacks {
  static SimulatedHost* Current();
  static const CommandContext* CurrentContext();

  // Fills the host's tables: SPBasic, utility callbacks and every suite, registered by name.
  static void Install(SimulatedHost* host);
  static PF_InteractCallbacks Interact();

  // SPBasic.
  static SPErr AcquireSuite(const char* name, A_long version, const void** suite);
  static SPErr ReleaseSuite(const char* name, A_long version);
  // Handles.
  static PF_Handle NewHandle(A_u_longlong size);
  static void* LockHandle(PF_Handle h);
  static void UnlockHandle(PF_Handle h);
  static void DisposeHandle(PF_Handle h);
  static A_u_longlong HandleSize(PF_Handle h);
  static PF_Err ResizeHandle(A_u_longlong size, PF_Handle* h);
  // Parameters and custom UI.
  static PF_Err CheckoutParam(PF_ProgPtr ref, PF_ParamIndex index, A_long time, A_long step,
                              A_u_long scale, PF_ParamDef* param);
  static PF_Err CheckinParam(PF_ProgPtr ref, PF_ParamDef* param);
  static PF_Err AddParam(PF_ProgPtr ref, PF_ParamIndex index, PF_ParamDefPtr def);
  static PF_Err RegisterUi(PF_ProgPtr ref, PF_CustomUIInfo* info);
  static PF_Err UpdateParamUi(PF_ProgPtr ref, PF_ParamIndex index, const PF_ParamDef* param);
  static PF_Err AppGetBgColor(PF_App_Color* color);
  // "PF iterateFloat Suite": HostIterateFloat, failing with PF_Err_OUT_OF_MEMORY when the
  // "iterate" fault is due.
  static PF_Err IterateFloat(PF_InData* in_data, A_long progress_base, A_long progress_final,
                             PF_EffectWorld* src, const PF_Rect* area, void* refcon,
                             PF_IteratePixelFloatFunc pix_fn, PF_EffectWorld* dst);
  // AEGP.
  static A_Err RegisterWithAegp(AEGP_GlobalRefcon refcon, const A_char* name, AEGP_PluginID* id);
  static A_Err GetNewEffectForEffect(AEGP_PluginID id, PF_ProgPtr ref, AEGP_EffectRefH* effect);
  static A_Err DisposeEffect(AEGP_EffectRefH effect);
  static A_Err GetNewEffectStreamByIndex(AEGP_PluginID id, AEGP_EffectRefH effect,
                                         PF_ParamIndex index, AEGP_StreamRefH* stream);
  static A_Err DisposeStream(AEGP_StreamRefH stream);
  static A_Err GetDynamicStreamFlags(AEGP_StreamRefH stream, AEGP_DynStreamFlags* flags);
  static A_Err SetDynamicStreamFlag(AEGP_StreamRefH stream, AEGP_DynStreamFlags flag,
                                    A_Boolean undoable, A_Boolean set);
  static A_Err GetStreamNumKFs(AEGP_StreamRefH stream, A_long* count);
  static A_Err DeleteKeyframe(AEGP_StreamRefH stream, AEGP_KeyframeIndex index);

 private:
  static ParamStream* StreamOf(SimulatedHost* host, AEGP_StreamRefH stream);
};

}  // namespace Orvane::Mosaira::detail
