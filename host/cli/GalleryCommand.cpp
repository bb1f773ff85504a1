// `tqfill gallery`: every fill type with every blend mode, side by side in
// one picture.

#include <cmath>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "host/cli/Commands.h"
#include "host/cli/ParamValues.h"
#include "host/cli/Session.h"
#include "host/io/Png.h"
#include "host/lib/HeadlessHost.h"

namespace Tavrolin::Fill::Cli {

namespace {

constexpr int kMaxCellSide = 2048;

const char* const kFillTypes[] = {"Solid Color", "Linear Gradient", "Radial Gradient", "Sweep Gradient"};
const char* const kBlendModes[] = {"Normal", "Multiply", "Add", "Screen", "Overlay", "Replace"};
constexpr int kRows = 4, kColumns = 6;

// The fill every cell shares; the radius is set from the cell's size.
const char* const kCellSettings[] = {
    "Solid Color=#FF8000",
    "Color Stop Amount=3",
    "Color 1=#FFD000", "Opacity 1=100", "Stop 1=0",
    "Color 2=#00A0FF", "Opacity 2=50",  "Stop 2=50",
    "Color 3=#C000C0", "Opacity 3=100", "Stop 3=100",
    "Gradient Start=0%,50%", "Gradient End=100%,50%",
    "Radial Center=50%,50%", "Focal Offset Angle=0", "Focal Offset Distance=0",
    "Sweep Center=50%,50%",
};

const char* const kGalleryHelp =
    "usage: tqfill gallery [-i|--input IN.png | --size WxH] [--cell WxH] [--module PATH]\n"
    "                      [-v|--verbose] -o|--output OUT.png\n"
    "\n"
    "Draws every fill type with every blend mode into one picture of 6 x 4 cells,\n"
    "each cell a render of the effect over the layer scaled to the cell.\n"
    "\n"
    "  rows, top to bottom:    Solid Color, Linear Gradient, Radial Gradient,\n"
    "                          Sweep Gradient\n"
    "  columns, left to right: Normal, Multiply, Add, Screen, Overlay, Replace\n"
    "\n"
    "The picture is 6 cell widths by 4 cell heights, the cells edge to edge. Every\n"
    "cell uses the solid colour #FF8000 and three stops: #FFD000 at 0 %, #00A0FF at\n"
    "50 % with 50 % opacity, #C000C0 at 100 %; the linear gradient runs from the\n"
    "left edge to the right edge through the middle, the radial one from the cell's\n"
    "centre (no focal offset) with a radius of half the cell's diagonal, rounded,\n"
    "the sweep one around the centre.\n"
    "\n"
    "  -i, --input IN.png    the layer (8-bit RGBA PNG; other PNGs are converted)\n"
    "      --size WxH        the built-in picture at this size (default 320x200)\n"
    "      --cell WxH        the size of one cell (default 160x100; at most 2048)\n"
    "      --module PATH     the effect module (default: TQFill.so beside tqfill)\n"
    "  -o, --output OUT.png  the gallery; an existing file is replaced only on success\n"
"  -v, --verbose         show what the effect prints (its OpenGL banner) on\n"
    "                        standard error; without it that is shown only when\n"
    "                        the effect fails\n"
    "  -h, --help            this text\n"
    "\n"
    "Exit status: 0 done, 1 the effect could not render, 2 a wrong argument, size\n"
    "or file.\n";

[[noreturn]] void fail(const std::string& message) { throw UsageError(message); }

struct Options {
    SourceOptions source;
    long cellWidth = 160, cellHeight = 100;
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
        } else if (reader.option("--cell", &value)) {
            ParseSize(value, kMaxCellSide, options.cellWidth, options.cellHeight, "cell size");
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
    const int cellWidth = static_cast<int>(options.cellWidth), cellHeight = static_cast<int>(options.cellHeight);
    const ArgbImage layer = ScalePicture(options.source.picture(), cellWidth, cellHeight);

    const auto session = Session::open("gallery", options.source.module, layer);
    if (!session->setUp(err)) return kExitRenderFailed;
    for (const char* text : kCellSettings) session->set(text);
    session->set("Radial Radius=" + std::to_string(std::lround(0.5 * std::hypot(cellWidth, cellHeight))));

    ArgbImage gallery(kColumns * cellWidth, kRows * cellHeight);
    for (int row = 0; row < kRows; ++row) {
        session->set(std::string("Fill Type=") + kFillTypes[row]);
        for (int column = 0; column < kColumns; ++column) {
            session->set(std::string("Blend Mode=") + kBlendModes[column]);
            if (!session->render()) {
                err << "tqfill gallery: "
                    << session->renderFailure(std::string(kFillTypes[row]) + " with " + kBlendModes[column]) << "\n";
                return kExitRenderFailed;
            }
            const World& cell = session->frame();
            for (int y = 0; y < cellHeight; ++y)
                std::memcpy(gallery.pixel(column * cellWidth, row * cellHeight + y),
                            cell.bytes().data() + static_cast<size_t>(y) * static_cast<size_t>(cell.rowbytes()),
                            static_cast<size_t>(cellWidth) * 4);
        }
    }

    std::string error;
    if (!WritePng(options.output, gallery, error)) fail(error);
    return 0;
}

}  // namespace

int RunGallery(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    const Options options = parseArguments(args);
    if (options.help) {
        out << kGalleryHelp;
        return 0;
    }
    return RunWithModule("gallery", err, [&] { return run(options, err); });
}

}  // namespace Tavrolin::Fill::Cli
