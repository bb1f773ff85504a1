// `tqfill sequence` run as a user runs it: keyed values frame by frame, file
// names, failures that leave the folder as it was, the progress bar.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "host/io/Png.h"
#include "support/CliRun.h"
#include "support/TempDir.h"

extern char** environ;

namespace Tavrolin::Fill {
namespace {

using Test::CliRun;
using Test::RunProgram;
using Test::RunTqfill;
using Test::slurp;

class CliSequence : public Test::TempDirTest {
protected:
    CliSequence() : TempDirTest("tq-seq") {}
    CliRun spawn(std::vector<std::string> argv, int errFd = -1) { return RunProgram(std::move(argv), errFd); }
    CliRun tqfill(std::vector<std::string> args, int errFd = -1) {
        return RunTqfill("sequence", std::move(args), errFd);
    }

    // An opaque input of varied colours: a Solid Color fill with Normal covers it.
    void writeOpaqueInput(const std::string& name, int w, int h) {
        ArgbImage input(w, h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                std::uint8_t* p = input.pixel(x, y);
                p[0] = 255;
                p[1] = static_cast<std::uint8_t>(x * 37 + y * 11);
                p[2] = static_cast<std::uint8_t>(250 - x * 13);
                p[3] = static_cast<std::uint8_t>(y * 29);
            }
        std::string error;
        ASSERT_TRUE(WritePng(path(name), input, error)) << error;
    }
};

TEST_F(CliSequence, KeyedColourChangesLinearlyFromFrameToFrame) {
    writeOpaqueInput("in.png", 6, 4);
    // Keys at 0.5 s and 1.5 s; frames at 0.25 s + i / 4 s, so frame 0 lies
    // before the first key and frame 6 after the last.
    const double start = 0.25, fps = 4, t0 = 0.5, t1 = 1.5;
    const int c0[3] = {0x20, 0x40, 0x60}, c1[3] = {0xA0, 0x30, 0xE0};
    const CliRun run = tqfill({"-i", path("in.png"), "-s", "Fill Type=Solid Color", "-s", "Blend Mode=Normal",
                               "-k", "Solid Color@0.5=#204060", "--key", "Solid Color@1.5=#A030E0", "--frames", "7",
                               "--fps", "4", "--start", "0.25", "-o", path("frame_%03d.png")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err.find("frames"), std::string::npos) << "no progress bar off a terminal: " << run.err;
    EXPECT_EQ(files(), (std::set<std::string>{"in.png", "frame_000.png", "frame_001.png", "frame_002.png",
                                              "frame_003.png", "frame_004.png", "frame_005.png", "frame_006.png"}));
    for (int i = 0; i < 7; ++i) {
        SCOPED_TRACE("frame " + std::to_string(i));
        const double t = start + i / fps;
        const double f = std::clamp((t - t0) / (t1 - t0), 0.0, 1.0);
        char name[32];
        std::snprintf(name, sizeof name, "frame_%03d.png", i);
        ArgbImage frame;
        std::string error;
        ASSERT_TRUE(ReadPng(path(name), frame, error)) << error;
        ASSERT_EQ(frame.width, 6);
        ASSERT_EQ(frame.height, 4);
        int wrong = 0;
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 6; ++x) {
                const std::uint8_t* p = frame.pixel(x, y);
                const int want[4] = {255, static_cast<int>(std::lround(c0[0] + (c1[0] - c0[0]) * f)),
                                     static_cast<int>(std::lround(c0[1] + (c1[1] - c0[1]) * f)),
                                     static_cast<int>(std::lround(c0[2] + (c1[2] - c0[2]) * f))};
                if ((p[0] != want[0] || p[1] != want[1] || p[2] != want[2] || p[3] != want[3]) && ++wrong <= 3)
                    ADD_FAILURE() << x << "," << y << ": " << int(p[0]) << "," << int(p[1]) << "," << int(p[2])
                                  << "," << int(p[3]) << " instead of " << want[0] << "," << want[1] << ","
                                  << want[2] << "," << want[3];
            }
    }
}

TEST_F(CliSequence, PopUpKeysHoldTheEarlierChoice) {
    // Opaque input, Replace: the output is the fill itself. Solid red until the
    // key at 1 s, then a linear gradient of two stops (left pixel nearly the
    // first stop's colour); frames at 0, 0.5, 1 and 1.5 s.
    writeOpaqueInput("in.png", 8, 2);
    const CliRun run = tqfill({"-i", path("in.png"), "-s", "Blend Mode=Replace", "-s", "Solid Color=#FF0000",
                               "-s", "Color 1=#0000FF", "-s", "Stop 2=100", "-s", "Color 2=#00FF00", "-k",
                               "Fill Type@0=Solid Color", "-k", "Fill Type@1=Linear Gradient", "--frames", "4",
                               "--fps", "2", "-o", path("f%d.png")});
    ASSERT_EQ(run.status, 0) << run.err;
    const bool solid[4] = {true, true, false, false};
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE("frame " + std::to_string(i));
        ArgbImage frame;
        std::string error;
        ASSERT_TRUE(ReadPng(path("f" + std::to_string(i) + ".png"), frame, error)) << error;
        const std::uint8_t* left = frame.pixel(0, 0);
        if (solid[i]) {
            EXPECT_EQ(left[1], 255);
            EXPECT_EQ(left[3], 0);
        } else {
            EXPECT_LE(left[1], 2);
            EXPECT_GE(left[3], 200);
        }
    }
}

TEST_F(CliSequence, FileNamesFollowThePattern) {
    struct Row {
        const char* name;
        const char* pattern;
        int frames;
        std::set<std::string> files;
    };
    const Row rows[] = {
        {"plain %d", "a%d.png", 3, {"a0.png", "a1.png", "a2.png"}},
        {"zero-padded width", "b_%04d.png", 2, {"b_0000.png", "b_0001.png"}},
        {"width without zeros", "c%3d.png", 1, {"c  0.png"}},
        {"numbers wider than the width", "d%01d.png", 11,
         {"d0.png", "d1.png", "d2.png", "d3.png", "d4.png", "d5.png", "d6.png", "d7.png", "d8.png", "d9.png",
          "d10.png"}},
        {"percent sign", "e%%_%d.png", 1, {"e%_0.png"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const CliRun run =
            tqfill({"--size", "3x2", "--frames", std::to_string(row.frames), "-o", path(row.pattern)});
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(files(), row.files);
        for (const std::string& f : row.files) {
            ArgbImage frame;
            std::string error;
            EXPECT_TRUE(ReadPng(path(f), frame, error)) << error;
            EXPECT_EQ(frame.width, 3);
            std::remove(path(f).c_str());
        }
    }
}

TEST_F(CliSequence, WrongArgumentsExitWithTwoAndLeaveTheFolderAsItWas) {
    std::ofstream(path("frame_0001.png")) << "an earlier frame";
    ASSERT_EQ(mkdir(path("frame_0003.png").c_str(), 0700), 0);
    const std::set<std::string> before = files();
    const std::string pattern = path("frame_%04d.png");
    struct Row {
        const char* name;
        std::vector<std::string> args;
        const char* message;
    };
    const Row rows[] = {
        {"pattern without %d", {"--frames", "2", "-o", path("frame.png")}, "no %d"},
        {"two %d", {"--frames", "2", "-o", path("f%d_%d.png")}, "more than one %d"},
        {"%s", {"--frames", "2", "-o", path("f%s%d.png")}, "neither %d nor %%"},
        {"%x", {"--frames", "2", "-o", path("f%x.png")}, "neither %d nor %%"},
        {"a flag other than 0", {"--frames", "2", "-o", path("f%-4d.png")}, "neither %d nor %%"},
        {"a lone % at the end", {"--frames", "2", "-o", path("f%d%")}, "neither %d nor %%"},
        {"a width of three digits", {"--frames", "2", "-o", path("f%100d.png")}, "two digits"},
        {"%d in the folder", {"--frames", "2", "-o", dir + "%d/f.png"}, "folder"},
        {"missing folder", {"--frames", "2", "-o", path("none/f%d.png")}, "none/"},
        {"a frame's name taken by a folder", {"--frames", "5", "-o", pattern}, "frame_0003.png exists"},
        {"key without a time", {"-k", "Solid Color=#000000", "--frames", "2", "-o", pattern}, "NAME@SECONDS=VALUE"},
        {"key time that is no number", {"-k", "Solid Color@soon=#000000", "--frames", "2", "-o", pattern},
         "wrong time \"soon\""},
        {"key time before 0", {"-k", "Solid Color@-1=#000000", "--frames", "2", "-o", pattern}, "wrong time \"-1\""},
        {"key value of the wrong kind", {"-k", "Solid Color@1=red", "--frames", "2", "-o", pattern},
         "#RRGGBB or #AARRGGBB"},
        {"key for no parameter", {"-k", "Fill Colour@1=#000000", "--frames", "2", "-o", pattern},
         "no parameter named \"Fill Colour\""},
        {"set for no parameter", {"-s", "Fill Colour=#000000", "--frames", "2", "-o", pattern},
         "no parameter named \"Fill Colour\""},
        {"set and key of one parameter",
         {"-s", "Solid Color=#000000", "-k", "Solid Color@1=#FFFFFF", "--frames", "2", "-o", pattern},
         "both by --set and by --key"},
        {"two keys at one time",
         {"-k", "Stop 2@1=20", "-k", "Stop 2@1.0=30", "--frames", "2", "-o", pattern}, "at the same time"},
        {"no frames", {"--frames", "0", "-o", pattern}, "number of frames"},
        {"no --frames", {"-o", pattern}, "--frames N"},
        {"no output", {"--frames", "2"}, "-o PATTERN"},
        {"frame rate 0", {"--fps", "0", "--frames", "2", "-o", pattern}, "wrong frame rate"},
        {"start before 0", {"--start", "-2", "--frames", "2", "-o", pattern}, "wrong start"},
        {"a clock that overflows", {"--fps", "1000", "--start", "900000", "--frames", "2", "-o", pattern},
         "too late"},
        {"input and size at once", {"-i", path("x.png"), "--size", "4x4", "--frames", "2", "-o", pattern},
         "exclude"},
        {"missing input", {"-i", path("none.png"), "--frames", "2", "-o", pattern}, "none.png"},
        {"module that is not there", {"--module", path("none.so"), "--frames", "2", "-o", pattern}, "none.so"},
        {"unknown option", {"--frame", "2", "-o", pattern}, "unknown option --frame"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const CliRun run = tqfill(row.args);
        EXPECT_EQ(run.status, 2) << run.err;
        EXPECT_NE(run.err.find(row.message), std::string::npos) << run.err;
        EXPECT_NE(run.err.find("Run 'tqfill sequence --help'"), std::string::npos) << run.err;
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(files(), before);
        EXPECT_EQ(slurp(path("frame_0001.png")), "an earlier frame");
    }
}

TEST_F(CliSequence, AFailureAfterSomeFramesLeavesNoneOfThem) {
    // Frame 0 (white over the noise) is a small file; from 0.5 s on white is
    // multiplied with the noise, which leaves it as it is: files larger than the
    // limit the shell sets, so that writing frame 1 fails.
    ArgbImage noise(48, 48);
    unsigned seed = 12345;
    for (std::uint8_t& b : noise.pixels) b = static_cast<std::uint8_t>((seed = seed * 1103515245u + 12345u) >> 16);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 48; ++x) noise.pixel(x, y)[0] = 255;
    std::string error;
    ASSERT_TRUE(WritePng(path("noise.png"), noise, error)) << error;
    ASSERT_GT(slurp(path("noise.png")).size(), 8000u);
    std::ofstream(path("f1.png")) << "an earlier frame";
    const std::set<std::string> before = files();

    // Ignoring SIGXFSZ turns the limit into a failing write.
    const std::string command =
        "trap '' XFSZ; ulimit -f 8; exec \"$0\" sequence -i \"$1\" -s 'Solid Color=#FFFFFF' "
        "-k 'Blend Mode@0=Normal' -k 'Blend Mode@0.5=Multiply' --fps 2 --frames 3 -o \"$2\"";
    const CliRun run = spawn({"/bin/sh", "-c", command, TQ_CLI_PATH, path("noise.png"), path("f%d.png")});
    EXPECT_EQ(run.status, 2) << run.err;
    EXPECT_NE(run.err.find("f1.png"), std::string::npos) << run.err;
    EXPECT_EQ(files(), before);
    EXPECT_EQ(slurp(path("f1.png")), "an earlier frame");
}

TEST_F(CliSequence, AnInterruptLeavesNoFrame) {
    std::ofstream(path("i1.png")) << "an earlier frame";
    std::string args[] = {TQ_CLI_PATH, "sequence", "--size", "64x64", "--frames", "100000", "-o", path("i%d.png")};
    char* argv[] = {args[0].data(), args[1].data(), args[2].data(), args[3].data(), args[4].data(),
                    args[5].data(), args[6].data(), args[7].data(), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t child = 0;
    ASSERT_EQ(posix_spawn(&child, TQ_CLI_PATH, &actions, nullptr, argv, environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    // Interrupted once a few frames are written (at most 20 s of waiting).
    const auto temporaries = [&] {
        int n = 0;
        for (const std::string& f : files()) n += f.rfind(".tqfill-", 0) == 0;
        return n;
    };
    for (int wait = 0; wait < 4000 && temporaries() < 3; ++wait) usleep(5000);
    EXPECT_GE(temporaries(), 3);
    kill(child, SIGTERM);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << status;
    EXPECT_EQ(files(), std::set<std::string>{"i1.png"});
    EXPECT_EQ(slurp(path("i1.png")), "an earlier frame");
}

TEST_F(CliSequence, ProgressBarOnATerminalOnly) {
    Fill::Test::PseudoTerminal pty;
    ASSERT_TRUE(pty.ok());
    const CliRun run = tqfill({"--size", "4x3", "--frames", "3", "-o", path("p%d.png")}, pty.terminal());
    pty.closeTerminal();
    const std::string shown = pty.readAll();
    ASSERT_EQ(run.status, 0) << shown;
    EXPECT_NE(shown.find("] 0/3 frames"), std::string::npos) << shown;
    EXPECT_NE(shown.find("\r[" + std::string(30, '#') + "] 3/3 frames"), std::string::npos) << shown;
    EXPECT_EQ(files(), (std::set<std::string>{"p0.png", "p1.png", "p2.png"}));

    // The same run with standard error in a file draws nothing.
    const CliRun quiet = tqfill({"--size", "4x3", "--frames", "3", "-o", path("p%d.png")});
    ASSERT_EQ(quiet.status, 0) << quiet.err;
    EXPECT_EQ(quiet.err.find("frames"), std::string::npos) << quiet.err;
    EXPECT_EQ(quiet.err.find('\r'), std::string::npos) << quiet.err;
}

TEST_F(CliSequence, Help) {
    const CliRun help = tqfill({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("usage: tqfill sequence", 0), 0u) << help.out;
    EXPECT_NE(help.out.find("NAME@SECONDS=VALUE"), std::string::npos);
    EXPECT_EQ(help.err, "");
    EXPECT_EQ(files(), std::set<std::string>{});
}

}  // namespace
}  // namespace Tavrolin::Fill
