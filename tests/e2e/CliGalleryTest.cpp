// `tqfill gallery` run as a user runs it: the grid, every cell against the
// pixel model with the settings its help text gives, failures.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "host/io/Png.h"
#include "support/CliRun.h"
#include "support/FillModel.h"
#include "support/TempDir.h"

namespace Tavrolin::Fill {
namespace {

namespace M = Model;

using Test::CliRun;
using Test::RunTqfill;
using Test::slurp;

class CliGallery : public Test::TempDirTest {
protected:
    CliGallery() : TempDirTest("tq-gallery") {}
    CliRun tqfill(std::vector<std::string> args) { return RunTqfill("gallery", std::move(args)); }
};

// The settings `tqfill gallery --help` gives for every cell, for a cell of w x h.
M::Fill galleryFill(int type, int blend, int w, int h) {
    M::Fill fill;
    fill.type = type;
    fill.blend = blend;
    fill.solid = {255, 0xFF, 0x80, 0x00};
    fill.start = {0, h / 2.0};
    fill.end = {double(w), h / 2.0};
    fill.center = {w / 2.0, h / 2.0};
    fill.radius = std::round(std::hypot(w, h) / 2.0);
    fill.focal = fill.center;
    fill.sweepCenter = fill.center;
    M::StopGroup a, b, c;
    a.r = 0xFF, a.g = 0xD0, a.b = 0x00, a.positionPercent = 0;
    b.r = 0x00, b.g = 0xA0, b.b = 0xFF, b.opacityPercent = 50, b.positionPercent = 50;
    c.r = 0xC0, c.g = 0x00, c.b = 0xC0, c.positionPercent = 100;
    fill.groups = {a, b, c};
    return fill;
}

TEST_F(CliGallery, EveryCellIsItsFillTypeAndBlendModeOverTheScaledInput) {
    // 12 x 8 input, left half opaque, right half fully transparent; scaled to
    // a 24 x 10 cell the boundary falls at x = 12.
    const M::Argb8 opaque{255, 40, 90, 200}, clear{0, 0, 0, 0};
    ArgbImage input(12, 8);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 12; ++x) {
            const M::Argb8 p = x < 6 ? opaque : clear;
            std::uint8_t* q = input.pixel(x, y);
            q[0] = p.a, q[1] = p.r, q[2] = p.g, q[3] = p.b;
        }
    std::string error;
    ASSERT_TRUE(WritePng(path("in.png"), input, error)) << error;

    const int w = 24, h = 10;
    const CliRun run = tqfill({"-i", path("in.png"), "--cell", "24x10", "-o", path("gallery.png")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "");
    ArgbImage gallery;
    ASSERT_TRUE(ReadPng(path("gallery.png"), gallery, error)) << error;
    ASSERT_EQ(gallery.width, 6 * w);
    ASSERT_EQ(gallery.height, 4 * h);

    const char* const types[] = {"Solid Color", "Linear Gradient", "Radial Gradient", "Sweep Gradient"};
    const char* const blends[] = {"Normal", "Multiply", "Add", "Screen", "Overlay", "Replace"};
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 6; ++column) {
            SCOPED_TRACE(std::string(types[row]) + " / " + blends[column]);
            const M::Fill fill = galleryFill(row, column, w, h);
            int wrong = 0;
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) {
                    const std::uint8_t* o = gallery.pixel(column * w + x, row * h + y);
                    std::string why;
                    if (!M::matches({o[0], o[1], o[2], o[3]}, M::renderPixel(fill, x < 12 ? opaque : clear, x, y), 2,
                                    &why) &&
                        ++wrong <= 3)
                        ADD_FAILURE() << x << "," << y << ": " << why;
                }
        }

    // Two cells by their plain meaning. Solid Color with Normal over opaque
    // pixels is the solid colour itself.
    for (int x : {0, 5, 11}) {
        const std::uint8_t* p = gallery.pixel(x, 4);
        EXPECT_EQ(M::toString({p[0], p[1], p[2], p[3]}), M::toString({255, 0xFF, 0x80, 0x00})) << x;
    }
    // Replace over transparent pixels leaves nothing (last column, any row).
    for (int row = 0; row < 4; ++row) {
        const std::uint8_t* p = gallery.pixel(5 * w + 18, row * h + 3);
        EXPECT_EQ(M::toString({p[0], p[1], p[2], p[3]}), M::toString({0, 0, 0, 0})) << row;
    }
}

TEST_F(CliGallery, BuiltInPictureAndDefaultCell) {
    const CliRun run = tqfill({"-o", path("gallery.png")});
    ASSERT_EQ(run.status, 0) << run.err;
    ArgbImage gallery;
    std::string error;
    ASSERT_TRUE(ReadPng(path("gallery.png"), gallery, error)) << error;
    EXPECT_EQ(gallery.width, 6 * 160);
    EXPECT_EQ(gallery.height, 4 * 100);
    // The built-in picture's bottom right is transparent: every cell's bottom
    // right stays so, Replace included.
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 6; ++column)
            EXPECT_EQ(gallery.pixel(column * 160 + 159, row * 100 + 99)[0], 0) << row << "," << column;

    const CliRun sized = tqfill({"--size", "20x10", "--cell", "7x3", "-o", path("small.png")});
    ASSERT_EQ(sized.status, 0) << sized.err;
    ASSERT_TRUE(ReadPng(path("small.png"), gallery, error)) << error;
    EXPECT_EQ(gallery.width, 42);
    EXPECT_EQ(gallery.height, 12);
}

TEST_F(CliGallery, WrongArgumentsExitWithTwoAndWriteNothing) {
    std::ofstream(path("old.png")) << "an earlier gallery";
    struct Row {
        const char* name;
        std::vector<std::string> args;
        const char* message;
    };
    const Row rows[] = {
        {"cell of no pixels", {"--cell", "0x5", "-o", path("old.png")}, "wrong cell size \"0x5\""},
        {"cell that is not a size", {"--cell", "12", "-o", path("old.png")}, "wrong cell size"},
        {"cell too large", {"--cell", "4000x10", "-o", path("old.png")}, "from 1 to 2048"},
        {"size of no pixels", {"--size", "5x0", "-o", path("old.png")}, "wrong size \"5x0\""},
        {"missing input", {"-i", path("none.png"), "-o", path("old.png")}, "none.png"},
        {"input and size at once", {"-i", path("old.png"), "--size", "4x4", "-o", path("old.png")}, "exclude"},
        {"no output", {"--cell", "4x4"}, "no output file"},
        {"output folder missing", {"--cell", "4x4", "-o", path("no/such/g.png")}, "g.png"},
        {"module that is not there", {"--module", path("none.so"), "-o", path("new.png")}, "none.so"},
        {"unknown option", {"--cells", "4x4", "-o", path("new.png")}, "unknown option --cells"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const CliRun run = tqfill(row.args);
        EXPECT_EQ(run.status, 2) << run.err;
        EXPECT_NE(run.err.find(row.message), std::string::npos) << run.err;
        EXPECT_EQ(files(), std::set<std::string>{"old.png"});
        EXPECT_EQ(slurp(path("old.png")), "an earlier gallery");
    }

    const CliRun help = tqfill({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("usage: tqfill gallery", 0), 0u) << help.out;
    EXPECT_NE(help.out.find("Solid Color, Linear Gradient, Radial Gradient"), std::string::npos) << help.out;
    EXPECT_NE(help.out.find("Normal, Multiply, Add, Screen, Overlay, Replace"), std::string::npos) << help.out;
}

}  // namespace
}  // namespace Tavrolin::Fill
