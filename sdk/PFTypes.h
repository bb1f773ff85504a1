// Scalar types, error codes, command numbers, flag bits, pixels, worlds and
// parameter records of the effect protocol. Our own declarations; where the
// protocol fixes a value (a code, a bit, a field width) that value is used.
#pragma once

#include <cstdint>

typedef char A_char;  // text
typedef uint8_t A_u_char;
typedef int16_t A_short;
typedef uint16_t A_u_short;
typedef int32_t A_long;
typedef uint32_t A_u_long;
typedef int64_t A_longlong;
typedef uint64_t A_u_longlong;
typedef uint8_t A_Boolean;
typedef uint8_t PF_Boolean;
typedef double PF_FpLong;
typedef float PF_FpShort;
typedef int32_t A_Err;

// 16.16 fixed point: 50 is stored as 50 * 65536.
typedef A_long PF_Fixed;
#define PF_FIXED_ONE ((PF_Fixed)0x10000)

// ---- errors -----------------------------------------------------------------
typedef A_long PF_Err;

enum {
  PF_Err_NONE = 0,
  PF_Err_OUT_OF_MEMORY = 4,
  A_Err_MISSING_SUITE = 13,
  PF_Err_UNRECOGNIZED_PARAM_TYPE = 514,
  PF_Err_BAD_CALLBACK_PARAM = 516
};
#define A_Err_NONE 0

// ---- commands ---------------------------------------------------------------
typedef A_long PF_Cmd;

enum {
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
  PF_Cmd_NUM_CMDS = 15
};

// ---- flag bits --------------------------------------------------------------
typedef A_long PF_OutFlags;
typedef A_long PF_OutFlags2;
typedef A_long PF_InFlags;
typedef A_long PF_ParamFlags;
typedef A_long PF_ParamUIFlags;
typedef A_short PF_ValueDisplayFlags;
typedef A_long PF_FSliderFlags;

enum {
  PF_OutFlag_NONE = 0,
  PF_OutFlag_DISPLAY_ERROR_MESSAGE = 1 << 8
};

enum {
  PF_OutFlag2_NONE = 0,
  PF_OutFlag2_PARAM_GROUP_START_COLLAPSED_FLAG = 1 << 3,
  PF_OutFlag2_SUPPORTS_THREADED_RENDERING = 1 << 4
};

enum {
  PF_ParamFlag_NONE = 0,
  PF_ParamFlag_COLLAPSE_TWIRLY = 1 << 5,
  PF_ParamFlag_SUPERVISE = 1 << 6
};

enum {
  PF_PUI_NONE = 0,
  PF_PUI_INVISIBLE = 1 << 9
};

enum {
  PF_ValueDisplayFlag_NONE = 0,
  PF_ValueDisplayFlag_PERCENT = 1
};

// ---- parameter types --------------------------------------------------------
typedef A_long PF_ParamType;
typedef A_long PF_ParamIndex;

enum {
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
  PF_Param_POINT_3D = 18
};

// Asks add_param to append after the last parameter.
#define PF_PARAM_INDEX_APPEND (-1)

// ---- pixels and worlds ------------------------------------------------------
// Channels in memory order alpha, red, green, blue for every depth.
typedef struct PF_Pixel8 {
  A_u_char alpha, red, green, blue;
} PF_Pixel8;
typedef PF_Pixel8 PF_Pixel;

typedef struct PF_Pixel16 {
  A_u_short alpha, red, green, blue;  // 0..32768
} PF_Pixel16;

typedef struct PF_PixelFloat {
  PF_FpShort alpha, red, green, blue;
} PF_PixelFloat;
typedef PF_PixelFloat PF_Pixel32;

typedef PF_Pixel8* PF_PixelPtr;

typedef struct PF_Rect {
  A_long left, top, right, bottom;
} PF_Rect;

typedef struct PF_Point {
  A_long h, v;
} PF_Point;

typedef struct PF_RationalScale {
  A_long num;
  A_u_long den;
} PF_RationalScale;

// A world: `height` rows of `width` pixels, row r starting r * rowbytes bytes
// after `data`. rowbytes may exceed width times the pixel size.
typedef struct PF_LayerDef {
  A_long world_flags;
  PF_PixelPtr data;
  A_long rowbytes;
  A_long width;
  A_long height;
  PF_Rect extent_hint;
  PF_RationalScale pix_aspect_ratio;
  A_long origin_x;
  A_long origin_y;
  A_long dephault;
  void* platform_ref;
} PF_LayerDef;
typedef PF_LayerDef PF_EffectWorld;

// ---- parameter value blocks -------------------------------------------------
typedef struct PF_SliderDef {
  A_long value;
  A_long valid_min, valid_max;
  A_long slider_min, slider_max;
  A_long dephault;
} PF_SliderDef;

typedef struct PF_FixedSliderDef {
  PF_Fixed value;
  PF_Fixed valid_min, valid_max;
  PF_Fixed slider_min, slider_max;
  PF_Fixed dephault;
  A_short precision;
  PF_ValueDisplayFlags display_flags;
} PF_FixedSliderDef;

typedef struct PF_FloatSliderDef {
  PF_FpLong value;
  PF_FpLong phase;
  PF_FpShort valid_min, valid_max;
  PF_FpShort slider_min, slider_max;
  PF_FpShort dephault;
  A_short precision;
  PF_ValueDisplayFlags display_flags;
  PF_FSliderFlags fs_flags;
  PF_FpShort curve_tolerance;
  PF_Boolean useExponent;
  PF_FpShort exponent;
} PF_FloatSliderDef;

typedef struct PF_AngleDef {
  PF_Fixed value;  // degrees
  PF_Fixed dephault;
  PF_Fixed valid_min, valid_max;
} PF_AngleDef;

typedef struct PF_CheckBoxDef {
  A_long value;
  PF_Boolean dephault;
  const A_char* nameptr;
} PF_CheckBoxDef;

typedef struct PF_ColorDef {
  PF_Pixel8 value;
  PF_Pixel8 dephault;
} PF_ColorDef;

// Values are layer pixels; the default is a percentage of the layer's size
// until the host has turned it into pixels.
typedef struct PF_PointDef {
  PF_Fixed x_value, y_value;
  PF_Boolean restrict_bounds;
  PF_Fixed x_dephault, y_dephault;
} PF_PointDef;

typedef struct PF_Point3DDef {
  PF_FpLong x_value, y_value, z_value;
  PF_FpLong x_dephault, y_dephault, z_dephault;
} PF_Point3DDef;

// Choices separated by '|'; value and default are 1-based.
typedef struct PF_PopupDef {
  A_long value;
  A_short num_choices;
  A_short dephault;
  const A_char* namesptr;
} PF_PopupDef;

typedef union PF_ParamDefUnion {
  PF_LayerDef ld;
  PF_SliderDef sd;
  PF_FixedSliderDef fd;
  PF_AngleDef ad;
  PF_CheckBoxDef bd;
  PF_ColorDef cd;
  PF_PointDef td;
  PF_PopupDef pd;
  PF_FloatSliderDef fs_d;
  PF_Point3DDef point3d_d;
} PF_ParamDefUnion;

typedef struct PF_ParamDef {
  union {
    A_long id;  // equal to the parameter's index in this effect
    A_long change_flags;
  } uu;
  PF_ParamUIFlags ui_flags;
  A_short ui_width;
  A_short ui_height;
  PF_ParamType param_type;
  A_char name[32];  // 31 characters and the terminating zero
  PF_ParamFlags flags;
  A_long unused;
  PF_ParamDefUnion u;
} PF_ParamDef;
typedef PF_ParamDef* PF_ParamDefPtr;
typedef PF_ParamDef** PF_ParamList;

// The extra argument of PF_Cmd_USER_CHANGED_PARAM.
typedef struct PF_UserChangedParamExtra {
  PF_ParamIndex param_index;
} PF_UserChangedParamExtra;

// Opaque handles the host hands out.
struct PF_ProgressInfo;
typedef struct PF_ProgressInfo* PF_ProgPtr;
typedef void** PF_Handle;
