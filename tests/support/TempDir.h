#pragma once

// A fixture with a fresh folder under /tmp for each test, removed with all
// it holds when the test ends.

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace Tavrolin::Fill::Test {

class TempDirTest : public ::testing::Test {
protected:
    // The folder is /tmp/PREFIX-XXXXXX.
    explicit TempDirTest(std::string prefix) : mPrefix(std::move(prefix)) {}

    void SetUp() override;
    void TearDown() override;

    std::string path(const std::string& name) const { return dir + "/" + name; }
    // Every entry of the folder, hidden ones (temporary files) included.
    std::set<std::string> files() const;

    std::string dir;

private:
    std::string mPrefix;
};

}  // namespace Tavrolin::Fill::Test
