// The effect entry point: command numbers, output flags, the host's input and output blocks,
// the callbacks reachable from the input block, and the small extra blocks of plain commands.
#pragma once

#include "sdk/pf_params.h"
#include "sdk/pf_types.h"
#include "sdk/sp_basic.h"

extern "C" {

typedef A_long PF_Cmd;
enum : A_long {
  PF_Cmd_ABOUT = 0,
  PF_Cmd_GLOBAL_SETUP = 1,
  PF_Cmd_UNUSED_0 = 2,
  PF_Cmd_GLOBAL_SETDOWN = 3,
  PF_Cmd_PARAMS_SETUP = 4,
  PF_Cmd_SEQUENCE_SETUP = 5,
  PF_Cmd_SEQUENCE_RESETUP = 6,
  PF_Cmd_SEQUENCE_FLATTEN = 7,
  PF_Cmd_SEQUENCE_SETDOWN = 8,
  PF_Cmd_DO_DIALOG = 9,
  PF_Cmd_FRAME_SETUP = 10,
  PF_Cmd_RENDER = 11,
  PF_Cmd_FRAME_SETDOWN = 12,
  PF_Cmd_USER_CHANGED_PARAM = 13,
  PF_Cmd_UPDATE_PARAMS_UI = 14,
  PF_Cmd_EVENT = 15,
  PF_Cmd_GET_EXTERNAL_DEPENDENCIES = 16,
  PF_Cmd_COMPLETELY_GENERAL = 17,
  PF_Cmd_QUERY_DYNAMIC_FLAGS = 18,
  PF_Cmd_AUDIO_RENDER = 19,
  PF_Cmd_AUDIO_SETUP = 20,
  PF_Cmd_AUDIO_SETDOWN = 21,
  PF_Cmd_ARBITRARY_CALLBACK = 22,
  PF_Cmd_SMART_PRE_RENDER = 23,
  PF_Cmd_SMART_RENDER = 24,
  PF_Cmd_RESERVED1 = 25,
  PF_Cmd_RESERVED2 = 26,
  PF_Cmd_RESERVED3 = 27,
  PF_Cmd_GET_FLATTENED_SEQUENCE_DATA = 28,
  PF_Cmd_NUM_CMDS = 29,
};

typedef A_long PF_OutFlags;
enum : A_long {
  PF_OutFlag_NONE = 0,
  PF_OutFlag_FORCE_RERENDER = 1 << 3,             // render again although no parameter changed
  PF_OutFlag_REFRESH_UI = 1 << 9,                 // redraw the effect's panel and overlays
  PF_OutFlag_DISPLAY_ERROR_MESSAGE = 1 << 11,     // show return_msg to the user as an error
  PF_OutFlag_CUSTOM_UI = 0x00008000,              // the effect handles PF_Cmd_EVENT
  PF_OutFlag_SEND_UPDATE_PARAMS_UI = 0x04000000,  // send PF_Cmd_UPDATE_PARAMS_UI
};

typedef A_long PF_OutFlags2;
enum : A_long {
  PF_OutFlag2_NONE = 0,
  PF_OutFlag2_SUPPORTS_SMART_RENDER = 0x00000400,
  PF_OutFlag2_FLOAT_COLOR_AWARE = 0x00001000,
};

enum : A_long { PF_MAX_EFFECT_NAME_LEN = 31, PF_MAX_EFFECT_MSG_LEN = 255 };

// Custom user-interface registration (inter.register_ui).
typedef A_long PF_CustomEventFlags;
enum : A_long {
  PF_CustomEFlag_NONE = 0,
  PF_CustomEFlag_COMP = 1 << 0,
  PF_CustomEFlag_LAYER = 1 << 1,
  PF_CustomEFlag_EFFECT = 1 << 2,
};

struct PF_CustomUIInfo {
  A_long reserved;
  PF_CustomEventFlags events;
  A_long comp_ui_width, comp_ui_height, comp_ui_alignment;
  A_long layer_ui_width, layer_ui_height, layer_ui_alignment;
  A_long preview_ui_width, preview_ui_height, preview_ui_alignment;
};

// Callbacks for parameters and the custom UI. Times are in units of 1/time_scale seconds.
struct PF_InteractCallbacks {
  // Fills *param with the value of parameter `index` at the given time. A point parameter's
  // value comes scaled by the command's downsampling factors. Pair every success with checkin.
  PF_Err (*checkout_param)(PF_ProgPtr effect_ref, PF_ParamIndex index, A_long what_time,
                           A_long time_step, A_u_long time_scale, PF_ParamDef* param);
  PF_Err (*checkin_param)(PF_ProgPtr effect_ref, PF_ParamDef* param);
  // At PF_Cmd_PARAMS_SETUP: appends one parameter (index -1 means "next").
  PF_Err (*add_param)(PF_ProgPtr effect_ref, PF_ParamIndex index, PF_ParamDefPtr def);
  PF_Err (*register_ui)(PF_ProgPtr effect_ref, PF_CustomUIInfo* cust_info);
};

// The host's C string helpers. sprintf writes into a buffer the caller sized.
struct PF_ANSICallbacks {
  A_long (*sprintf)(A_char* buffer, const A_char* format, ...);
  A_char* (*strcpy)(A_char* dest, const A_char* src);
};

// Utility callbacks. A handle from host_new_handle is locked before its memory is touched;
// host_lock_handle returns null when it cannot lock.
struct PF_UtilCallbacks {
  PF_ANSICallbacks ansi;
  // Address of the world's first pixel in *pixPP (pixelsP0 must be null).
  PF_Err (*get_pixel_data8)(PF_EffectWorld* world, void* pixelsP0, PF_Pixel8** pixPP);
  PF_Err (*get_pixel_data16)(PF_EffectWorld* world, void* pixelsP0, PF_Pixel16** pixPP);
  PF_Handle (*host_new_handle)(A_u_longlong size);
  void* (*host_lock_handle)(PF_Handle h);
  void (*host_unlock_handle)(PF_Handle h);
  void (*host_dispose_handle)(PF_Handle h);
  A_u_longlong (*host_get_handle_size)(PF_Handle h);
};

struct PF_InterfaceVersion {
  A_short major, minor;
};

// The host's input block of one command.
struct PF_InData {
  PF_InteractCallbacks inter;
  PF_UtilCallbacks* utils;
  PF_ProgPtr effect_ref;
  PF_InterfaceVersion version;
  A_long appl_id;
  A_long num_params;
  A_long current_time;
  A_long time_step;
  A_long total_time;
  A_long local_time_step;
  A_u_long time_scale;
  A_long width;  // the effect's layer, in pixels at full resolution
  A_long height;
  PF_Rect extent_hint;
  A_long output_origin_x;
  A_long output_origin_y;
  // Downsampling of this command: a layer pixel covers num/den image pixels on each axis.
  PF_RationalScale downsample_x;
  PF_RationalScale downsample_y;
  PF_RationalScale pixel_aspect_ratio;
  A_long in_flags;
  PF_Handle global_data;
  PF_Handle sequence_data;  // the instance's sequence-data handle, or null
  PF_Handle frame_data;
  SPBasicSuite* pica_basicP;
};

// The effect's output block of one command; the host reads it after the command returns.
struct PF_OutData {
  A_u_long my_version;
  A_char name[PF_MAX_EFFECT_NAME_LEN + 1];
  PF_Handle global_data;
  A_long num_params;
  PF_Handle sequence_data;  // the instance's sequence data after the command
  A_long flat_sdata_size;
  PF_Handle frame_data;
  A_long width;
  A_long height;
  PF_Point origin;
  PF_OutFlags out_flags;
  A_char return_msg[PF_MAX_EFFECT_MSG_LEN + 1];
  PF_OutFlags2 out_flags2;
};

// Extra block of PF_Cmd_USER_CHANGED_PARAM.
struct PF_UserChangedParamExtra {
  PF_ParamIndex param_index;
};

// The effect's only export. `params` is the command's array of parameter pointers by index.
typedef PF_Err (*PF_EntryPointFunc)(PF_Cmd cmd, PF_InData* in_data, PF_OutData* out_data,
                                    PF_ParamDef* params[], PF_LayerDef* output, void* extra);

}  // extern "C"
