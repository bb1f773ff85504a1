// Holds one host suite for the length of a scope.
#pragma once

#include "sdk/PFRecords.h"

namespace Tavrolin::Fill {

// Acquires `name` at `version` from the basic suite on construction and
// releases it on destruction, also while an exception unwinds, so holders
// are released in reverse order on every path. A failed acquisition throws
// the error code A_Err_MISSING_SUITE (a PF_Err) and writes no message.
template <typename Suite>
class ScopedSuite {
public:
  ScopedSuite(SPBasicSuite* basic, const char* name, int version) : mBasic(basic), mName(name), mVersion(version) {
    void* suite = nullptr;
    const SPErr err = mBasic ? mBasic->AcquireSuite(mName, mVersion, &suite) : SPErr(A_Err_MISSING_SUITE);
    // A null table reported as success would be called through: treat it as missing too.
    if (err != kSPNoError || !suite) throw PF_Err(A_Err_MISSING_SUITE);
    mSuite = static_cast<Suite*>(suite);
  }

  ScopedSuite(PF_InData* in_data, const char* name, int version) : ScopedSuite(in_data->pica_basicP, name, version) {}

  ~ScopedSuite() {
    if (mSuite) mBasic->ReleaseSuite(mName, mVersion);  // result ignored
  }

  ScopedSuite(const ScopedSuite&) = delete;
  ScopedSuite& operator=(const ScopedSuite&) = delete;

  Suite* get() const { return mSuite; }
  Suite* operator->() const { return mSuite; }

private:
  SPBasicSuite* mBasic;
  const char* mName;
  int mVersion;
  Suite* mSuite = nullptr;
};

}  // namespace Tavrolin::Fill
