#include "plugin/ParamVisibility.h"

#include <algorithm>

#include "plugin/ParamTable.h"
#include "plugin/ScopedSuite.h"
#include "sdk/PFSuites.h"

namespace Tavrolin::Fill {

const int kFillDependentParams[9] = {
    ParamIndex::kSolidColor,   ParamIndex::kGradientStart,    ParamIndex::kGradientEnd,
    ParamIndex::kRadialRadius, ParamIndex::kRadialCenter,     ParamIndex::kFocalOffsetAngle,
    ParamIndex::kFocalOffsetDistance, ParamIndex::kSweepCenter, ParamIndex::kColorStopAmount};

const unsigned kFillVisibilityMasks[4] = {0x001, 0x106, 0x178, 0x180};

namespace ParamHelper {

void ChangeParamVisibility(PF_InData* in_data, AEGP_EffectRefH effect, PF_ParamDef* params[],
                           const std::vector<int>& indices, const std::vector<bool>& visible) {
  ScopedSuite<PF_ParamUtilsSuite3> paramUtils(in_data, kPFParamUtilsSuite, kPFParamUtilsSuiteVersion3);
  ScopedSuite<AEGP_DynamicStreamSuite2> dynamicStreams(in_data, kAEGPDynamicStreamSuite,
                                                       kAEGPDynamicStreamSuiteVersion2);
  ScopedSuite<AEGP_StreamSuite7> streams(in_data, kAEGPStreamSuite, kAEGPStreamSuiteVersion7);

  // Host errors here are not fatal: the loop goes on with the next parameter.
  const size_t count = std::min(indices.size(), visible.size());
  for (size_t j = 0; j < count; ++j) {
    const int index = indices[j];
    AEGP_StreamRefH stream = nullptr;
    streams->AEGP_GetNewEffectStreamByIndex(0, effect, index, &stream);
    AEGP_DynStreamFlags flags = 0;
    dynamicStreams->AEGP_GetDynamicStreamFlags(stream, &flags);
    const bool hidden = (flags & AEGP_DynStreamFlag_HIDDEN) != 0;
    // Not undoable: showing and hiding leave nothing in the undo history.
    if (visible[j] && hidden)
      dynamicStreams->AEGP_SetDynamicStreamFlag(stream, AEGP_DynStreamFlag_HIDDEN, false, false);
    else if (!visible[j] && !hidden)
      dynamicStreams->AEGP_SetDynamicStreamFlag(stream, AEGP_DynStreamFlag_HIDDEN, false, true);
    if (stream) streams->AEGP_DisposeStream(stream);
    paramUtils->PF_UpdateParamUI(in_data->effect_ref, index, params[index]);
  }
}

void ChangeParamVisibility(PF_InData* in_data, AEGP_EffectRefH effect, PF_ParamDef* params[], int index,
                           bool visible) {
  ChangeParamVisibility(in_data, effect, params, std::vector<int>{index}, std::vector<bool>{visible});
}

}  // namespace ParamHelper

namespace {

// The effect handle of one parameter-UI command, disposed on every way out
// (also when a suite is missing further in).
class EffectHandle {
public:
  EffectHandle(PF_InData* in_data, AEGP_PFInterfaceSuite1* pfInterface, AEGP_EffectSuite2* effects)
      : mEffects(effects) {
    pfInterface->AEGP_GetNewEffectForEffect(0, in_data->effect_ref, &mEffect);  // result not examined
  }
  ~EffectHandle() {
    if (mEffect) mEffects->AEGP_DisposeEffect(mEffect);
  }
  EffectHandle(const EffectHandle&) = delete;
  EffectHandle& operator=(const EffectHandle&) = delete;
  AEGP_EffectRefH get() const { return mEffect; }

private:
  AEGP_EffectSuite2* mEffects;
  AEGP_EffectRefH mEffect = nullptr;
};

void ApplyFillType(PF_InData* in_data, AEGP_EffectRefH effect, PF_ParamDef* params[], int choice) {
  const unsigned mask = kFillVisibilityMasks[choice - 1];
  std::vector<int> indices(std::begin(kFillDependentParams), std::end(kFillDependentParams));
  std::vector<bool> visible(indices.size());
  for (size_t j = 0; j < indices.size(); ++j) visible[j] = (mask >> j) & 1u;
  ParamHelper::ChangeParamVisibility(in_data, effect, params, indices, visible);
}

void ApplyStopCount(PF_InData* in_data, AEGP_EffectRefH effect, PF_ParamDef* params[], int visibleStops) {
  std::vector<int> indices;
  std::vector<bool> visible;
  for (int n = 1; n <= ParamIndex::kStopGroupCount; ++n)
    for (int k = 0; k < ParamIndex::kStopGroupSize; ++k) {
      indices.push_back(ParamIndex::StopGroupStart(n) + k);
      visible.push_back(n <= visibleStops);
    }
  ParamHelper::ChangeParamVisibility(in_data, effect, params, indices, visible);
}

bool IsFillChoice(int choice) { return choice >= 1 && choice <= 4; }

int Choice(PF_ParamDef* params[], int index) {
  if (!params || !params[index]) throw PF_Err(PF_Err_BAD_CALLBACK_PARAM);
  return params[index]->u.pd.value;
}

}  // namespace

PF_Err UserChangedParam(PF_InData* in_data, PF_ParamDef* params[], const PF_UserChangedParamExtra* extra) {
  ScopedSuite<AEGP_EffectSuite2> effects(in_data, kAEGPEffectSuite, kAEGPEffectSuiteVersion2);
  ScopedSuite<AEGP_PFInterfaceSuite1> pfInterface(in_data, kAEGPPFInterfaceSuite, kAEGPPFInterfaceSuiteVersion1);
  EffectHandle effect(in_data, pfInterface.get(), effects.get());

  const int changed = extra ? extra->param_index : -1;
  if (changed == ParamIndex::kFillType) {
    const int choice = Choice(params, ParamIndex::kFillType);
    if (IsFillChoice(choice)) ApplyFillType(in_data, effect.get(), params, choice);
  } else if (changed == ParamIndex::kColorStopAmount) {
    ApplyStopCount(in_data, effect.get(), params, Choice(params, ParamIndex::kColorStopAmount) + 1);
  }
  return PF_Err_NONE;
}

PF_Err UpdateParamsUI(PF_InData* in_data, PF_ParamDef* params[]) {
  ScopedSuite<AEGP_EffectSuite2> effects(in_data, kAEGPEffectSuite, kAEGPEffectSuiteVersion2);
  ScopedSuite<AEGP_PFInterfaceSuite1> pfInterface(in_data, kAEGPPFInterfaceSuite, kAEGPPFInterfaceSuiteVersion1);
  EffectHandle effect(in_data, pfInterface.get(), effects.get());

  const int fill = Choice(params, ParamIndex::kFillType);
  if (IsFillChoice(fill)) ApplyFillType(in_data, effect.get(), params, fill);
  // A solid fill uses no stops.
  const int stops = fill == 1 ? 0 : Choice(params, ParamIndex::kColorStopAmount) + 1;
  ApplyStopCount(in_data, effect.get(), params, stops);
  return PF_Err_NONE;
}

}  // namespace Tavrolin::Fill
