#include "plugin/ScriptHelper.h"

#include "plugin/ScopedSuite.h"
#include "sdk/AEGPSuites.h"

namespace Tavrolin::Fill {

namespace ScriptHelper {

namespace {

// A memory handle freed on every way out (freeing also unlocks it).
class MemHandle {
public:
  explicit MemHandle(AEGP_MemorySuite1* memory) : mMemory(memory) {}
  ~MemHandle() {
    if (mHandle) mMemory->AEGP_FreeMemHandle(mHandle);
  }
  MemHandle(const MemHandle&) = delete;
  MemHandle& operator=(const MemHandle&) = delete;
  AEGP_MemHandle* out() { return &mHandle; }
  const char* lock() {
    void* p = nullptr;
    if (mHandle) mMemory->AEGP_LockMemHandle(mHandle, &p);
    return static_cast<const char*>(p);
  }

private:
  AEGP_MemorySuite1* mMemory;
  AEGP_MemHandle mHandle = nullptr;
};

}  // namespace

std::string RunSriptAndGetStringResult(SPBasicSuite* basic, const char* script) {
  ScopedSuite<AEGP_UtilitySuite11> utility(basic, kAEGPUtilitySuite, kAEGPUtilitySuiteVersion11);
  ScopedSuite<AEGP_MemorySuite1> memory(basic, kAEGPMemorySuite, kAEGPMemorySuiteVersion1);
  MemHandle result(memory.get());
  MemHandle error(memory.get());
  utility->AEGP_ExecuteScript(0, script, false, result.out(), error.out());  // the code is not examined
  const char* text = result.lock();
  error.lock();  // the error text is not used
  return text ? std::string(text) : std::string();
}

std::string TrimStringWhiteSpaces(const std::string& text) {
  static const char kWhite[] = " \t\n\v\f\r";
  const size_t first = text.find_first_not_of(kWhite);
  if (first == std::string::npos) return std::string();
  const size_t last = text.find_last_not_of(kWhite);
  return text.substr(first, last - first + 1);
}

}  // namespace ScriptHelper

}  // namespace Tavrolin::Fill
