// A host with the built module loaded and its parameters set up.
#pragma once

#include <memory>

#include <gtest/gtest.h>

#include "host/lib/HeadlessHost.h"

namespace Tavrolin::Fill::Test {

inline std::unique_ptr<HeadlessHost> LoadModule() { return std::make_unique<HeadlessHost>(TQ_MODULE_PATH); }

// The module set up as a host would before the first frame: parameters
// registered, a small layer known.
inline std::unique_ptr<HeadlessHost> SetUpModule(int width = 40, int height = 20) {
  auto host = LoadModule();
  host->setLayer(width, height);
  EXPECT_EQ(host->paramsSetup(), PF_Err_NONE);
  return host;
}

}  // namespace Tavrolin::Fill::Test
