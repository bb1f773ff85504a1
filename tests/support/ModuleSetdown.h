#pragma once

// Test programs that drive the effect module keep it set up across their
// tests (its state is process-wide). At the end of the program this sends the
// global set-down a host sends before it quits, so that the module's
// renderer, frame buffer and contexts go away as they would in a host.
//
// Register it from a test file of the program:
//   const auto* const kSetdown = ::testing::AddGlobalTestEnvironment(new Test::ModuleSetdownAtExit);

#include <dlfcn.h>
#include <gtest/gtest.h>

#include "host/lib/HeadlessHost.h"

namespace Tavrolin::Fill::Test {

class ModuleSetdownAtExit : public ::testing::Environment {
public:
    void TearDown() override {
        // Only a module this program has loaded.
        void* loaded = dlopen(TQ_MODULE_PATH, RTLD_NOW | RTLD_NOLOAD);
        if (!loaded) return;
        dlclose(loaded);
        HeadlessHost host(TQ_MODULE_PATH);
        EXPECT_EQ(host.globalSetdown(), PF_Err_NONE);
    }
};

}  // namespace Tavrolin::Fill::Test
