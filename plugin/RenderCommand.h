#pragma once

// The render command and the lifetime of the GPU state it uses: the shared
// data context made at global set-up, the frame buffer, the fill renderer and
// every context destroyed at global set-down.

#include "sdk/PFRecords.h"

namespace Tavrolin::Fill {

class FinalRender;

// Global set-up, after the version and flags: creates the shared data context
// with the host's context saved and restored around it. A data context made
// by an earlier set-up is kept.
void SetupGPU();

// Global set-down: with the data context current, destroys the frame buffer,
// then `render` (set to null), then every context; the host's context is
// current again afterwards. With `render` already null (a second set-down)
// nothing is left to do and nothing is touched.
void TeardownGPU(FinalRender*& render);

// One frame: the input layer (params[0]) goes up as a texture, `render` reads
// the parameters and draws the fill over it, and the picture comes back into
// `output`. Where the two worlds differ in size only their common area is
// written. A frame that cannot be rendered (no renderer or context after
// set-down, no GL context, a layer without pixels or of a size GL cannot
// hold) prints a one-line reason, leaves `output` untouched and returns
// PF_Err_BAD_CALLBACK_PARAM; so does a host service that fails (its error
// code is in the line). On every way out the frame buffer's drawing is ended
// and the host's context is current again.
PF_Err Render(FinalRender* render, PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* params[],
              PF_LayerDef* output);

}  // namespace Tavrolin::Fill
