// The command line's grammar for parameter values, sizes and the layer.

#include "host/cli/ParamValues.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <vector>

#include "host/cli/Commands.h"
#include "host/io/BuiltInPicture.h"

namespace Tavrolin::Fill::Cli {

namespace {

[[noreturn]] void fail(const std::string& message) { throw UsageError(message); }

std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(text);
    while (std::getline(in, part, separator)) parts.push_back(part);
    if (!text.empty() && text.back() == separator) parts.push_back("");
    return parts;
}

[[noreturn]] void wrongValue(const std::string& name, const std::string& text, const std::string& expected) {
    fail("wrong value \"" + text + "\" for \"" + name + "\": expected " + expected);
}

}  // namespace

std::string Trim(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return "";
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

bool ParseNumber(const std::string& text, double& value) {
    const std::string t = Trim(text);
    if (t.empty()) return false;
    errno = 0;
    char* end = nullptr;
    value = std::strtod(t.c_str(), &end);
    return errno == 0 && end == t.c_str() + t.size() && std::isfinite(value);
}

bool ParsePositiveInt(const std::string& text, long max, long& value) {
    double v = 0;
    if (!ParseNumber(text, v) || v != std::floor(v) || v < 1 || v > static_cast<double>(max)) return false;
    value = static_cast<long>(v);
    return true;
}

void ParseSize(const std::string& text, long max, long& width, long& height, const char* what) {
    const auto x = text.find_first_of("xX");
    if (x == std::string::npos || !ParsePositiveInt(text.substr(0, x), max, width) ||
        !ParsePositiveInt(text.substr(x + 1), max, height))
        fail(std::string("wrong ") + what + " \"" + text + "\": expected WxH with whole numbers from 1 to " +
             std::to_string(max));
}

ParamValue ParseParamValue(const PF_ParamDef& def, const std::string& name, const std::string& text,
                           int layerWidth, int layerHeight) {
    const std::string t = Trim(text);
    double v = 0;
    switch (def.param_type) {
    case PF_Param_POPUP: {
        const std::vector<std::string> choices = split(def.u.pd.namesptr ? def.u.pd.namesptr : "", '|');
        for (size_t i = 0; i < choices.size(); ++i)
            if (choices[i] == t) return ParamValue::scalar(static_cast<double>(i + 1));
        long number = 0;
        if (ParsePositiveInt(t, static_cast<long>(choices.size()), number))
            return ParamValue::scalar(static_cast<double>(number));
        std::string list;
        for (const std::string& c : choices) list += (list.empty() ? "\"" : ", \"") + c + "\"";
        wrongValue(name, text, "one of " + list + " or a number from 1 to " + std::to_string(choices.size()));
    }
    case PF_Param_COLOR: {
        const bool digits = t.size() > 1 && t[0] == '#' &&
                            t.find_first_not_of("0123456789abcdefABCDEF", 1) == std::string::npos;
        if (!digits || (t.size() != 7 && t.size() != 9)) wrongValue(name, text, "#RRGGBB or #AARRGGBB");
        const unsigned long bits = std::strtoul(t.c_str() + 1, nullptr, 16);
        const double alpha = t.size() == 9 ? static_cast<double>((bits >> 24) & 0xFF) : 255.0;
        return {{alpha, static_cast<double>((bits >> 16) & 0xFF), static_cast<double>((bits >> 8) & 0xFF),
                 static_cast<double>(bits & 0xFF)}};
    }
    case PF_Param_POINT: {
        const std::vector<std::string> parts = split(t, ',');
        if (parts.size() != 2) wrongValue(name, text, "X,Y in layer pixels or X%,Y%");
        double c[2] = {0, 0};
        for (int k = 0; k < 2; ++k) {
            std::string p = Trim(parts[static_cast<size_t>(k)]);
            const bool percent = !p.empty() && p.back() == '%';
            if (percent) p.pop_back();
            if (!ParseNumber(p, c[k])) wrongValue(name, text, "X,Y in layer pixels or X%,Y%");
            if (percent) c[k] = c[k] / 100.0 * (k == 0 ? layerWidth : layerHeight);
            // The host holds points as 16.16 fixed numbers.
            if (std::fabs(c[k]) >= 32767.0) wrongValue(name, text, "a point within -32767 to 32767 pixels");
        }
        return ParamValue::point(c[0], c[1]);
    }
    case PF_Param_ANGLE:
        if (!ParseNumber(t, v) || std::fabs(v) >= 32767.0) wrongValue(name, text, "an angle in degrees");
        return ParamValue::scalar(v);
    case PF_Param_FLOAT_SLIDER:
        if (!ParseNumber(t, v)) wrongValue(name, text, "a number");
        if (v < def.u.fs_d.valid_min || v > def.u.fs_d.valid_max) {
            std::ostringstream range;
            range << "a number from " << def.u.fs_d.valid_min << " to " << def.u.fs_d.valid_max;
            wrongValue(name, text, range.str());
        }
        return ParamValue::scalar(v);
    case PF_Param_SLIDER:
    case PF_Param_FIX_SLIDER:
        if (!ParseNumber(t, v)) wrongValue(name, text, "a number");
        return ParamValue::scalar(v);
    case PF_Param_CHECKBOX:
        if (t == "on" || t == "true" || t == "1") return ParamValue::scalar(1);
        if (t == "off" || t == "false" || t == "0") return ParamValue::scalar(0);
        wrongValue(name, text, "on or off");
    default:
        fail("\"" + name + "\" holds no value that can be set");
    }
}

int ParamIndex(const HeadlessHost& host, const std::string& name) {
    const int index = host.indexOf(name);
    if (index <= 0) fail("no parameter named \"" + name + "\" (tqfill params lists them)");
    return index;
}

ParamSetting ParseSetting(const HeadlessHost& host, const std::string& text, int layerWidth, int layerHeight,
                          const char* option) {
    const auto eq = text.find('=');
    if (eq == std::string::npos) fail(std::string("wrong ") + option + " \"" + text + "\": expected NAME=VALUE");
    ParamSetting setting;
    setting.name = Trim(text.substr(0, eq));
    setting.index = ParamIndex(host, setting.name);
    setting.value =
        ParseParamValue(host.registered(setting.index), setting.name, text.substr(eq + 1), layerWidth, layerHeight);
    return setting;
}

ArgbImage ScalePicture(const ArgbImage& picture, int width, int height) {
    ArgbImage scaled(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            std::memcpy(scaled.pixel(x, y),
                        picture.pixel(static_cast<int>(static_cast<long>(x) * picture.width / width),
                                      static_cast<int>(static_cast<long>(y) * picture.height / height)),
                        4);
    return scaled;
}

ArgbImage LoadLayerPicture(const std::string& input, long width, long height) {
    if (input.empty()) return ScalePicture(BuiltInPicture(), static_cast<int>(width), static_cast<int>(height));
    ArgbImage picture;
    std::string error;
    if (!ReadPng(input, picture, error)) fail(error);
    if (picture.width > kMaxLayerSide || picture.height > kMaxLayerSide)
        fail(input + " is larger than " + std::to_string(kMaxLayerSide) + " pixels on a side");
    return picture;
}

void SetLayerPicture(HeadlessHost& host, const ArgbImage& picture) {
    host.setLayer(picture.width, picture.height);
    for (int y = 0; y < picture.height; ++y)
        std::memcpy(&host.input().at(0, y), picture.pixel(0, y), static_cast<size_t>(picture.width) * 4);
}

}  // namespace Tavrolin::Fill::Cli
