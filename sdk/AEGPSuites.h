// The general-plug-in suites the effect uses: effects, streams and their
// dynamic flags, script execution, memory handles.
#pragma once

#include "sdk/PFRecords.h"

typedef A_long AEGP_PluginID;
struct _AEGP_EffectRefOpaque;
typedef struct _AEGP_EffectRefOpaque* AEGP_EffectRefH;
struct _AEGP_StreamRefOpaque;
typedef struct _AEGP_StreamRefOpaque* AEGP_StreamRefH;
struct _AEGP_MemHandleOpaque;
typedef struct _AEGP_MemHandleOpaque* AEGP_MemHandle;
typedef A_u_longlong AEGP_MemSize;
typedef A_long AEGP_MemFlag;
typedef A_long AEGP_DynStreamFlags;

enum {
  AEGP_DynStreamFlag_NONE = 0,
  AEGP_DynStreamFlag_HIDDEN = 1 << 1
};

enum {
  AEGP_MemFlag_NONE = 0,
  AEGP_MemFlag_CLEAR = 1
};

#define kAEGPPFInterfaceSuite "AEGP PF Interface Suite"
#define kAEGPPFInterfaceSuiteVersion1 1

typedef struct AEGP_PFInterfaceSuite1 {
  // A new handle on the effect behind effect_ref; dispose it with the Effect suite.
  A_Err (*AEGP_GetNewEffectForEffect)(AEGP_PluginID id, PF_ProgPtr effect_ref,
                                      AEGP_EffectRefH* effect);
} AEGP_PFInterfaceSuite1;

#define kAEGPEffectSuite "AEGP Effect Suite"
#define kAEGPEffectSuiteVersion2 2

typedef struct AEGP_EffectSuite2 {
  A_Err (*AEGP_DisposeEffect)(AEGP_EffectRefH effect);
} AEGP_EffectSuite2;

#define kAEGPStreamSuite "AEGP Stream Suite"
#define kAEGPStreamSuiteVersion7 7

typedef struct AEGP_StreamSuite7 {
  A_Err (*AEGP_GetNewEffectStreamByIndex)(AEGP_PluginID id, AEGP_EffectRefH effect,
                                          PF_ParamIndex index, AEGP_StreamRefH* stream);
  A_Err (*AEGP_DisposeStream)(AEGP_StreamRefH stream);
} AEGP_StreamSuite7;

#define kAEGPDynamicStreamSuite "AEGP Dynamic Stream Suite"
#define kAEGPDynamicStreamSuiteVersion2 2

typedef struct AEGP_DynamicStreamSuite2 {
  A_Err (*AEGP_GetDynamicStreamFlags)(AEGP_StreamRefH stream, AEGP_DynStreamFlags* flags);
  // Sets (setB true) or clears one flag.
  A_Err (*AEGP_SetDynamicStreamFlag)(AEGP_StreamRefH stream, AEGP_DynStreamFlags one_flag,
                                     A_Boolean undoableB, A_Boolean setB);
} AEGP_DynamicStreamSuite2;

#define kAEGPUtilitySuite "AEGP Utility Suite"
#define kAEGPUtilitySuiteVersion11 11

typedef struct AEGP_UtilitySuite11 {
  // Runs a script; the result and the error text come back as new memory
  // handles holding zero-terminated text (either pointer may be null).
  A_Err (*AEGP_ExecuteScript)(AEGP_PluginID id, const A_char* script,
                              A_Boolean platform_encodingB, AEGP_MemHandle* resultPH0,
                              AEGP_MemHandle* errorPH0);
} AEGP_UtilitySuite11;

#define kAEGPMemorySuite "AEGP Memory Suite"
#define kAEGPMemorySuiteVersion1 1

typedef struct AEGP_MemorySuite1 {
  A_Err (*AEGP_NewMemHandle)(AEGP_PluginID id, const A_char* what, AEGP_MemSize size,
                             AEGP_MemFlag flags, AEGP_MemHandle* memPH);
  A_Err (*AEGP_FreeMemHandle)(AEGP_MemHandle mem);
  A_Err (*AEGP_LockMemHandle)(AEGP_MemHandle mem, void** ptr);
  A_Err (*AEGP_UnlockMemHandle)(AEGP_MemHandle mem);
  A_Err (*AEGP_GetMemHandleSize)(AEGP_MemHandle mem, AEGP_MemSize* size);
} AEGP_MemorySuite1;
