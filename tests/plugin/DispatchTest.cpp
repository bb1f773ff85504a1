// The entry point through a real host: which commands write what, and how
// failures inside a command reach the host.
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "ModuleHost.h"

namespace Tavrolin::Fill::Test {
namespace {

void FillPattern(PF_OutData* out) { std::memset(out, 0x5A, sizeof *out); }

TEST(Dispatch, IgnoredCommandsReturnZeroAndLeaveOutDataAlone) {
  auto host = SetUpModule();
  for (PF_Cmd cmd : {2, 5, 12, 22}) {
    SCOPED_TRACE(cmd);
    FillPattern(host->outData());
    PF_OutData before = *host->outData();
    EXPECT_EQ(host->send(cmd), PF_Err_NONE);
    EXPECT_EQ(std::memcmp(&before, host->outData(), sizeof before), 0);
    EXPECT_TRUE(host->lastCommand().suiteCalls.empty());
  }
}

TEST(Dispatch, AboutWritesTheTextAndNothingElse) {
  auto host = LoadModule();
  FillPattern(host->outData());
  PF_OutData before = *host->outData();
  ASSERT_EQ(host->about(), PF_Err_NONE);
  EXPECT_EQ(std::string(host->outData()->return_msg), "TQ Fill v1.0\rTQ Fill");
  // Every byte outside return_msg is as it was.
  std::memcpy(before.return_msg, host->outData()->return_msg, sizeof before.return_msg);
  EXPECT_EQ(std::memcmp(&before, host->outData(), sizeof before), 0);
  const CommandRecord& rec = host->lastCommand();
  ASSERT_EQ(rec.suiteCalls.size(), 2u);
  EXPECT_EQ(rec.suiteCalls[0].name, "PF ANSI Suite");
  EXPECT_EQ(rec.suiteCalls[0].version, 1);
  EXPECT_TRUE(rec.suitesBalanced());
}

TEST(Dispatch, AboutWithoutTheTextSuiteFailsAndWritesNothing) {
  for (bool nullWithSuccess : {false, true}) {
    SCOPED_TRACE(nullWithSuccess ? "null suite reported as success" : "suite missing");
    auto host = LoadModule();
    (nullWithSuccess ? host->faults().nullSuites : host->faults().missingSuites).insert("PF ANSI Suite");
    FillPattern(host->outData());
    PF_OutData before = *host->outData();
    EXPECT_EQ(host->about(), PF_Err_BAD_CALLBACK_PARAM);
    EXPECT_EQ(std::memcmp(&before, host->outData(), sizeof before), 0);
    EXPECT_TRUE(host->lastCommand().suitesBalanced());
    EXPECT_EQ(host->outstandingSuites(), 0);
  }
}

TEST(Dispatch, GlobalSetupWritesVersionAndFlags) {
  auto host = LoadModule();
  FillPattern(host->outData());
  ASSERT_EQ(host->globalSetup(), PF_Err_NONE);
  EXPECT_EQ(host->outData()->my_version, 0x80001u);
  EXPECT_EQ(host->outData()->out_flags, 0);
  EXPECT_EQ(host->outData()->out_flags2, 8);
}

// A missing suite deep inside a command raises 13; the host sees 516, and
// whatever the command had obtained is given back.
TEST(Dispatch, ErrorRaisedInsideAHandlerReachesTheHostAs516) {
  for (const char* suite : {"AEGP Effect Suite", "AEGP PF Interface Suite", "PF Param Utils Suite",
                            "AEGP Dynamic Stream Suite", "AEGP Stream Suite"}) {
    SCOPED_TRACE(suite);
    auto host = SetUpModule();
    host->faults().missingSuites.insert(suite);
    FillPattern(host->outData());
    PF_OutData before = *host->outData();
    EXPECT_EQ(host->updateParamsUI(), PF_Err_BAD_CALLBACK_PARAM);
    const CommandRecord& rec = host->lastCommand();
    EXPECT_TRUE(rec.suitesBalanced());
    EXPECT_EQ(rec.effectsObtained, rec.effectsDisposed);
    EXPECT_EQ(host->liveEffects(), 0);
    EXPECT_EQ(host->liveStreams(), 0);
    EXPECT_EQ(std::memcmp(&before, host->outData(), sizeof before), 0);
  }
}

// Not a host error code at all: still nothing crosses into the host.
TEST(Dispatch, AnyOtherExceptionEndsTheCommandWith516) {
  auto host = SetUpModule();
  host->faults().throwIn.insert("PF_UpdateParamUI");
  EXPECT_EQ(host->updateParamsUI(), PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_TRUE(host->lastCommand().suitesBalanced());
  EXPECT_EQ(host->liveEffects(), 0);
  EXPECT_EQ(host->liveStreams(), 0);

  auto fresh = LoadModule();
  fresh->faults().throwIn.insert("add_param");
  EXPECT_EQ(fresh->paramsSetup(), PF_Err_BAD_CALLBACK_PARAM);
}

}  // namespace
}  // namespace Tavrolin::Fill::Test
