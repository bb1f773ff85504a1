// Shows the parameters the chosen fill type and number of stops need and
// hides the rest, through the hidden flag of each parameter's stream.
#pragma once

#include <vector>

#include "sdk/AEGPSuites.h"
#include "sdk/PFRecords.h"

namespace Tavrolin::Fill {

namespace ParamHelper {

// For each j: sets or clears AEGP_DynStreamFlag_HIDDEN on the stream of
// parameter indices[j] (visible[j] true shows it; no write when the flag is
// already right, never undoable), then asks the host to redraw the control
// with params[indices[j]] as the host passed it.
void ChangeParamVisibility(PF_InData* in_data, AEGP_EffectRefH effect, PF_ParamDef* params[],
                           const std::vector<int>& indices, const std::vector<bool>& visible);
void ChangeParamVisibility(PF_InData* in_data, AEGP_EffectRefH effect, PF_ParamDef* params[], int index,
                           bool visible);

}  // namespace ParamHelper

// The fill-dependent parameters in mask order, and the mask of shown ones per
// "Fill Type" choice (bit j belongs to kFillDependentParams[j]).
extern const int kFillDependentParams[9];
extern const unsigned kFillVisibilityMasks[4];

// The command handlers; both return PF_Err_NONE and throw a PF_Err when a
// suite is missing. `extra` may be null (then nothing changes).
PF_Err UserChangedParam(PF_InData* in_data, PF_ParamDef* params[], const PF_UserChangedParamExtra* extra);
PF_Err UpdateParamsUI(PF_InData* in_data, PF_ParamDef* params[]);

}  // namespace Tavrolin::Fill
