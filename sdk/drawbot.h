// Drawbot: the host's 2-D drawing suites used to draw custom user interface. Objects are
// opaque; every object made by the supplier is released with ReleaseObject.
#pragma once

#include "sdk/pf_types.h"

extern "C" {

typedef struct DRAWBOT_DrawOpaque* DRAWBOT_DrawRef;
typedef struct DRAWBOT_SupplierOpaque* DRAWBOT_SupplierRef;
typedef struct DRAWBOT_SurfaceOpaque* DRAWBOT_SurfaceRef;
typedef struct DRAWBOT_ObjectOpaque* DRAWBOT_ObjectRef;
// Pens, brushes, fonts and paths are objects: pass them to ReleaseObject as DRAWBOT_ObjectRef.
typedef DRAWBOT_ObjectRef DRAWBOT_PenRef;
typedef DRAWBOT_ObjectRef DRAWBOT_BrushRef;
typedef DRAWBOT_ObjectRef DRAWBOT_FontRef;
typedef DRAWBOT_ObjectRef DRAWBOT_PathRef;

typedef uint16_t DRAWBOT_UTF16Char;

struct DRAWBOT_ColorRGBA {
  float red, green, blue, alpha;
};  // 0 to 1
struct DRAWBOT_PointF32 {
  float x, y;
};
struct DRAWBOT_RectF32 {
  float left, top, width, height;
};

typedef A_long DRAWBOT_FillType;
enum : A_long { kDRAWBOT_FillType_EvenOdd = 0, kDRAWBOT_FillType_Winding = 1 };

typedef A_long DRAWBOT_TextAlignment;
enum : A_long {
  kDRAWBOT_TextAlignment_Left = 0,
  kDRAWBOT_TextAlignment_Center = 1,
  kDRAWBOT_TextAlignment_Right = 2,
};

typedef A_long DRAWBOT_TextTruncation;
enum : A_long {
  kDRAWBOT_TextTruncation_None = 0,
  kDRAWBOT_TextTruncation_EndEllipsis = 1,
  kDRAWBOT_TextTruncation_PathEllipsis = 2,
};

// "DRAWBOT Draw Suite" version 1.
struct DRAWBOT_DrawbotSuite1 {
  A_Err (*GetSupplier)(DRAWBOT_DrawRef draw_ref, DRAWBOT_SupplierRef* supplier);
  A_Err (*GetSurface)(DRAWBOT_DrawRef draw_ref, DRAWBOT_SurfaceRef* surface);
};

// "DRAWBOT Supplier Suite" version 1.
struct DRAWBOT_SupplierSuite1 {
  A_Err (*NewPen)(DRAWBOT_SupplierRef supplier, const DRAWBOT_ColorRGBA* color, float size,
                  DRAWBOT_PenRef* pen);
  A_Err (*NewBrush)(DRAWBOT_SupplierRef supplier, const DRAWBOT_ColorRGBA* color,
                    DRAWBOT_BrushRef* brush);
  A_Err (*GetDefaultFontSize)(DRAWBOT_SupplierRef supplier, float* size);
  A_Err (*NewDefaultFont)(DRAWBOT_SupplierRef supplier, float size, DRAWBOT_FontRef* font);
  A_Err (*NewPath)(DRAWBOT_SupplierRef supplier, DRAWBOT_PathRef* path);
  A_Err (*ReleaseObject)(DRAWBOT_ObjectRef object);
};

// "DRAWBOT Surface Suite" version 2.
struct DRAWBOT_SurfaceSuite2 {
  A_Err (*FillPath)(DRAWBOT_SurfaceRef surface, DRAWBOT_BrushRef brush, DRAWBOT_PathRef path,
                    DRAWBOT_FillType fill_type);
  A_Err (*StrokePath)(DRAWBOT_SurfaceRef surface, DRAWBOT_PenRef pen, DRAWBOT_PathRef path);
  // Text is NUL-terminated UTF-16; origin is the left end of the base line.
  A_Err (*DrawString)(DRAWBOT_SurfaceRef surface, DRAWBOT_BrushRef brush, DRAWBOT_FontRef font,
                      const DRAWBOT_UTF16Char* text, const DRAWBOT_PointF32* origin,
                      DRAWBOT_TextAlignment alignment, DRAWBOT_TextTruncation truncation,
                      float truncation_width);
};

// "DRAWBOT Path Suite" version 1. Angles in degrees.
struct DRAWBOT_PathSuite1 {
  A_Err (*MoveTo)(DRAWBOT_PathRef path, float x, float y);
  A_Err (*LineTo)(DRAWBOT_PathRef path, float x, float y);
  A_Err (*AddRect)(DRAWBOT_PathRef path, const DRAWBOT_RectF32* rect);
  A_Err (*AddArc)(DRAWBOT_PathRef path, const DRAWBOT_PointF32* centre, float radius,
                  float start_angle, float sweep_angle);
  A_Err (*Close)(DRAWBOT_PathRef path);
};

// The four suites of one draw event, in acquisition order.
struct DRAWBOT_Suites {
  DRAWBOT_DrawbotSuite1* drawbot_suiteP;
  DRAWBOT_SupplierSuite1* supplier_suiteP;
  DRAWBOT_SurfaceSuite2* surface_suiteP;
  DRAWBOT_PathSuite1* path_suiteP;
};

}  // extern "C"

inline constexpr char kDRAWBOT_DrawSuite[] = "DRAWBOT Draw Suite";
inline constexpr A_long kDRAWBOT_DrawSuite_Version1 = 1;
inline constexpr char kDRAWBOT_SupplierSuite[] = "DRAWBOT Supplier Suite";
inline constexpr A_long kDRAWBOT_SupplierSuite_Version1 = 1;
inline constexpr char kDRAWBOT_SurfaceSuite[] = "DRAWBOT Surface Suite";
inline constexpr A_long kDRAWBOT_SurfaceSuite_Version2 = 2;
inline constexpr char kDRAWBOT_PathSuite[] = "DRAWBOT Path Suite";
inline constexpr A_long kDRAWBOT_PathSuite_Version1 = 1;
