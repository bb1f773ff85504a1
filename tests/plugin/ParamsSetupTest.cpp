// Parameter set-up through a real host: every record as registered, checked
// against a table written out here from the parameter list.
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "ModuleHost.h"

namespace Tavrolin::Fill::Test {
namespace {

struct Row {
  int index;
  std::string name;
  PF_ParamType type;
  PF_ParamFlags flags;
  PF_ParamUIFlags ui;
  std::function<void(PF_ParamDef&)> block;  // the type's value block
  const char* choices = nullptr;
};

const char* const kFill = "Solid Color|Linear Gradient|Radial Gradient|Sweep Gradient";
const char* const kBlend = "Normal|Multiply|Add|Screen|Overlay|Replace";
const char* const kSteps = "2|3|4|5|6|7|8|9|10|11";
constexpr PF_ParamUIFlags kInvisible = 0x200;

std::function<void(PF_ParamDef&)> Popup(short count) {
  return [count](PF_ParamDef& d) {
    d.u.pd.value = 1;
    d.u.pd.dephault = 1;
    d.u.pd.num_choices = count;
  };
}

std::function<void(PF_ParamDef&)> OpaqueRed() {
  return [](PF_ParamDef& d) { d.u.cd.value = d.u.cd.dephault = PF_Pixel8{255, 255, 0, 0}; };
}

std::function<void(PF_ParamDef&)> Point(int x, int y) {
  return [x, y](PF_ParamDef& d) {
    d.u.td.x_value = d.u.td.x_dephault = x * 65536;
    d.u.td.y_value = d.u.td.y_dephault = y * 65536;
  };
}

std::function<void(PF_ParamDef&)> Slider(double value, float validMax, float sliderMax, short precision,
                                         short display) {
  return [=](PF_ParamDef& d) {
    d.u.fs_d.value = value;
    d.u.fs_d.dephault = float(value);
    d.u.fs_d.valid_max = validMax;
    d.u.fs_d.slider_max = sliderMax;
    d.u.fs_d.precision = precision;
    d.u.fs_d.display_flags = display;
    d.u.fs_d.curve_tolerance = 0.05f;
  };
}

std::function<void(PF_ParamDef&)> Percent(double value) { return Slider(value, 100, 100, 1, 1); }

std::function<void(PF_ParamDef&)> None() {
  return [](PF_ParamDef&) {};
}

std::vector<Row> ExpectedRows() {
  std::vector<Row> rows = {
      {1, "Fill Type", 7, 0x40, 0, Popup(4), kFill},
      {2, "Solid Color", 5, 0, 0, OpaqueRed()},
      {3, "Gradient Start", 6, 0, kInvisible, Point(0, 50)},
      {4, "Gradient End", 6, 0, kInvisible, Point(100, 50)},
      {5, "Radial Radius", 10, 0, 0, Slider(300, 30000, 3000, 0, 0)},
      {6, "Radial Center", 6, 0, kInvisible, Point(50, 50)},
      {7, "Focal Offset Angle", 3, 0x20, kInvisible, None()},
      {8, "Focal Offset Distance", 10, 0, 0, Percent(0)},
      {9, "Sweep Center", 6, 0, kInvisible, Point(50, 50)},
      {10, "Blend Mode", 7, 0, 0, Popup(6), kBlend},
      {11, "Color Stop Amount", 7, 0x40, kInvisible, Popup(10), kSteps},
  };
  for (int n = 1; n <= 11; ++n) {
    const int base = 12 + 5 * (n - 1);
    const std::string num = std::to_string(n);
    rows.push_back({base, "Color " + num, 13, 0, kInvisible, None()});
    rows.push_back({base + 1, "Color " + num, 5, 0, kInvisible, OpaqueRed()});
    rows.push_back({base + 2, "Opacity " + num, 10, 0, kInvisible, Percent(100)});
    rows.push_back({base + 3, "Stop " + num, 10, 0, kInvisible, Percent(10.0 * (n - 1))});
    rows.push_back({base + 4, "", 14, 0, kInvisible, None()});
  }
  return rows;
}

TEST(ParamsSetup, RegistersSixtySixRecordsExactlyAsListed) {
  auto host = LoadModule();
  ASSERT_EQ(host->paramsSetup(), PF_Err_NONE);
  EXPECT_EQ(host->outData()->num_params, 67);
  ASSERT_EQ(host->paramCount(), 67);
  EXPECT_EQ(host->lastCommand().addParamCalls, 66);

  for (const Row& row : ExpectedRows()) {
    SCOPED_TRACE(row.index);
    PF_ParamDef expected;
    std::memset(&expected, 0, sizeof expected);
    expected.uu.id = row.index;
    expected.ui_flags = row.ui;
    expected.param_type = row.type;
    ASSERT_LT(row.name.size(), sizeof expected.name);
    std::strcpy(expected.name, row.name.c_str());
    expected.flags = row.flags;
    row.block(expected);

    PF_ParamDef actual = host->registered(row.index);
    EXPECT_EQ(std::string(actual.name), row.name);
    EXPECT_EQ(actual.param_type, row.type);
    EXPECT_EQ(actual.ui_flags, row.ui);
    EXPECT_EQ(actual.flags, row.flags);
    if (row.choices) {
      ASSERT_NE(actual.u.pd.namesptr, nullptr);
      EXPECT_STREQ(actual.u.pd.namesptr, row.choices);
      actual.u.pd.namesptr = nullptr;
    }
    // Whole-record comparison: every field not listed (ui_width, ui_height,
    // the rest of the union, the name's tail) must be zero.
    EXPECT_EQ(std::memcmp(&expected, &actual, sizeof actual), 0);
  }
  EXPECT_EQ(host->registered(16).param_type, PF_Param_GROUP_END);
  EXPECT_EQ(host->registered(66).param_type, PF_Param_GROUP_END);
  EXPECT_DOUBLE_EQ(host->registered(65).u.fs_d.value, 100.0);
  EXPECT_EQ(host->registered(65).u.fs_d.dephault, 100.0f);
}

// The host's callbacks, wrapped to log what set-up asks of them in order.
struct CallLog {
  std::vector<std::string> calls;
  const A_char* lastCopyTarget = nullptr;
  PF_ProgPtr effectRef = nullptr;
  A_char* (*strcpyFn)(A_char*, const A_char*) = nullptr;
  PF_Err (*addParamFn)(PF_ProgPtr, PF_ParamIndex, PF_ParamDefPtr) = nullptr;
} gLog;

A_char* LoggedStrcpy(A_char* dst, const A_char* src) {
  gLog.calls.push_back(std::string("strcpy ") + src);
  gLog.lastCopyTarget = dst;
  return gLog.strcpyFn(dst, src);
}

PF_Err LoggedAddParam(PF_ProgPtr ref, PF_ParamIndex index, PF_ParamDefPtr def) {
  gLog.calls.push_back("add_param " + std::to_string(index) + " " + def->name);
  EXPECT_EQ(ref, gLog.effectRef);
  EXPECT_EQ(gLog.lastCopyTarget, def->name) << "the name must be copied into this record";
  return gLog.addParamFn(ref, index, def);
}

TEST(ParamsSetup, EachNameIsCopiedByTheHostThenTheRecordAppended) {
  auto host = LoadModule();
  PF_InData* in = host->inData();
  gLog = CallLog{};
  gLog.effectRef = in->effect_ref;
  gLog.strcpyFn = in->utils->ansi.strcpy;
  gLog.addParamFn = in->inter.add_param;
  in->utils->ansi.strcpy = LoggedStrcpy;
  in->inter.add_param = LoggedAddParam;
  ASSERT_EQ(host->paramsSetup(), PF_Err_NONE);

  std::vector<std::string> expected;
  for (const Row& row : ExpectedRows()) {
    expected.push_back("strcpy " + row.name);
    expected.push_back("add_param -1 " + row.name);  // -1: after the last one
  }
  EXPECT_EQ(gLog.calls, expected);
  EXPECT_EQ(host->paramCount(), 67);
}

TEST(ParamsSetup, HostFailureStopsRegistrationAndIsPassedOn) {
  auto host = LoadModule();
  const PF_Err code = 7;  // some host error that is neither 0 nor 516
  host->failAddParamAt(20, code);
  EXPECT_EQ(host->paramsSetup(), code);
  EXPECT_EQ(host->lastCommand().addParamCalls, 20);  // nothing after the failure
  EXPECT_EQ(host->paramCount(), 20);                 // the layer and indices 1 to 19
  EXPECT_EQ(std::string(host->registered(19).name), "Opacity 2");
  EXPECT_EQ(host->outData()->num_params, 67);
}

}  // namespace
}  // namespace Tavrolin::Fill::Test
