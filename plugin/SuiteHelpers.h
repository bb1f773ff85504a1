// Acquiring and releasing host suites outside a ScopedSuite, with a message
// for the host when that fails.
#pragma once

#include "sdk/DrawbotSuites.h"
#include "sdk/PFRecords.h"

namespace Tavrolin::Fill {

// 0 with *suite set, or PF_Err_BAD_CALLBACK_PARAM with `message` (or the
// standard text naming the suite) in return_msg and
// PF_OutFlag_DISPLAY_ERROR_MESSAGE set. `message` may be null.
PF_Err AcquireSuite(PF_InData* in_data, PF_OutData* out_data, const char* name, int version, const char* message,
                    void** suite);
PF_Err ReleaseSuite(PF_InData* in_data, PF_OutData* out_data, const char* name, int version, const char* message);

// The four drawing suites in the record's order. At the first failure the
// ones before stay acquired and the later pointers are not written.
PF_Err AcquireDrawbotSuites(PF_InData* in_data, PF_OutData* out_data, DRAWBOT_Suites* suites);
// Releases all four; always 0.
PF_Err ReleaseDrawbotSuites(PF_InData* in_data, PF_OutData* out_data);

}  // namespace Tavrolin::Fill
