// The module's one exported function and the handlers of its small commands.
#include "plugin/ParamTable.h"
#include "plugin/ParamVisibility.h"
#include "plugin/RenderCommand.h"
#include "plugin/ScopedSuite.h"
#include "render/FinalRender.h"
#include "sdk/PFSuites.h"

namespace Tavrolin::Fill {

namespace {

// The one fill renderer, made when the module is loaded (no GL work yet) and
// destroyed at global set-down.
FinalRender* kRender = new FinalRender();

constexpr const char* kDisplayName = "TQ Fill";
constexpr int kMajorVersion = 1;
constexpr int kMinorVersion = 0;
// Version 1, sub-version 0, fix 0, develop stage, build 1, packed as the host
// expects; it must match the module's property resource.
constexpr A_u_long kPackedVersion = 0x80001;
constexpr PF_OutFlags kOutFlags = 0;
constexpr PF_OutFlags2 kOutFlags2 = PF_OutFlag2_PARAM_GROUP_START_COLLAPSED_FLAG;

PF_Err About(PF_InData* in_data, PF_OutData* out_data) {
  ScopedSuite<PF_ANSICallbacksSuite1> ansi(in_data, kPFANSISuite, kPFANSISuiteVersion1);
  ansi->sprintf(out_data->return_msg, "%s v%d.%d\r%s", kDisplayName, kMajorVersion, kMinorVersion, kDisplayName);
  return PF_Err_NONE;
}

PF_Err GlobalSetup(PF_InData*, PF_OutData* out_data) {
  out_data->my_version = kPackedVersion;
  out_data->out_flags = kOutFlags;
  out_data->out_flags2 = kOutFlags2;
  SetupGPU();
  return PF_Err_NONE;
}

PF_Err GlobalSetdown(PF_InData*, PF_OutData*) {
  TeardownGPU(kRender);
  return PF_Err_NONE;
}

// Registers parameters 1 to 66 in table order. The host's own error ends the
// registration and is passed on unchanged; what was added stays added.
PF_Err ParamsSetup(PF_InData* in_data, PF_OutData* out_data, PF_ParamDef*[], PF_LayerDef*) {
  out_data->num_params = ParamIndex::kCount;
  const std::vector<ParamRow>& table = ParamTable();
  for (size_t i = 1; i < table.size(); ++i) {
    PF_ParamDef def = MakeParamDef(table[i], in_data->utils->ansi.strcpy);
    if (PF_Err err = in_data->inter.add_param(in_data->effect_ref, PF_PARAM_INDEX_APPEND, &def)) return err;
  }
  return PF_Err_NONE;
}

PF_Err Dispatch(PF_Cmd cmd, PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* params[], PF_LayerDef* output,
                void* extra) {
  switch (cmd) {
    case PF_Cmd_ABOUT:
      return About(in_data, out_data);
    case PF_Cmd_GLOBAL_SETUP:
      return GlobalSetup(in_data, out_data);
    case PF_Cmd_GLOBAL_SETDOWN:
      return GlobalSetdown(in_data, out_data);
    case PF_Cmd_PARAMS_SETUP:
      return ParamsSetup(in_data, out_data, params, output);
    case PF_Cmd_RENDER:
      return Render(kRender, in_data, out_data, params, output);
    case PF_Cmd_USER_CHANGED_PARAM:
      return UserChangedParam(in_data, params, static_cast<const PF_UserChangedParamExtra*>(extra));
    case PF_Cmd_UPDATE_PARAMS_UI:
      return UpdateParamsUI(in_data, params);
    default:  // every other command: nothing read, nothing written
      return PF_Err_NONE;
  }
}

}  // namespace

}  // namespace Tavrolin::Fill

// Nothing may cross into the host: a raised host error code and any other
// exception alike end the command with PF_Err_BAD_CALLBACK_PARAM.
extern "C" __attribute__((visibility("default"))) PF_Err EntryPointFunc(PF_Cmd cmd, PF_InData* in_data,
                                                                        PF_OutData* out_data, PF_ParamDef* params[],
                                                                        PF_LayerDef* output, void* extra) {
  try {
    return Tavrolin::Fill::Dispatch(cmd, in_data, out_data, params, output, extra);
  } catch (PF_Err) {
    return PF_Err_BAD_CALLBACK_PARAM;
  } catch (...) {
    return PF_Err_BAD_CALLBACK_PARAM;
  }
}
