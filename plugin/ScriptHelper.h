// Running a host script, and trimming text.
#pragma once

#include <string>

#include "sdk/SPBasic.h"

namespace Tavrolin::Fill {

namespace ScriptHelper {

// Runs `script` through the host's utility suite and returns its result text
// as it came (empty when the host gives back no result). Throws the PF_Err
// A_Err_MISSING_SUITE when a suite is missing.
std::string RunSriptAndGetStringResult(SPBasicSuite* basic, const char* script);

// A copy without leading and trailing C-locale white space (space, \t, \n,
// \v, \f, \r); bytes from 0x80 up are not white space.
std::string TrimStringWhiteSpaces(const std::string& text);

}  // namespace ScriptHelper

}  // namespace Tavrolin::Fill
