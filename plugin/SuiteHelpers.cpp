#include "plugin/SuiteHelpers.h"

#include <cstdio>
#include <cstring>

namespace Tavrolin::Fill {

namespace {

struct DrawbotSuite {
  const char* name;
  int version;
};

constexpr DrawbotSuite kDrawbotSuites[4] = {
    {kDRAWBOT_DrawSuite, kDRAWBOT_DrawSuite_Version1},
    {kDRAWBOT_SupplierSuite, kDRAWBOT_SupplierSuite_Version1},
    {kDRAWBOT_SurfaceSuite, kDRAWBOT_SurfaceSuite_Version2},
    {kDRAWBOT_PathSuite, kDRAWBOT_PathSuite_Version1},
};

// Flags the message for display and copies it as plain text, cut to fit.
void SetMessage(PF_OutData* out_data, const char* text) {
  out_data->out_flags |= PF_OutFlag_DISPLAY_ERROR_MESSAGE;
  std::strncpy(out_data->return_msg, text, sizeof out_data->return_msg - 1);
  out_data->return_msg[sizeof out_data->return_msg - 1] = '\0';
}

}  // namespace

PF_Err AcquireSuite(PF_InData* in_data, PF_OutData* out_data, const char* name, int version, const char* message,
                    void** suite) {
  // Cleared first so a basic suite that fails without writing leaves no stale pointer.
  *suite = nullptr;
  if (in_data->pica_basicP) {
    in_data->pica_basicP->AcquireSuite(name, version, suite);
    if (*suite) return PF_Err_NONE;  // only the pointer counts, not the result
  }
  char text[1024];
  // The precision keeps a long name inside the buffer.
  if (in_data->utils)
    in_data->utils->ansi.sprintf(text, "Not able to acquire AEFX Suite-%.960s-%d", name, version);
  else
    std::snprintf(text, sizeof text, "Not able to acquire AEFX Suite-%.960s-%d", name, version);
  SetMessage(out_data, message ? message : text);
  return PF_Err_BAD_CALLBACK_PARAM;
}

PF_Err ReleaseSuite(PF_InData* in_data, PF_OutData* out_data, const char* name, int version, const char* message) {
  if (in_data->pica_basicP) {
    in_data->pica_basicP->ReleaseSuite(name, version);  // result ignored
    return PF_Err_NONE;
  }
  SetMessage(out_data, message ? message : "Not able to release AEFX Suite.");
  return PF_Err_BAD_CALLBACK_PARAM;
}

PF_Err AcquireDrawbotSuites(PF_InData* in_data, PF_OutData* out_data, DRAWBOT_Suites* suites) {
  if (!suites) {
    SetMessage(out_data, "NULL suite pointer passed to AEFX_AcquireDrawbotSuites");
    return PF_Err_UNRECOGNIZED_PARAM_TYPE;
  }
  // Each pointer is written with its own type (not through a void**), and
  // only once its suite came back.
  void* suite = nullptr;
  const auto acquire = [&](int i) {
    return AcquireSuite(in_data, out_data, kDrawbotSuites[i].name, kDrawbotSuites[i].version, nullptr, &suite);
  };
  if (PF_Err err = acquire(0)) return err;
  suites->drawbot_suiteP = static_cast<DRAWBOT_DrawbotSuite1*>(suite);
  if (PF_Err err = acquire(1)) return err;
  suites->supplier_suiteP = static_cast<DRAWBOT_SupplierSuite1*>(suite);
  if (PF_Err err = acquire(2)) return err;
  suites->surface_suiteP = static_cast<DRAWBOT_SurfaceSuite2*>(suite);
  if (PF_Err err = acquire(3)) return err;
  suites->path_suiteP = static_cast<DRAWBOT_PathSuite1*>(suite);
  return PF_Err_NONE;
}

PF_Err ReleaseDrawbotSuites(PF_InData* in_data, PF_OutData* out_data) {
  for (const DrawbotSuite& s : kDrawbotSuites) ReleaseSuite(in_data, out_data, s.name, s.version, nullptr);
  return PF_Err_NONE;
}

}  // namespace Tavrolin::Fill
