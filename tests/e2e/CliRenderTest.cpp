// `tqfill render` run as a user runs it: exit status, messages, files.

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "host/io/BuiltInPicture.h"
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

class CliRender : public Test::TempDirTest {
protected:
    CliRender() : TempDirTest("tq-cli") {}
    CliRun tqfill(std::vector<std::string> args) { return RunTqfill("render", std::move(args)); }
};

TEST_F(CliRender, WrongArgumentsExitWithTwoAndWriteNothing) {
    std::ofstream(path("old.png")) << "an earlier picture";
    std::ofstream(path("text.png")) << "not a picture";
    struct Row {
        const char* name;
        std::vector<std::string> args;
        const char* message;
    };
    const Row rows[] = {
        {"unknown parameter", {"--set", "Fill Colour=3", "-o", path("new.png")}, "no parameter named \"Fill Colour\""},
        {"pop-up choice that is not there", {"-s", "Fill Type=Conic Gradient", "-o", path("new.png")},
         "wrong value \"Conic Gradient\" for \"Fill Type\""},
        {"pop-up number out of range", {"-s", "Blend Mode=7", "-o", path("new.png")}, "for \"Blend Mode\""},
        {"colour without its hash", {"-s", "Solid Color=FF0000", "-o", path("new.png")}, "#RRGGBB or #AARRGGBB"},
        {"point with one coordinate", {"-s", "Radial Center=12", "-o", path("new.png")}, "X,Y"},
        {"slider beyond its range", {"-s", "Stop 3=150", "-o", path("new.png")}, "from 0 to 100"},
        {"no NAME=VALUE", {"-s", "Fill Type", "-o", path("new.png")}, "NAME=VALUE"},
        {"missing input file", {"-i", path("none.png"), "-o", path("new.png")}, "none.png"},
        {"input that is no PNG", {"-i", path("text.png"), "-o", path("new.png")}, "not a PNG"},
        {"size of no pixels", {"--size", "0x5", "-o", path("new.png")}, "wrong size \"0x5\""},
        {"size that is not a size", {"--size", "wide", "-o", path("new.png")}, "wrong size"},
        {"input and size at once", {"-i", path("text.png"), "--size", "4x4", "-o", path("new.png")}, "exclude"},
        {"no output", {"--size", "4x4"}, "no output file"},
        {"unknown option", {"--colour", "red", "-o", path("new.png")}, "unknown option --colour"},
        {"bad value keeps an existing output", {"-s", "Fill Type=9", "-o", path("old.png")}, "\"Fill Type\""},
        {"output folder missing", {"--size", "4x4", "-o", path("no/such/dir/x.png")}, "x.png"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const CliRun run = tqfill(row.args);
        const std::string& err = run.err;
        EXPECT_EQ(run.status, 2) << run.err;
        EXPECT_EQ(run.out, "");
        EXPECT_NE(err.find(row.message), std::string::npos) << run.err;
        // One line, then the hint, and nothing else (no banner of the module).
        EXPECT_EQ(err.find('\n'), err.find("Run 'tqfill render --help' for usage.\n") - 1) << err;
        EXPECT_EQ(err.find('\n', err.find('\n') + 1), err.size() - 1) << err;
        EXPECT_EQ(files(), (std::set<std::string>{"old.png", "text.png"}));
        EXPECT_EQ(slurp(path("old.png")), "an earlier picture");
    }
}

TEST_F(CliRender, ModuleOfAnotherPath) {
    // One that is not there: a wrong file, nothing written.
    const CliRun missing = tqfill({"--module", path("none.so"), "-o", path("new.png")});
    EXPECT_EQ(missing.status, 2);
    EXPECT_NE(missing.err.find("none.so"), std::string::npos) << missing.err;
    EXPECT_EQ(missing.out, "");
    EXPECT_TRUE(files().empty());
    // The module the build made, named.
    const CliRun named = tqfill({"--module", TQ_MODULE_PATH, "--size", "4x3", "-o", path("new.png")});
    EXPECT_EQ(named.status, 0) << named.err;
    EXPECT_EQ(files(), std::set<std::string>{"new.png"});
}

TEST_F(CliRender, RendersAnInputWithSeveralSettings) {
    // A small input of its own: opaque left half, half transparent right half.
    ArgbImage input(16, 6);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 16; ++x) {
            std::uint8_t* p = input.pixel(x, y);
            p[0] = x < 8 ? 255 : 128;
            p[1] = static_cast<std::uint8_t>(x * 15);
            p[2] = static_cast<std::uint8_t>(200 - y * 30);
            p[3] = 90;
        }
    std::string error;
    ASSERT_TRUE(WritePng(path("in.png"), input, error)) << error;
    const CliRun run = tqfill({"-i", path("in.png"), "--set", "Fill Type=Linear Gradient", "-s", "Blend Mode=Screen",
                            "-s", "Color Stop Amount=3", "-s", "Color 1=#0000FF", "-s", "Color 2=#8000FF00",
                            "-s", "Opacity 2=50", "-s", "Stop 2=40", "-s", "Color 3=#FF0000", "-s", "Stop 3=100",
                            "-s", "Gradient Start=0,0", "-s", "Gradient End=100%,0", "--time", "0.5",
                            "-o", path("out.png")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "");
    ArgbImage output;
    ASSERT_TRUE(ReadPng(path("out.png"), output, error)) << error;
    ASSERT_EQ(output.width, 16);
    ASSERT_EQ(output.height, 6);

    M::Fill fill;
    fill.type = M::kLinear;
    fill.blend = M::kScreen;
    fill.start = {0, 0};
    fill.end = {16, 0};
    M::StopGroup a, b, c;
    a.r = 0, a.g = 0, a.b = 255, a.positionPercent = 0;
    b.r = 0, b.g = 255, b.b = 0, b.opacityPercent = 50, b.positionPercent = 40;
    c.r = 255, c.g = 0, c.b = 0, c.positionPercent = 100;
    fill.groups = {a, b, c};
    int wrong = 0;
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 16; ++x) {
            const std::uint8_t* i = input.pixel(x, y);
            const std::uint8_t* o = output.pixel(x, y);
            std::string why;
            if (!M::matches({o[0], o[1], o[2], o[3]}, M::renderPixel(fill, {i[0], i[1], i[2], i[3]}, x, y), 2, &why) &&
                ++wrong <= 4)
                ADD_FAILURE() << x << "," << y << ": " << why;
        }
}

TEST_F(CliRender, BuiltInPictureAndHelp) {
    const CliRun run = tqfill({"-s", "Fill Type=3", "-o", path("picture.png")});
    ASSERT_EQ(run.status, 0) << run.err;
    ArgbImage output;
    std::string error;
    ASSERT_TRUE(ReadPng(path("picture.png"), output, error)) << error;
    const ArgbImage picture = BuiltInPicture();
    EXPECT_EQ(output.width, picture.width);
    EXPECT_EQ(output.height, picture.height);
    // The picture's transparent corner stays transparent.
    EXPECT_EQ(output.pixel(picture.width - 1, picture.height - 1)[0], 0);

    const CliRun sized = tqfill({"--size", "33x17", "-o", path("small.png")});
    ASSERT_EQ(sized.status, 0) << sized.err;
    ASSERT_TRUE(ReadPng(path("small.png"), output, error)) << error;
    EXPECT_EQ(output.width, 33);
    EXPECT_EQ(output.height, 17);

    const CliRun help = tqfill({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("usage: tqfill render", 0), 0u) << help.out;
    EXPECT_EQ(help.err, "");
}

}  // namespace
}  // namespace Tavrolin::Fill
