// Basic host types shared by every part of the host interface: error codes, fixed point,
// rectangles, handles, pixels, worlds and pixel formats. Declared from what Tiletta uses;
// layouts and values are this project's own choice wherever the host leaves them open.
#pragma once

#include <cstdint>

extern "C" {

typedef int32_t A_long;
typedef uint32_t A_u_long;
typedef int16_t A_short;
typedef uint16_t A_u_short;
typedef uint8_t A_u_char;
typedef char A_char;
typedef int32_t A_Err;
typedef uint8_t A_Boolean;
typedef double A_FpLong;
typedef float A_FpShort;
typedef uint64_t A_u_longlong;
typedef intptr_t A_intptr_t;

typedef A_long PF_Err;
typedef A_long PF_Fixed;  // 16.16 fixed point
typedef int32_t PF_Boolean;
typedef double PF_FpLong;
typedef float PF_FpShort;
// The host's reference to one effect instance, passed back unchanged to host callbacks.
typedef void* PF_ProgPtr;
typedef A_long PF_ParamIndex;

enum : A_Err {
  A_Err_NONE = 0,
  A_Err_GENERIC = 1,
  A_Err_MISSING_SUITE = 13,  // a suite asked of SPBasic that the host does not offer
};

enum : PF_Err {
  PF_Err_NONE = 0,
  PF_Err_OUT_OF_MEMORY = 4,
  PF_Err_INTERNAL_STRUCT_DAMAGED = 512,
  PF_Err_INVALID_INDEX = 513,
  PF_Err_UNRECOGNIZED_PARAM_TYPE = 514,
  PF_Err_INVALID_CALLBACK = 515,
  PF_Err_BAD_CALLBACK_PARAM = 516,
};

// Rectangles are 32-bit on the host's 64-bit platform.
struct PF_Rect {
  A_long left, top, right, bottom;
};
struct PF_LRect {
  A_long left, top, right, bottom;
};
struct PF_Point {
  A_long h, v;
};
struct PF_FixedPoint {
  PF_Fixed x, y;
};
struct PF_RationalScale {
  A_long num;
  A_u_long den;
};

// A handle is a pointer to the host's master pointer; only the host's handle suite makes,
// locks and frees them.
typedef void** PF_Handle;

struct PF_Pixel8 {
  A_u_char alpha, red, green, blue;
};
struct PF_Pixel16 {
  A_u_short alpha, red, green, blue;
};
struct PF_PixelFloat {
  PF_FpShort alpha, red, green, blue;
};
typedef PF_Pixel8 PF_Pixel;

enum : A_long { PF_MAX_CHAN8 = 255, PF_MAX_CHAN16 = 32768 };

// Pixel layouts as four-character codes compared as 32-bit values.
typedef A_long PF_PixelFormat;
enum : A_long {
  PF_PixelFormat_ARGB32 = 0x62677261,   // 'argb'
  PF_PixelFormat_ARGB64 = 0x36316561,   // 'ae16'
  PF_PixelFormat_ARGB128 = 0x32336561,  // 'ae32'
  PF_PixelFormat_INVALID = 0x4C494F4E,
};

typedef A_long PF_WorldFlags;
enum : A_long { PF_WorldFlag_DEEP = 1 << 0, PF_WorldFlag_WRITEABLE = 1 << 1 };

// A block of pixels: rows `rowbytes` apart, row 0 first, every pixel alpha-first.
struct PF_LayerDef {
  void* reserved0;
  void* reserved1;
  PF_WorldFlags world_flags;
  PF_Pixel* data;
  A_long rowbytes;
  A_long width;
  A_long height;
  PF_Rect extent_hint;
  void* platform_ref;
  A_long reserved_long1;
  void* reserved_long4;
  PF_RationalScale pix_aspect_ratio;
  void* reserved_long2;
  A_long origin_x;
  A_long origin_y;
  A_long reserved_long3;
  A_long dephault;
};
typedef PF_LayerDef PF_EffectWorld;

}  // extern "C"
