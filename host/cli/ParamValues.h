// What a user writes on tqfill's command line for the effect: parameter
// values ("NAME=VALUE"), the layer's size, and the layer picture itself.
// Every subcommand that takes these uses this one grammar.
#pragma once

#include <string>

#include "host/io/Png.h"
#include "host/lib/HeadlessHost.h"

namespace Tavrolin::Fill::Cli {

// The largest layer side the commands accept.
constexpr int kMaxLayerSide = 16384;

std::string Trim(const std::string& text);

// A whole text (blanks around it allowed) as a finite number, or false.
bool ParseNumber(const std::string& text, double& value);

// A whole number from 1 to max, or false.
bool ParsePositiveInt(const std::string& text, long max, long& value);

// "WxH" (or "WXH") with whole numbers from 1 to max; throws UsageError
// naming `what` ("size", "cell size") otherwise.
void ParseSize(const std::string& text, long max, long& width, long& height, const char* what = "size");

// The value of parameter `def` (called `name`) from the user's text, by the
// parameter's type:
//   pop-up    its choice text or 1-based number; the text wins, so
//             "Color Stop Amount=3" is the choice "3"
//   colour    #RRGGBB or #AARRGGBB (alpha first)
//   point     X,Y in layer pixels or X%,Y% of the layer
//   angle     degrees
//   slider    a number (float sliders within their valid range)
//   checkbox  on/off, true/false, 1/0
// Throws UsageError with what was expected.
ParamValue ParseParamValue(const PF_ParamDef& def, const std::string& name, const std::string& text,
                           int layerWidth, int layerHeight);

// The index of the value-holding parameter called `name`; throws UsageError
// when there is none.
int ParamIndex(const HeadlessHost& host, const std::string& name);

// One "NAME=VALUE" (split at the first '='), parsed against the host's
// parameters; throws UsageError naming `option` ("--set") when it is malformed.
struct ParamSetting {
    int index = 0;
    std::string name;
    ParamValue value;
};
ParamSetting ParseSetting(const HeadlessHost& host, const std::string& text, int layerWidth, int layerHeight,
                          const char* option = "--set");

// The layer picture: the PNG at `input` when it is not empty, else the
// built-in picture scaled (nearest pixel) to width x height. Throws
// UsageError when the file cannot be read or is larger than kMaxLayerSide.
ArgbImage LoadLayerPicture(const std::string& input, long width, long height);

// `picture` scaled to width x height, nearest pixel.
ArgbImage ScalePicture(const ArgbImage& picture, int width, int height);

// New layer worlds of the picture's size, the picture as the input.
void SetLayerPicture(HeadlessHost& host, const ArgbImage& picture);

}  // namespace Tavrolin::Fill::Cli
