// Effect parameter definitions: kinds, flags and the definition record the host and the effect
// exchange at parameter set-up, check-out and user changes.
#pragma once

#include "sdk/pf_types.h"

extern "C" {

enum : A_long { PF_MAX_EFFECT_PARAM_NAME_LEN = 31 };  // name field holds 31 chars and a NUL

typedef A_long PF_ParamType;
enum : A_long {
  PF_Param_LAYER = 0,
  PF_Param_SLIDER = 1,
  PF_Param_FIX_SLIDER = 2,
  PF_Param_ANGLE = 3,
  PF_Param_CHECKBOX = 4,
  PF_Param_COLOR = 5,
  PF_Param_POINT = 6,
  PF_Param_POPUP = 7,
  PF_Param_FLOAT_SLIDER = 10,
  PF_Param_GROUP_START = 13,
  PF_Param_GROUP_END = 14,
};

typedef A_long PF_ParamFlags;
enum : A_long {
  PF_ParamFlag_CANNOT_TIME_VARY = 1 << 1,
  PF_ParamFlag_CANNOT_INTERP = 1 << 2,
  PF_ParamFlag_COLLAPSE_TWIRLY = 1 << 3,
  // The host sends PF_Cmd_USER_CHANGED_PARAM for every change the user makes to the parameter.
  PF_ParamFlag_SUPERVISE = 0x40,
};

typedef A_long PF_ParamUIFlags;
enum : A_long {
  PF_PUI_CONTROL = 1 << 0,    // the effect draws the parameter's control area itself
  PF_PUI_INVISIBLE = 1 << 1,  // starts hidden (the host seeds its dynamic HIDDEN flag from it)
};

typedef A_long PF_ChangeFlags;
// Set by the effect in uu.change_flags of a params[] entry whose value it changed; the host
// stores the value after the command.
enum : A_long { PF_ChangeFlag_CHANGED_VALUE = 1 << 0 };

typedef A_short PF_ValueDisplayFlags;
enum : A_short { PF_ValueDisplayFlag_PERCENT = 1 << 0 };

// Default of a layer parameter: no layer, or the effect's own layer.
enum : A_long { PF_LayerDefault_MYSELF = -1, PF_LayerDefault_NONE = 0 };

struct PF_FloatSliderDef {
  PF_FpLong value;
  PF_FpLong phase;
  PF_FpShort valid_min, valid_max;
  PF_FpShort slider_min, slider_max;
  PF_FpLong dephault;
  A_short precision;  // decimals shown
  PF_ValueDisplayFlags display_flags;
  A_long fs_flags;
  PF_FpShort curve_tolerance;
};

// A point in 16.16 fixed-point layer coordinates.
struct PF_PointDef {
  PF_Fixed x_value;
  PF_Fixed y_value;
  PF_Boolean restrict_bounds;
  PF_Fixed x_dephault;
  PF_Fixed y_dephault;
};

// Choices 1..num_choices; names are num_choices texts separated by '|'.
struct PF_PopupDef {
  A_long value;
  A_short num_choices;
  A_short dephault;
  union {
    const A_char* namesptr;
  } u;
};

union PF_ParamDefUnion {
  PF_LayerDef ld;
  PF_FloatSliderDef fs_d;
  PF_PointDef td;
  PF_PopupDef pd;
};

// One parameter. uu.id carries the parameter's id when it is added; in a command's params array
// the same word carries the effect's change flags.
struct PF_ParamDef {
  union {
    A_long id;
    PF_ChangeFlags change_flags;
  } uu;
  PF_ParamUIFlags ui_flags;
  A_short ui_width;
  A_short ui_height;
  PF_ParamType param_type;
  A_char name[PF_MAX_EFFECT_PARAM_NAME_LEN + 1];
  PF_ParamFlags flags;
  PF_ParamDefUnion u;
};
typedef PF_ParamDef* PF_ParamDefPtr;
typedef PF_ParamDef** PF_ParamList;

}  // extern "C"
