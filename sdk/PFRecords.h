// The records passed with every command: PF_InData with its callbacks,
// PF_OutData, and the entry point's signature.
#pragma once

#include "sdk/PFTypes.h"
#include "sdk/SPBasic.h"

typedef struct PF_InteractCallbacks {
  // Fills *param with parameter `index` at the given time; 0 on success.
  PF_Err (*checkout_param)(PF_ProgPtr effect_ref, PF_ParamIndex index, A_long what_time,
                           A_long time_step, A_u_long time_scale, PF_ParamDef* param);
  PF_Err (*checkin_param)(PF_ProgPtr effect_ref, PF_ParamDef* param);
  // index PF_PARAM_INDEX_APPEND (-1) appends after the last parameter.
  PF_Err (*add_param)(PF_ProgPtr effect_ref, PF_ParamIndex index, PF_ParamDefPtr def);
} PF_InteractCallbacks;

typedef struct PF_ANSICallbacks {
  A_long (*sprintf)(A_char* buffer, const A_char* format, ...);
  A_char* (*strcpy)(A_char* dst, const A_char* src);
} PF_ANSICallbacks;

typedef struct PF_UtilCallbacks {
  PF_ANSICallbacks ansi;
  // *pixels = the first pixel of the world; pixels0 is reserved (pass null).
  PF_Err (*get_pixel_data8)(PF_EffectWorld* world, PF_PixelPtr pixels0, PF_Pixel8** pixels);
  PF_Err (*get_pixel_data16)(PF_EffectWorld* world, PF_PixelPtr pixels0, PF_Pixel16** pixels);
} PF_UtilCallbacks;

typedef struct PF_InData {
  PF_InteractCallbacks inter;
  PF_UtilCallbacks* utils;
  PF_ProgPtr effect_ref;
  A_long version_major;
  A_long version_minor;
  A_long num_params;
  // Time of the command in time_scale units per second.
  A_long current_time;
  A_long time_step;
  A_long total_time;
  A_u_long time_scale;
  A_long width;
  A_long height;
  PF_Rect extent_hint;
  PF_RationalScale downsample_x;
  PF_RationalScale downsample_y;
  PF_RationalScale pixel_aspect_ratio;
  PF_InFlags in_flags;
  PF_Handle global_data;
  PF_Handle sequence_data;
  PF_Handle frame_data;
  SPBasicSuite* pica_basicP;
} PF_InData;

typedef struct PF_OutData {
  A_u_long my_version;
  A_char name[32];
  PF_Handle global_data;
  A_long num_params;
  PF_Handle sequence_data;
  A_long flat_sdata_size;
  PF_Handle frame_data;
  A_long width;
  A_long height;
  PF_Point origin;
  PF_OutFlags out_flags;
  A_char return_msg[256];  // shown by the host with PF_OutFlag_DISPLAY_ERROR_MESSAGE
  PF_OutFlags2 out_flags2;
} PF_OutData;

typedef PF_Err (*PF_EntryPointFunc)(PF_Cmd cmd, PF_InData* in_data, PF_OutData* out_data,
                                    PF_ParamDef* params[], PF_LayerDef* output, void* extra);
#define PF_ENTRY_POINT_NAME "EntryPointFunc"
