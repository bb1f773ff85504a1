// `tqfill render`: one frame of the effect over a PNG or the built-in picture.

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "host/cli/Commands.h"
#include "host/io/BuiltInPicture.h"
#include "host/io/Png.h"
#include "host/lib/HeadlessHost.h"

namespace Tavrolin::Fill::Cli {

namespace {

constexpr int kExitRenderFailed = 1;
// Frames of a render are timed in milliseconds.
constexpr A_u_long kTimeScale = 1000;
constexpr int kMaxSide = 16384;

const char* const kRenderHelp =
    "usage: tqfill render [-i|--input IN.png | --size WxH] [-s|--set \"NAME=VALUE\"]...\n"
    "                     [--time SECONDS] [--downsample N] -o|--output OUT.png\n"
    "\n"
    "Renders one frame of the effect over IN.png, or over the built-in picture\n"
    "(320 x 200, or WxH pixels with --size), and writes OUT.png.\n"
    "\n"
    "  -i, --input IN.png    the layer (8-bit RGBA PNG; other PNGs are converted)\n"
    "      --size WxH        the built-in picture at this size\n"
    "  -s, --set NAME=VALUE  a parameter by its name, as `tqfill params` lists them:\n"
    "                          pop-up  its choice text or 1-based number (\"Radial Gradient\", 3);\n"
    "                                  the text wins, so \"Color Stop Amount=3\" means three stops\n"
    "                          colour  #RRGGBB or #AARRGGBB (alpha first)\n"
    "                          point   X,Y in layer pixels or X%,Y% of the layer\n"
    "                          angle   degrees\n"
    "                          slider  a number within its range\n"
    "      --time SECONDS    the time of the frame (default 0)\n"
    "      --downsample N    render as at a downsample factor of 1/N (default 1)\n"
    "  -o, --output OUT.png  the frame; an existing file is replaced only on success\n"
    "  -h, --help            this text\n"
    "\n"
    "Exit status: 0 done, 1 the effect could not render, 2 a wrong argument, name,\n"
    "value, size or file.\n";

[[noreturn]] void fail(const std::string& message) { throw UsageError(message); }

std::string trim(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return "";
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

// A whole text as a finite number, or false.
bool parseNumber(const std::string& text, double& value) {
    const std::string t = trim(text);
    if (t.empty()) return false;
    errno = 0;
    char* end = nullptr;
    value = std::strtod(t.c_str(), &end);
    return errno == 0 && end == t.c_str() + t.size() && std::isfinite(value);
}

bool parsePositiveInt(const std::string& text, long max, long& value) {
    double v = 0;
    if (!parseNumber(text, v) || v != std::floor(v) || v < 1 || v > static_cast<double>(max)) return false;
    value = static_cast<long>(v);
    return true;
}

std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(text);
    while (std::getline(in, part, separator)) parts.push_back(part);
    if (!text.empty() && text.back() == separator) parts.push_back("");
    return parts;
}

struct Options {
    std::string input;
    bool hasSize = false;
    long width = 320, height = 200;
    std::vector<std::string> sets;
    double seconds = 0;
    long downsample = 1;
    std::string output;
    bool help = false;
};

Options parseArguments(const std::vector<std::string>& args) {
    Options options;
    bool hasInput = false;
    ArgReader reader(args);
    std::string value;
    while (!reader.done()) {
        if (reader.flag("-h") || reader.flag("--help")) {
            options.help = true;
        } else if (reader.option("-i", &value) || reader.option("--input", &value)) {
            options.input = value;
            hasInput = true;
        } else if (reader.option("--size", &value)) {
            const auto x = value.find_first_of("xX");
            if (x == std::string::npos || !parsePositiveInt(value.substr(0, x), kMaxSide, options.width) ||
                !parsePositiveInt(value.substr(x + 1), kMaxSide, options.height))
                fail("wrong size \"" + value + "\": expected WxH with whole numbers from 1 to " +
                     std::to_string(kMaxSide));
            options.hasSize = true;
        } else if (reader.option("-s", &value) || reader.option("--set", &value)) {
            options.sets.push_back(value);
        } else if (reader.option("--time", &value)) {
            if (!parseNumber(value, options.seconds) || options.seconds < 0 || options.seconds > 1e6)
                fail("wrong time \"" + value + "\": expected seconds, 0 or more");
        } else if (reader.option("--downsample", &value)) {
            options.downsample = ParseInt(value, 1, 1000, "the downsample factor");
        } else if (reader.option("-o", &value) || reader.option("--output", &value)) {
            options.output = value;
        } else {
            reader.unknown();
        }
    }
    if (options.help) return options;
    if (hasInput && options.hasSize) fail("--input and --size exclude each other");
    if (hasInput && options.input.empty()) fail("--input needs a file name");
    if (options.output.empty()) fail("no output file: give -o OUT.png");
    return options;
}

[[noreturn]] void wrongValue(const std::string& name, const std::string& text, const std::string& expected) {
    fail("wrong value \"" + text + "\" for \"" + name + "\": expected " + expected);
}

// The parameter's value from the user's text, by the parameter's type.
ParamValue parseValue(const PF_ParamDef& def, const std::string& name, const std::string& text, int layerWidth,
                      int layerHeight) {
    const std::string t = trim(text);
    double v = 0;
    switch (def.param_type) {
    case PF_Param_POPUP: {
        const std::vector<std::string> choices = split(def.u.pd.namesptr ? def.u.pd.namesptr : "", '|');
        for (size_t i = 0; i < choices.size(); ++i)
            if (choices[i] == t) return ParamValue::scalar(static_cast<double>(i + 1));
        long number = 0;
        if (parsePositiveInt(t, static_cast<long>(choices.size()), number))
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
            std::string p = trim(parts[static_cast<size_t>(k)]);
            const bool percent = !p.empty() && p.back() == '%';
            if (percent) p.pop_back();
            if (!parseNumber(p, c[k])) wrongValue(name, text, "X,Y in layer pixels or X%,Y%");
            if (percent) c[k] = c[k] / 100.0 * (k == 0 ? layerWidth : layerHeight);
            // The host holds points as 16.16 fixed numbers.
            if (std::fabs(c[k]) >= 32767.0) wrongValue(name, text, "a point within -32767 to 32767 pixels");
        }
        return ParamValue::point(c[0], c[1]);
    }
    case PF_Param_ANGLE:
        if (!parseNumber(t, v) || std::fabs(v) >= 32767.0) wrongValue(name, text, "an angle in degrees");
        return ParamValue::scalar(v);
    case PF_Param_FLOAT_SLIDER:
        if (!parseNumber(t, v)) wrongValue(name, text, "a number");
        if (v < def.u.fs_d.valid_min || v > def.u.fs_d.valid_max) {
            std::ostringstream range;
            range << "a number from " << def.u.fs_d.valid_min << " to " << def.u.fs_d.valid_max;
            wrongValue(name, text, range.str());
        }
        return ParamValue::scalar(v);
    case PF_Param_SLIDER:
    case PF_Param_FIX_SLIDER:
        if (!parseNumber(t, v)) wrongValue(name, text, "a number");
        return ParamValue::scalar(v);
    case PF_Param_CHECKBOX:
        if (t == "on" || t == "true" || t == "1") return ParamValue::scalar(1);
        if (t == "off" || t == "false" || t == "0") return ParamValue::scalar(0);
        wrongValue(name, text, "on or off");
    default:
        fail("\"" + name + "\" holds no value that can be set");
    }
}

int run(const Options& options, std::ostream& err) {
    ArgbImage picture;
    std::string error;
    if (!options.input.empty()) {
        if (!ReadPng(options.input, picture, error)) fail(error);
        if (picture.width > kMaxSide || picture.height > kMaxSide)
            fail(options.input + " is larger than " + std::to_string(kMaxSide) + " pixels on a side");
    } else {
        const ArgbImage builtIn = BuiltInPicture();
        picture = ArgbImage(static_cast<int>(options.width), static_cast<int>(options.height));
        // The built-in picture scaled to the size asked for (nearest pixel).
        for (int y = 0; y < picture.height; ++y)
            for (int x = 0; x < picture.width; ++x)
                std::memcpy(picture.pixel(x, y),
                            builtIn.pixel(static_cast<int>(static_cast<long>(x) * builtIn.width / picture.width),
                                          static_cast<int>(static_cast<long>(y) * builtIn.height / picture.height)),
                            4);
    }

    HeadlessHost host(DefaultModulePath());
    host.setLayer(picture.width, picture.height);
    for (int y = 0; y < picture.height; ++y)
        std::memcpy(&host.input().at(0, y), picture.pixel(0, y), static_cast<size_t>(picture.width) * 4);
    host.setTime(static_cast<A_long>(std::lround(options.seconds * kTimeScale)), 1, kTimeScale);
    host.setDownsample(1, static_cast<A_u_long>(options.downsample), 1, static_cast<A_u_long>(options.downsample));

    if (host.globalSetup() != PF_Err_NONE || host.paramsSetup() != PF_Err_NONE) {
        err << "tqfill render: the effect could not be set up\n";
        return kExitRenderFailed;
    }
    try {
        for (const std::string& set : options.sets) {
            const auto eq = set.find('=');
            if (eq == std::string::npos) fail("wrong --set \"" + set + "\": expected NAME=VALUE");
            const std::string name = trim(set.substr(0, eq));
            const int index = host.indexOf(name);
            if (index <= 0) fail("no parameter named \"" + name + "\" (tqfill params lists them)");
            host.setValue(index, parseValue(host.registered(index), name, set.substr(eq + 1), picture.width,
                                            picture.height));
        }
    } catch (const UsageError&) {
        host.globalSetdown();
        throw;
    }

    const PF_Err result = host.render();
    const std::string message = host.lastCommand().returnMsg;
    World frame = host.output();
    host.globalSetdown();
    if (result != PF_Err_NONE) {
        err << "tqfill render: the effect could not render the frame (error " << result << ")"
            << (message.empty() ? "" : ": " + message) << "\n";
        return kExitRenderFailed;
    }
    if (!WritePng(options.output, frame.width(), frame.height(), frame.bytes().data(),
                  static_cast<size_t>(frame.rowbytes()), error))
        fail(error);
    return 0;
}

}  // namespace

int RunRender(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    const Options options = parseArguments(args);
    if (options.help) {
        out << kRenderHelp;
        return 0;
    }
    try {
        return run(options, err);
    } catch (const HostError& e) {
        err << "tqfill render: " << e.what() << "\n";
        return kExitRenderFailed;
    }
}

}  // namespace Tavrolin::Fill::Cli
