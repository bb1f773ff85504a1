#include "plugin/ParamTable.h"

#include <cstring>

namespace Tavrolin::Fill {

const char fillTypes[] = "Solid Color|Linear Gradient|Radial Gradient|Sweep Gradient";
const char blendModes[] = "Normal|Multiply|Add|Screen|Overlay|Replace";
const char colorSteps[] = "2|3|4|5|6|7|8|9|10|11";

namespace {

constexpr PF_Pixel8 kOpaqueRed{255, 255, 0, 0};

ParamRow popup(int index, const char* name, const char* choices, int count, PF_ParamFlags flags, PF_ParamUIFlags ui) {
  ParamRow s;
  s.index = index;
  s.name = name;
  s.type = PF_Param_POPUP;
  s.flags = flags;
  s.uiFlags = ui;
  s.value = 1;
  s.choices = choices;
  s.numChoices = count;
  return s;
}

ParamRow color(int index, const std::string& name, PF_ParamUIFlags ui) {
  ParamRow s;
  s.index = index;
  s.name = name;
  s.type = PF_Param_COLOR;
  s.uiFlags = ui;
  s.color = kOpaqueRed;
  return s;
}

ParamRow point(int index, const char* name, double x, double y) {
  ParamRow s;
  s.index = index;
  s.name = name;
  s.type = PF_Param_POINT;
  s.uiFlags = PF_PUI_INVISIBLE;
  s.x = x;
  s.y = y;
  return s;
}

ParamRow slider(int index, const std::string& name, double value, float validMax, float sliderMax, int precision,
                 int displayFlags, PF_ParamUIFlags ui) {
  ParamRow s;
  s.index = index;
  s.name = name;
  s.type = PF_Param_FLOAT_SLIDER;
  s.uiFlags = ui;
  s.value = value;
  s.validMax = validMax;
  s.sliderMax = sliderMax;
  s.precision = precision;
  s.displayFlags = displayFlags;
  return s;
}

// A fraction slider: 0 to 100, one decimal, shown as percent.
ParamRow percent(int index, const std::string& name, double value, PF_ParamUIFlags ui) {
  return slider(index, name, value, 100, 100, 1, PF_ValueDisplayFlag_PERCENT, ui);
}

ParamRow group(int index, const std::string& name, PF_ParamType type) {
  ParamRow s;
  s.index = index;
  s.name = name;
  s.type = type;
  s.uiFlags = PF_PUI_INVISIBLE;
  return s;
}

std::vector<ParamRow> build() {
  using namespace ParamIndex;
  std::vector<ParamRow> t;
  t.reserve(kCount);
  t.push_back(ParamRow{});  // the input layer
  t.push_back(popup(kFillType, "Fill Type", fillTypes, 4, PF_ParamFlag_SUPERVISE, 0));
  t.push_back(color(kSolidColor, "Solid Color", 0));
  t.push_back(point(kGradientStart, "Gradient Start", 0, 50));
  t.push_back(point(kGradientEnd, "Gradient End", 100, 50));
  t.push_back(slider(kRadialRadius, "Radial Radius", 300, 30000, 3000, 0, PF_ValueDisplayFlag_NONE, 0));
  t.push_back(point(kRadialCenter, "Radial Center", 50, 50));
  ParamRow angle;
  angle.index = kFocalOffsetAngle;
  angle.name = "Focal Offset Angle";
  angle.type = PF_Param_ANGLE;
  angle.flags = PF_ParamFlag_COLLAPSE_TWIRLY;
  angle.uiFlags = PF_PUI_INVISIBLE;
  t.push_back(angle);
  t.push_back(percent(kFocalOffsetDistance, "Focal Offset Distance", 0, 0));
  t.push_back(point(kSweepCenter, "Sweep Center", 50, 50));
  t.push_back(popup(kBlendMode, "Blend Mode", blendModes, 6, 0, 0));
  t.push_back(popup(kColorStopAmount, "Color Stop Amount", colorSteps, 10, PF_ParamFlag_SUPERVISE, PF_PUI_INVISIBLE));
  for (int n = 1; n <= kStopGroupCount; ++n) {
    const std::string number = std::to_string(n);
    t.push_back(group(StopGroupStart(n), "Color " + number, PF_Param_GROUP_START));
    t.push_back(color(StopColor(n), "Color " + number, PF_PUI_INVISIBLE));
    t.push_back(percent(StopOpacity(n), "Opacity " + number, 100, PF_PUI_INVISIBLE));
    t.push_back(percent(StopPosition(n), "Stop " + number, 10 * (n - 1), PF_PUI_INVISIBLE));
    t.push_back(group(StopGroupEnd(n), "", PF_Param_GROUP_END));
  }
  return t;
}

}  // namespace

const std::vector<ParamRow>& ParamTable() {
  static const std::vector<ParamRow> kTable = build();
  return kTable;
}

PF_ParamDef MakeParamDef(const ParamRow& row, A_char* (*copyName)(A_char*, const A_char*)) {
  PF_ParamDef def;
  std::memset(&def, 0, sizeof def);  // every field not written below stays zero
  def.uu.id = row.index;
  def.ui_flags = row.uiFlags;
  def.param_type = row.type;
  copyName(def.name, row.name.c_str());
  def.flags = row.flags;
  switch (row.type) {
    case PF_Param_POPUP:
      def.u.pd.value = A_long(row.value);
      def.u.pd.dephault = A_short(row.value);
      def.u.pd.num_choices = A_short(row.numChoices);
      def.u.pd.namesptr = row.choices;
      break;
    case PF_Param_COLOR:
      def.u.cd.value = row.color;
      def.u.cd.dephault = row.color;
      break;
    case PF_Param_POINT:
      def.u.td.x_value = def.u.td.x_dephault = PF_Fixed(row.x * 65536);
      def.u.td.y_value = def.u.td.y_dephault = PF_Fixed(row.y * 65536);
      def.u.td.restrict_bounds = 0;
      break;
    case PF_Param_ANGLE:
      def.u.ad.value = def.u.ad.dephault = PF_Fixed(row.value * 65536);
      break;
    case PF_Param_FLOAT_SLIDER:
      def.u.fs_d.value = row.value;
      def.u.fs_d.dephault = PF_FpShort(row.value);
      def.u.fs_d.valid_min = row.validMin;
      def.u.fs_d.valid_max = row.validMax;
      def.u.fs_d.slider_min = row.sliderMin;
      def.u.fs_d.slider_max = row.sliderMax;
      def.u.fs_d.precision = A_short(row.precision);
      def.u.fs_d.display_flags = PF_ValueDisplayFlags(row.displayFlags);
      def.u.fs_d.fs_flags = 0;
      def.u.fs_d.curve_tolerance = 0.05f;
      def.u.fs_d.phase = 0;
      def.u.fs_d.useExponent = 0;
      break;
    default:  // group start and end carry no value
      break;
  }
  return def;
}

}  // namespace Tavrolin::Fill
