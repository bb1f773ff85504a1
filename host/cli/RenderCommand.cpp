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
#include "host/cli/ParamValues.h"
#include "host/cli/Session.h"
#include "host/io/Png.h"
#include "host/lib/HeadlessHost.h"

namespace Tavrolin::Fill::Cli {

namespace {

// Frames of a render are timed in milliseconds.
constexpr A_u_long kTimeScale = 1000;

const char* const kRenderHelp =
    "usage: tqfill render [-i|--input IN.png | --size WxH] [-s|--set \"NAME=VALUE\"]...\n"
    "                     [--time SECONDS] [--downsample N] [--module PATH] [-v|--verbose]\n"
    "                     -o|--output OUT.png\n"
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
    "      --module PATH     the effect module (default: TQFill.so beside tqfill)\n"
"  -v, --verbose         show what the effect prints (its OpenGL banner) on\n"
    "                        standard error; without it that is shown only when\n"
    "                        the effect fails\n"
    "  -h, --help            this text\n"
    "\n"
    "Exit status: 0 done, 1 the effect could not render, 2 a wrong argument, name,\n"
    "value, size or file.\n";

[[noreturn]] void fail(const std::string& message) { throw UsageError(message); }

struct Options {
    SourceOptions source;
    std::vector<std::string> sets;
    double seconds = 0;
    long downsample = 1;
    std::string output;
    bool help = false;
};

Options parseArguments(const std::vector<std::string>& args) {
    Options options;
    ArgReader reader(args);
    std::string value;
    while (!reader.done()) {
        if (options.source.read(reader)) continue;
        if (reader.flag("-h") || reader.flag("--help")) {
            options.help = true;
        } else if (reader.option("-s", &value) || reader.option("--set", &value)) {
            options.sets.push_back(value);
        } else if (reader.option("--time", &value)) {
            if (!ParseNumber(value, options.seconds) || options.seconds < 0 || options.seconds > 1e6)
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
    options.source.check();
    if (options.output.empty()) fail("no output file: give -o OUT.png");
    return options;
}

int run(const Options& options, std::ostream& err) {
    const ArgbImage picture = options.source.picture();
    std::string error;

    // The module prints its banner on standard output; it is kept aside as
    // for the other commands.
    ModuleOutput quiet;
    Session session("render", options.source.module, picture);
    session.host().setTime(static_cast<A_long>(std::lround(options.seconds * kTimeScale)), 1, kTimeScale);
    session.setDownsample(options.downsample);
    if (!session.setUp(err)) return kExitRenderFailed;
    for (const std::string& set : options.sets) session.set(set);

    const bool rendered = session.render();
    const World frame = session.frame();
    session.setDown();
    if (!rendered) {
        err << "tqfill render: " << session.renderFailure("the frame") << "\n";
        return kExitRenderFailed;
    }
    if (!WriteFrame(options.output, frame, error)) fail(error);
    return 0;
}

}  // namespace

int RunRender(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    const Options options = parseArguments(args);
    if (options.help) {
        out << kRenderHelp;
        return 0;
    }
    // A module that cannot be loaded is a wrong file: main reports it with
    // exit status 2, as for the other commands.
    return run(options, err);
}

}  // namespace Tavrolin::Fill::Cli
