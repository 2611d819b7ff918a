// Custom user-interface events (PF_Cmd_EVENT): the event record, the window context and the
// host's coordinate callbacks.
#pragma once

#include "sdk/pf_types.h"

extern "C" {

typedef A_long PF_EventType;
enum : A_long {
  PF_Event_NEW_CONTEXT = 0,
  PF_Event_ACTIVATE = 1,
  PF_Event_DO_CLICK = 2,
  PF_Event_DRAG = 3,
  PF_Event_DRAW = 4,
  PF_Event_DEACTIVATE = 5,
  PF_Event_CLOSE_CONTEXT = 6,
  PF_Event_IDLE = 7,
  PF_Event_ADJUST_CURSOR = 9,
  PF_Event_KEYDOWN = 10,
  PF_Event_MOUSE_EXITED = 11,
};

typedef A_long PF_WindowType;
enum : A_long { PF_Window_COMP = 0, PF_Window_LAYER = 1, PF_Window_EFFECT = 2 };

// The window an event belongs to; the host owns it. Events carry a handle to it.
struct PF_Context {
  A_u_long magic;
  PF_WindowType w_type;
  A_long reserved_flt;
  void* reserved[4];
};
typedef PF_Context** PF_ContextH;

typedef A_long PF_Modifiers;
enum : A_long {
  PF_Mod_NONE = 0,
  PF_Mod_CMD_CTRL_KEY = 1 << 8,
  PF_Mod_SHIFT_KEY = 1 << 9,
  PF_Mod_OPT_ALT_KEY = 1 << 11,
};

typedef A_long PF_CursorType;
enum : A_long {
  PF_Cursor_NONE = 0,
  PF_Cursor_CUSTOM = 1,
  PF_Cursor_ARROW = 2,
  PF_Cursor_HAND = 14,
  PF_Cursor_RESIZE_VERTICAL = 21,
  PF_Cursor_RESIZE_HORIZONTAL = 22,
};

// A click or a drag. continue_refcon survives from the click to the drags that follow it;
// a handler sets send_drag to ask for drag events and clears it to end the drag.
struct PF_DoClickEventInfo {
  A_u_long when;
  PF_Point screen_point;  // frame pixels of the window
  A_long num_clicks;
  PF_Modifiers modifiers;
  A_intptr_t continue_refcon[4];
  A_Boolean send_drag;
  A_Boolean last_time;
};

struct PF_DrawEventInfo {
  PF_Rect update_rect;
  A_long depth;
};

struct PF_AdjustCursorEventInfo {
  PF_Point screen_point;
  PF_Modifiers modifiers;
  PF_CursorType set_cursor;  // chosen by the handler
};

union PF_EventUnion {
  PF_DoClickEventInfo do_click;
  PF_DrawEventInfo draw;
  PF_AdjustCursorEventInfo adjust_cursor;
};

typedef A_long PF_EffectArea;
enum : A_long { PF_EA_NONE = 0, PF_EA_PARAM_TITLE = 1, PF_EA_CONTROL = 2 };

// Where in the effect-controls window an event happened.
struct PF_EffectWindowInfo {
  PF_ParamIndex index;
  PF_EffectArea area;
  PF_Rect current_frame;  // the area's rectangle in frame pixels
  PF_Rect param_title_frame;
  A_long horiz_offset;
};

// Coordinate mappings of the event's window; points in 16.16 fixed point, changed in place.
struct PF_EventCallbacks {
  void* refcon;
  PF_Err (*layer_to_comp)(void* refcon, PF_ContextH context, A_long curr_time, A_long time_scale,
                          PF_FixedPoint* pt);
  PF_Err (*comp_to_layer)(void* refcon, PF_ContextH context, A_long curr_time, A_long time_scale,
                          PF_FixedPoint* pt);
  PF_Err (*source_to_frame)(void* refcon, PF_ContextH context, PF_FixedPoint* pt);
  PF_Err (*frame_to_source)(void* refcon, PF_ContextH context, PF_FixedPoint* pt);
};

typedef A_long PF_EventOutFlags;
enum : A_long { PF_EO_NONE = 0, PF_EO_HANDLED_EVENT = 1 << 0 };

// Extra block of PF_Cmd_EVENT.
struct PF_EventExtra {
  PF_ContextH contextH;
  PF_EventType e_type;
  PF_EventUnion u;
  PF_EffectWindowInfo effect_win;
  PF_EventCallbacks cbs;
  PF_EventOutFlags evt_out_flags;
};

}  // extern "C"
