// The basic suite: every other suite is acquired from it by name and version.
#pragma once

#include <cstddef>
#include <cstdint>

typedef int32_t SPErr;
#define kSPNoError 0

typedef struct SPBasicSuite {
  // Fills *suite with the suite's function table; 0 on success.
  SPErr (*AcquireSuite)(const char* name, int32_t version, void** suite);
  SPErr (*ReleaseSuite)(const char* name, int32_t version);
  int32_t (*IsEqual)(const char* token1, const char* token2);
  SPErr (*AllocateBlock)(size_t size, void** block);
  SPErr (*FreeBlock)(void* block);
  SPErr (*ReallocateBlock)(void* block, size_t newSize, void** newblock);
} SPBasicSuite;
