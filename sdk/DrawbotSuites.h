// The four drawing suites, acquired and released as a set.
#pragma once

#include "sdk/PFTypes.h"

struct _DRAWBOT_DrawRefOpaque;
typedef struct _DRAWBOT_DrawRefOpaque* DRAWBOT_DrawRef;
struct _DRAWBOT_SupplierRefOpaque;
typedef struct _DRAWBOT_SupplierRefOpaque* DRAWBOT_SupplierRef;
struct _DRAWBOT_SurfaceRefOpaque;
typedef struct _DRAWBOT_SurfaceRefOpaque* DRAWBOT_SurfaceRef;
struct _DRAWBOT_PathRefOpaque;
typedef struct _DRAWBOT_PathRefOpaque* DRAWBOT_PathRef;

typedef struct DRAWBOT_PointF32 {
  float x, y;
} DRAWBOT_PointF32;

#define kDRAWBOT_DrawSuite "DRAWBOT Draw Suite"
#define kDRAWBOT_DrawSuite_Version1 1
#define kDRAWBOT_SupplierSuite "DRAWBOT Supplier Suite"
#define kDRAWBOT_SupplierSuite_Version1 1
#define kDRAWBOT_SurfaceSuite "DRAWBOT Surface Suite"
#define kDRAWBOT_SurfaceSuite_Version2 2
#define kDRAWBOT_PathSuite "DRAWBOT Path Suite"
#define kDRAWBOT_PathSuite_Version1 1

typedef struct DRAWBOT_DrawbotSuite1 {
  A_Err (*GetSupplier)(DRAWBOT_DrawRef draw, DRAWBOT_SupplierRef* supplier);
  A_Err (*GetSurface)(DRAWBOT_DrawRef draw, DRAWBOT_SurfaceRef* surface);
} DRAWBOT_DrawbotSuite1;

typedef struct DRAWBOT_SupplierSuite1 {
  A_Err (*NewPath)(DRAWBOT_SupplierRef supplier, DRAWBOT_PathRef* path);
  A_Err (*DisposePath)(DRAWBOT_PathRef path);
} DRAWBOT_SupplierSuite1;

typedef struct DRAWBOT_SurfaceSuite2 {
  // Fills the path's interior with one straight RGBA colour (0..1).
  A_Err (*FillPath)(DRAWBOT_SurfaceRef surface, DRAWBOT_PathRef path, const float rgba[4]);
} DRAWBOT_SurfaceSuite2;

typedef struct DRAWBOT_PathSuite1 {
  A_Err (*MoveTo)(DRAWBOT_PathRef path, float x, float y);
  A_Err (*LineTo)(DRAWBOT_PathRef path, float x, float y);
  A_Err (*Close)(DRAWBOT_PathRef path);
} DRAWBOT_PathSuite1;

// The four pointers in this order: draw, supplier, surface, path.
typedef struct DRAWBOT_Suites {
  DRAWBOT_DrawbotSuite1* drawbot_suiteP;
  DRAWBOT_SupplierSuite1* supplier_suiteP;
  DRAWBOT_SurfaceSuite2* surface_suiteP;
  DRAWBOT_PathSuite1* path_suiteP;
} DRAWBOT_Suites;
