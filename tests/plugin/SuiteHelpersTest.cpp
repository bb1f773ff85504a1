// Suite, drawing-suite and script helpers against the headless host's suites.
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "host/lib/HeadlessHost.h"
#include "plugin/ScopedSuite.h"
#include "plugin/ScriptHelper.h"
#include "plugin/SuiteHelpers.h"
#include "sdk/PFSuites.h"

namespace Tavrolin::Fill::Test {
namespace {

constexpr PF_OutFlags kOtherFlag = 1 << 2;

struct SuiteHelpers : ::testing::Test {
  HeadlessHost host;
  void SetUp() override {
    std::strcpy(host.outData()->return_msg, "untouched");
    host.outData()->out_flags = kOtherFlag;
  }
  std::string message() { return host.outData()->return_msg; }
  bool displayFlag() { return (host.outData()->out_flags & PF_OutFlag_DISPLAY_ERROR_MESSAGE) != 0; }
};

TEST_F(SuiteHelpers, AcquireAndReleaseASuite) {
  void* suite = nullptr;
  EXPECT_EQ(AcquireSuite(host.inData(), host.outData(), kPFANSISuite, 1, nullptr, &suite), PF_Err_NONE);
  ASSERT_NE(suite, nullptr);
  EXPECT_EQ(host.outstandingSuites(), 1);
  EXPECT_EQ(ReleaseSuite(host.inData(), host.outData(), kPFANSISuite, 1, nullptr), PF_Err_NONE);
  EXPECT_EQ(host.outstandingSuites(), 0);
  EXPECT_EQ(message(), "untouched");
  EXPECT_EQ(host.outData()->out_flags, kOtherFlag);
}

TEST_F(SuiteHelpers, FailedAcquisitionExplainsItself) {
  struct Case {
    const char* name;
    std::function<void(HeadlessHost&)> fault;
    const char* message;
    const char* expected;
  };
  const Case cases[] = {
      {"null suite reported as success", [](HeadlessHost& h) { h.faults().nullSuites.insert("AEGP Stream Suite"); },
       nullptr, "Not able to acquire AEFX Suite-AEGP Stream Suite-7"},
      {"suite missing, own message", [](HeadlessHost& h) { h.faults().missingSuites.insert("AEGP Stream Suite"); },
       "custom words", "custom words"},
      {"no basic suite", [](HeadlessHost& h) { h.inData()->pica_basicP = nullptr; }, nullptr,
       "Not able to acquire AEFX Suite-AEGP Stream Suite-7"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    HeadlessHost h;
    h.outData()->out_flags = kOtherFlag;
    c.fault(h);
    void* suite = &h;  // stale value: must not count as success
    EXPECT_EQ(AcquireSuite(h.inData(), h.outData(), "AEGP Stream Suite", 7, c.message, &suite),
              PF_Err_BAD_CALLBACK_PARAM);
    EXPECT_EQ(suite, nullptr);
    EXPECT_EQ(std::string(h.outData()->return_msg), c.expected);
    EXPECT_EQ(h.outData()->out_flags, kOtherFlag | PF_OutFlag_DISPLAY_ERROR_MESSAGE);
    EXPECT_EQ(h.outstandingSuites(), 0);
  }
}

TEST_F(SuiteHelpers, LongNamesAreCutToTheMessageField) {
  const std::string name(2000, 'n');
  void* suite = nullptr;
  EXPECT_EQ(AcquireSuite(host.inData(), host.outData(), name.c_str(), 3, nullptr, &suite), PF_Err_BAD_CALLBACK_PARAM);
  const std::string expected = ("Not able to acquire AEFX Suite-" + name).substr(0, 255);
  EXPECT_EQ(message(), expected);
}

TEST_F(SuiteHelpers, ReleaseWithoutBasicSuite) {
  host.inData()->pica_basicP = nullptr;
  EXPECT_EQ(ReleaseSuite(host.inData(), host.outData(), kPFANSISuite, 1, nullptr), PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_EQ(message(), "Not able to release AEFX Suite.");
  EXPECT_TRUE(displayFlag());
  EXPECT_EQ(ReleaseSuite(host.inData(), host.outData(), kPFANSISuite, 1, "mine"), PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_EQ(message(), "mine");
}

TEST_F(SuiteHelpers, DrawbotSuitesAsASet) {
  DRAWBOT_Suites suites{};
  ASSERT_EQ(AcquireDrawbotSuites(host.inData(), host.outData(), &suites), PF_Err_NONE);
  EXPECT_NE(suites.drawbot_suiteP, nullptr);
  EXPECT_NE(suites.supplier_suiteP, nullptr);
  EXPECT_NE(suites.surface_suiteP, nullptr);
  EXPECT_NE(suites.path_suiteP, nullptr);
  EXPECT_EQ(host.outstandingSuites(), 4);
  EXPECT_EQ(ReleaseDrawbotSuites(host.inData(), host.outData()), PF_Err_NONE);
  EXPECT_EQ(host.outstandingSuites(), 0);
  EXPECT_TRUE(host.direct().suitesBalanced());
  EXPECT_EQ(message(), "untouched");
}

TEST_F(SuiteHelpers, DrawbotStopsAtTheFirstMissingSuite) {
  host.faults().missingSuites.insert("DRAWBOT Surface Suite");
  auto* sentinel = reinterpret_cast<DRAWBOT_PathSuite1*>(&host);
  auto* surfaceSentinel = reinterpret_cast<DRAWBOT_SurfaceSuite2*>(&host);
  DRAWBOT_Suites suites{nullptr, nullptr, surfaceSentinel, sentinel};
  EXPECT_EQ(AcquireDrawbotSuites(host.inData(), host.outData(), &suites), PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_EQ(message(), "Not able to acquire AEFX Suite-DRAWBOT Surface Suite-2");
  EXPECT_NE(suites.drawbot_suiteP, nullptr);
  EXPECT_NE(suites.supplier_suiteP, nullptr);
  EXPECT_EQ(suites.surface_suiteP, surfaceSentinel);
  EXPECT_EQ(suites.path_suiteP, sentinel);
  EXPECT_EQ(host.outstandingSuites(), 2);  // the first two stay acquired
  // The path suite was never asked for.
  for (const SuiteCall& c : host.direct().suiteCalls) EXPECT_NE(c.name, "DRAWBOT Path Suite");
}

TEST_F(SuiteHelpers, DrawbotErrorsWithoutRecordOrBasicSuite) {
  EXPECT_EQ(AcquireDrawbotSuites(host.inData(), host.outData(), nullptr), PF_Err_UNRECOGNIZED_PARAM_TYPE);
  EXPECT_EQ(message(), "NULL suite pointer passed to AEFX_AcquireDrawbotSuites");
  EXPECT_TRUE(displayFlag());

  host.inData()->pica_basicP = nullptr;
  std::strcpy(host.outData()->return_msg, "untouched");
  EXPECT_EQ(ReleaseDrawbotSuites(host.inData(), host.outData()), PF_Err_NONE);
  EXPECT_EQ(message(), "Not able to release AEFX Suite.");
}

TEST_F(SuiteHelpers, ScopedSuitesReleaseInReverseOrderAlsoOnFailure) {
  host.faults().missingSuites.insert("AEGP Stream Suite");
  try {
    ScopedSuite<PF_ANSICallbacksSuite1> first(host.inData(), kPFANSISuite, 1);
    ScopedSuite<PF_HandleSuite2> second(host.inData(), kPFHandleSuite, 2);
    ScopedSuite<AEGP_StreamSuite7> third(host.inData(), kAEGPStreamSuite, 7);
    FAIL() << "a missing suite must throw";
  } catch (PF_Err err) {
    EXPECT_EQ(err, A_Err_MISSING_SUITE);
  }
  const std::vector<SuiteCall>& calls = host.direct().suiteCalls;
  ASSERT_EQ(calls.size(), 5u);
  EXPECT_EQ(calls[3].name, "PF Handle Suite");
  EXPECT_FALSE(calls[3].acquire);
  EXPECT_EQ(calls[4].name, "PF ANSI Suite");
  EXPECT_FALSE(calls[4].acquire);
  EXPECT_TRUE(host.direct().suitesBalanced());
  EXPECT_EQ(std::string(host.outData()->return_msg), "untouched");
}

TEST_F(SuiteHelpers, ScriptResultComesBackAsItCame) {
  std::string seen;
  host.setScriptEvaluator([&](const std::string& script) {
    seen = script;
    return ScriptResult{std::string("  42 \n"), std::string("no error"), A_Err_NONE};
  });
  EXPECT_EQ(ScriptHelper::RunSriptAndGetStringResult(host.basicSuite(), "1 + 41"), "  42 \n");
  EXPECT_EQ(seen, "1 + 41");
  EXPECT_EQ(host.liveMemHandles(), 0);
  EXPECT_TRUE(host.direct().suitesBalanced());
}

TEST_F(SuiteHelpers, ScriptWithoutResultHandleGivesEmptyText) {
  host.setScriptEvaluator([](const std::string&) { return ScriptResult{std::nullopt, std::string("boom"), 7}; });
  EXPECT_EQ(ScriptHelper::RunSriptAndGetStringResult(host.basicSuite(), "throw"), "");
  EXPECT_EQ(host.liveMemHandles(), 0);
}

TEST_F(SuiteHelpers, ScriptWithMissingMemorySuiteThrowsAndReleasesTheOther) {
  host.faults().missingSuites.insert("AEGP Memory Suite");
  EXPECT_THROW(
      {
        try {
          ScriptHelper::RunSriptAndGetStringResult(host.basicSuite(), "x");
        } catch (PF_Err e) {
          EXPECT_EQ(e, A_Err_MISSING_SUITE);
          throw;
        }
      },
      PF_Err);
  EXPECT_TRUE(host.direct().suitesBalanced());
  EXPECT_EQ(host.outstandingSuites(), 0);
}

TEST(TrimStringWhiteSpaces, RemovesCLocaleSpaceAtBothEndsOnly) {
  struct Case {
    const char* name;
    std::string in, out;
  };
  const Case cases[] = {
      {"all white", " \t\n\v\f\r", ""},
      {"empty", "", ""},
      {"nothing to trim", "a b", "a b"},
      {"both ends, inside kept", "\t a  b \r\n", "a  b"},
      {"high bytes are not space", "\xA0x\xA0", "\xA0x\xA0"},
      {"zero byte is not space", std::string("\0a", 2), std::string("\0a", 2)},
  };
  for (const Case& c : cases) EXPECT_EQ(ScriptHelper::TrimStringWhiteSpaces(c.in), c.out) << c.name;
}

}  // namespace
}  // namespace Tavrolin::Fill::Test
