// The effect suites: text formatting, parameter UI, float iteration, handles.
#pragma once

#include "sdk/PFRecords.h"

#define kPFANSISuite "PF ANSI Suite"
#define kPFANSISuiteVersion1 1

typedef struct PF_ANSICallbacksSuite1 {
  A_long (*sprintf)(A_char* buffer, const A_char* format, ...);
  A_char* (*strcpy)(A_char* dst, const A_char* src);
} PF_ANSICallbacksSuite1;

#define kPFParamUtilsSuite "PF Param Utils Suite"
#define kPFParamUtilsSuiteVersion3 3

typedef struct PF_ParamUtilsSuite3 {
  // Asks the host to redraw the control of parameter `index`.
  PF_Err (*PF_UpdateParamUI)(PF_ProgPtr effect_ref, PF_ParamIndex index, const PF_ParamDef* def);
} PF_ParamUtilsSuite3;

#define kPFIterateFloatSuite "PF iterateFloat Suite"
#define kPFIterateFloatSuiteVersion1 1

typedef PF_Err (*PF_IteratePixelFloatFunc)(void* refcon, A_long x, A_long y, PF_PixelFloat* in,
                                           PF_PixelFloat* out);

typedef struct PF_iterateFloatSuite1 {
  // Calls pix_fn for every pixel of rows [0, src->height) (or of `area` when
  // given) with the source pixel and the pixel at the same place in dst.
  PF_Err (*iterate)(PF_InData* in_data, A_long progress_base, A_long progress_final,
                    PF_EffectWorld* src, const PF_Rect* area, void* refcon,
                    PF_IteratePixelFloatFunc pix_fn, PF_EffectWorld* dst);
} PF_iterateFloatSuite1;

#define kPFHandleSuite "PF Handle Suite"
#define kPFHandleSuiteVersion2 2

typedef struct PF_HandleSuite2 {
  PF_Handle (*host_new_handle)(A_u_longlong size);  // null when out of memory
  void* (*host_lock_handle)(PF_Handle handle);
  void (*host_unlock_handle)(PF_Handle handle);
  void (*host_dispose_handle)(PF_Handle handle);
  A_u_longlong (*host_get_handle_size)(PF_Handle handle);
} PF_HandleSuite2;
