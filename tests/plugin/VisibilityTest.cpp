// Showing and hiding parameters, observed through the host's stream flags
// and its log of redraw requests.
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "ModuleHost.h"

namespace Tavrolin::Fill::Test {
namespace {

constexpr int kFillType = 1, kColorStopAmount = 11;

// Shown per fill type, by name, as the visibility rules list them.
const std::set<std::string> kFillShown[4] = {
    {"Solid Color"},
    {"Gradient Start", "Gradient End", "Color Stop Amount"},
    {"Radial Radius", "Radial Center", "Focal Offset Angle", "Focal Offset Distance", "Color Stop Amount"},
    {"Sweep Center", "Color Stop Amount"},
};
const std::vector<int> kFillDependent = {2, 3, 4, 5, 6, 7, 8, 9, 11};

std::vector<int> StopParams() {
  std::vector<int> v;
  for (int i = 12; i <= 66; ++i) v.push_back(i);
  return v;
}

int GroupOf(int index) { return (index - 12) / 5 + 1; }

void SetAllHidden(HeadlessHost& host, bool hidden) {
  for (int i = 0; i < host.paramCount(); ++i) host.setStreamFlags(i, hidden ? AEGP_DynStreamFlag_HIDDEN : 0);
}

std::vector<int> UpdatedIndices(const CommandRecord& rec) {
  std::vector<int> v;
  for (const ParamUIUpdate& u : rec.uiUpdates) v.push_back(u.index);
  return v;
}

void ExpectRedrawsWithCommandEntries(const CommandRecord& rec) {
  for (const ParamUIUpdate& u : rec.uiUpdates) EXPECT_TRUE(u.defIsCommandEntry) << u.index;
}

void ExpectCleanFrame(const HeadlessHost& host) {
  const CommandRecord& rec = host.lastCommand();
  EXPECT_EQ(rec.result, PF_Err_NONE);
  EXPECT_TRUE(rec.suitesBalanced());
  EXPECT_EQ(rec.effectsObtained, 1);
  EXPECT_EQ(rec.effectsDisposed, 1);
  EXPECT_EQ(rec.streamsObtained, rec.streamsDisposed);
  EXPECT_EQ(host.liveStreams(), 0);
  for (const StreamFlagWrite& w : rec.flagWrites) {
    EXPECT_EQ(w.flag, AEGP_DynStreamFlag_HIDDEN);
    EXPECT_FALSE(w.undoable);
  }
}

TEST(Visibility, ChangedFillTypeTouchesOnlyTheFillParameters) {
  auto host = SetUpModule();
  SetAllHidden(*host, false);
  host->setStreamFlags(40, AEGP_DynStreamFlag_HIDDEN);  // a stop parameter, to see it left alone
  host->setValue(kFillType, ParamValue::scalar(4));     // Sweep Gradient
  ASSERT_EQ(host->userChangedParam(kFillType), PF_Err_NONE);
  ExpectCleanFrame(*host);

  const CommandRecord& rec = host->lastCommand();
  EXPECT_EQ(UpdatedIndices(rec), kFillDependent);
  ExpectRedrawsWithCommandEntries(rec);
  for (int i : kFillDependent) EXPECT_EQ(host->isHidden(i), !kFillShown[3].count(host->registered(i).name)) << i;
  // Everything was shown: exactly the seven hidden ones were written, each a set.
  ASSERT_EQ(rec.flagWrites.size(), 7u);
  for (const StreamFlagWrite& w : rec.flagWrites) EXPECT_TRUE(w.set);
  EXPECT_TRUE(host->isHidden(40));
  EXPECT_FALSE(host->isHidden(41));
}

TEST(Visibility, ChangedStopAmountShowsThatManyGroupsWhateverTheFill) {
  auto host = SetUpModule();
  SetAllHidden(*host, true);
  host->setValue(kFillType, ParamValue::scalar(1));        // Solid: not consulted here
  host->setValue(kColorStopAmount, ParamValue::scalar(3));  // text "4"
  ASSERT_EQ(host->userChangedParam(kColorStopAmount), PF_Err_NONE);
  ExpectCleanFrame(*host);

  const CommandRecord& rec = host->lastCommand();
  EXPECT_EQ(UpdatedIndices(rec), StopParams());
  ExpectRedrawsWithCommandEntries(rec);
  for (int i : StopParams()) EXPECT_EQ(host->isHidden(i), GroupOf(i) > 4) << i;
  EXPECT_EQ(rec.flagWrites.size(), 20u);  // groups 1 to 4 cleared; 5 to 11 already hidden
  for (const StreamFlagWrite& w : rec.flagWrites) EXPECT_FALSE(w.set);
  for (int i : kFillDependent) {
    if (i != kColorStopAmount) {
      EXPECT_TRUE(host->isHidden(i)) << i;
    }
  }
}

TEST(Visibility, UpdateShowsWhatEachFillTypeAndStopCountNeeds) {
  auto host = SetUpModule();
  for (int fill = 1; fill <= 4; ++fill)
    for (int stops = 2; stops <= 11; ++stops) {
      SCOPED_TRACE("fill " + std::to_string(fill) + ", stops " + std::to_string(stops));
      host->setValue(kFillType, ParamValue::scalar(fill));
      host->setValue(kColorStopAmount, ParamValue::scalar(stops - 1));
      ASSERT_EQ(host->updateParamsUI(), PF_Err_NONE);
      ExpectCleanFrame(*host);
      EXPECT_EQ(host->lastCommand().uiUpdates.size(), 9u + 55u);
      for (int i : kFillDependent)
        EXPECT_EQ(host->isHidden(i), !kFillShown[fill - 1].count(host->registered(i).name)) << i;
      const int shownGroups = fill == 1 ? 0 : stops;
      for (int i : StopParams()) EXPECT_EQ(host->isHidden(i), GroupOf(i) > shownGroups) << i;
      for (int i : {0, 1, 10}) EXPECT_FALSE(host->isHidden(i)) << i;
    }
}

TEST(Visibility, ParametersAlreadyRightGetNoFlagWriteButStillARedraw) {
  auto host = SetUpModule();
  host->setValue(kFillType, ParamValue::scalar(2));
  host->setValue(kColorStopAmount, ParamValue::scalar(10));  // text "11": all groups
  ASSERT_EQ(host->updateParamsUI(), PF_Err_NONE);
  ASSERT_EQ(host->updateParamsUI(), PF_Err_NONE);
  const CommandRecord& rec = host->lastCommand();
  EXPECT_TRUE(rec.flagWrites.empty());
  std::vector<int> expected = kFillDependent;
  for (int i : StopParams()) expected.push_back(i);
  EXPECT_EQ(UpdatedIndices(rec), expected);
  for (int i : StopParams()) EXPECT_FALSE(host->isHidden(i));
  // The registered invisible flag stays as it was.
  EXPECT_EQ(host->commandParams()[22]->ui_flags, PF_PUI_INVISIBLE);
}

// "+name version" for an acquisition, "-name version" for a release.
std::vector<std::string> SuiteSequence(const CommandRecord& rec) {
  std::vector<std::string> v;
  for (const SuiteCall& c : rec.suiteCalls) v.push_back((c.acquire ? "+" : "-") + c.name + " " + std::to_string(c.version));
  return v;
}

// The frame of both commands holds the effect and interface suites; each
// list is applied with the three stream suites, released in reverse order.
TEST(Visibility, SuitesAreAcquiredAndReleasedInOrder) {
  const std::vector<std::string> frameStart = {"+AEGP Effect Suite 2", "+AEGP PF Interface Suite 1"};
  const std::vector<std::string> list = {"+PF Param Utils Suite 3", "+AEGP Dynamic Stream Suite 2",
                                         "+AEGP Stream Suite 7",    "-AEGP Stream Suite 7",
                                         "-AEGP Dynamic Stream Suite 2", "-PF Param Utils Suite 3"};
  const std::vector<std::string> frameEnd = {"-AEGP PF Interface Suite 1", "-AEGP Effect Suite 2"};
  auto sequence = [&](int lists) {
    std::vector<std::string> v = frameStart;
    for (int i = 0; i < lists; ++i) v.insert(v.end(), list.begin(), list.end());
    v.insert(v.end(), frameEnd.begin(), frameEnd.end());
    return v;
  };
  auto host = SetUpModule();
  host->setValue(kFillType, ParamValue::scalar(3));
  ASSERT_EQ(host->updateParamsUI(), PF_Err_NONE);  // the fill list, then the stop list
  EXPECT_EQ(SuiteSequence(host->lastCommand()), sequence(2));
  ASSERT_EQ(host->userChangedParam(kFillType), PF_Err_NONE);
  EXPECT_EQ(SuiteSequence(host->lastCommand()), sequence(1));
  ASSERT_EQ(host->userChangedParam(kColorStopAmount), PF_Err_NONE);
  EXPECT_EQ(SuiteSequence(host->lastCommand()), sequence(1));
  ASSERT_EQ(host->userChangedParam(10), PF_Err_NONE);
  EXPECT_EQ(SuiteSequence(host->lastCommand()), sequence(0));
}

TEST(Visibility, OtherChangesTouchNoStream) {
  struct Case {
    const char* name;
    int changed;
    int fillChoice;
  };
  for (const Case& c : {Case{"Blend Mode changed", 10, 2}, Case{"fill choice outside 1 to 4", kFillType, 5}}) {
    SCOPED_TRACE(c.name);
    auto host = SetUpModule();
    host->setValue(kFillType, ParamValue::scalar(c.fillChoice));
    ASSERT_EQ(host->userChangedParam(c.changed), PF_Err_NONE);
    ExpectCleanFrame(*host);
    const CommandRecord& rec = host->lastCommand();
    EXPECT_EQ(rec.streamsObtained, 0);
    EXPECT_TRUE(rec.flagWrites.empty());
    EXPECT_TRUE(rec.uiUpdates.empty());
  }
}

// A fill choice outside 1 to 4 skips the fill list but the stop count still applies.
TEST(Visibility, UpdateWithUnknownFillStillAppliesStops) {
  auto host = SetUpModule();
  host->setValue(kFillType, ParamValue::scalar(7));
  host->setValue(kColorStopAmount, ParamValue::scalar(2));  // three stops
  ASSERT_EQ(host->updateParamsUI(), PF_Err_NONE);
  EXPECT_EQ(UpdatedIndices(host->lastCommand()), StopParams());
  for (int i : StopParams()) EXPECT_EQ(host->isHidden(i), GroupOf(i) > 3) << i;
}

}  // namespace
}  // namespace Tavrolin::Fill::Test
