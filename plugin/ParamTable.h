// The effect's 67 parameters as data. The index of a parameter is its place
// in the registration order and its identifier; every other piece addresses
// parameters by these indices.
#pragma once

#include <string>
#include <vector>

#include "sdk/PFTypes.h"

namespace Tavrolin::Fill {

namespace ParamIndex {
enum : int {
  kInputLayer = 0,
  kFillType = 1,
  kSolidColor = 2,
  kGradientStart = 3,
  kGradientEnd = 4,
  kRadialRadius = 5,
  kRadialCenter = 6,
  kFocalOffsetAngle = 7,
  kFocalOffsetDistance = 8,
  kSweepCenter = 9,
  kBlendMode = 10,
  kColorStopAmount = 11,
  kFirstStopGroup = 12,
  kStopGroupSize = 5,
  kStopGroupCount = 11,
  kCount = 67
};

// The five parameters of colour-stop group n (1 to 11).
constexpr int StopGroupStart(int n) { return kFirstStopGroup + kStopGroupSize * (n - 1); }
constexpr int StopColor(int n) { return StopGroupStart(n) + 1; }
constexpr int StopOpacity(int n) { return StopGroupStart(n) + 2; }
constexpr int StopPosition(int n) { return StopGroupStart(n) + 3; }
constexpr int StopGroupEnd(int n) { return StopGroupStart(n) + 4; }
}  // namespace ParamIndex

// Pop-up choices, separated by '|', the first is choice 1.
extern const char fillTypes[];   // 4 choices
extern const char blendModes[];  // 6 choices
extern const char colorSteps[];  // 10 choices: "2" to "11" stops

// 0-based fill types and blend modes (a pop-up's choice minus one).
enum FillType : int { kFillSolid = 0, kFillLinear = 1, kFillRadial = 2, kFillSweep = 3 };
enum BlendMode : int { kBlendNormal = 0, kBlendMultiply, kBlendAdd, kBlendScreen, kBlendOverlay, kBlendReplace };

// One row: what set-up writes into the record of that parameter. Fields that
// a type does not use stay zero.
struct ParamRow {
  int index = 0;
  std::string name;
  PF_ParamType type = PF_Param_LAYER;
  PF_ParamFlags flags = 0;
  PF_ParamUIFlags uiFlags = 0;
  double value = 0;  // pop-up choice, slider value, angle in degrees
  double x = 0, y = 0;  // point default, percent of the layer
  PF_Pixel8 color{};
  const char* choices = nullptr;
  int numChoices = 0;
  float validMin = 0, validMax = 0, sliderMin = 0, sliderMax = 0;
  int precision = 0;
  int displayFlags = 0;
};

// Rows 0 (the host's input layer, not registered) to 66.
const std::vector<ParamRow>& ParamTable();

// The record set-up hands to add_param for a row (not for row 0), its name
// copied with `copyName` (the host's ANSI strcpy).
PF_ParamDef MakeParamDef(const ParamRow& row, A_char* (*copyName)(A_char*, const A_char*));

}  // namespace Tavrolin::Fill
