// The module shows the host exactly one symbol.
#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

TEST(Exports, OnlyEntryPointFuncIsExported) {
  const std::string command = std::string("nm -D --defined-only '") + TQ_MODULE_PATH + "' 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::vector<std::string> symbols;
  char line[4096];
  while (std::fgets(line, sizeof line, pipe)) {
    std::string s(line);
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r')) s.pop_back();
    const size_t space = s.rfind(' ');
    symbols.push_back(space == std::string::npos ? s : s.substr(space + 1));
  }
  ASSERT_EQ(pclose(pipe), 0) << "nm failed";
  ASSERT_EQ(symbols.size(), 1u) << "exported: " << ::testing::PrintToString(symbols);
  EXPECT_EQ(symbols[0], "EntryPointFunc");
}

}  // namespace
