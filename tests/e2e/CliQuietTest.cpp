// What tqfill says on standard error: nothing when the effect works, the
// message alone for a wrong argument, the module's own words when the effect
// fails or -v asks for them.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "support/CliRun.h"
#include "support/TempDir.h"

namespace Tavrolin::Fill {
namespace {

using Test::CliRun;
using Test::RunTqfill;

// The first line of the module's banner, printed once for each OpenGL
// context it makes.
const char* const kBannerLine = "OpenGL Version:  ";

size_t count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

class CliQuiet : public Test::TempDirTest {
protected:
    CliQuiet() : TempDirTest("tq-quiet") {}

    struct Case {
        const char* command;
        std::vector<std::string> args;
        std::set<std::string> written;
        size_t banners;  // contexts made: set-up makes one, the first frame another
    };
    // One working run of each command that loads the module.
    std::vector<Case> cases() const {
        return {
            {"about", {}, {}, 0},
            {"params", {"--fill-type", "Radial"}, {}, 1},
            {"render", {"--size", "6x4", "-o", path("r.png")}, {"r.png"}, 2},
            {"sequence", {"--size", "6x4", "--frames", "2", "-o", path("s%d.png")}, {"s0.png", "s1.png"}, 2},
            {"gallery", {"--size", "12x8", "--cell", "6x4", "-o", path("g.png")}, {"g.png"}, 2},
        };
    }
    // The temporary file that keeps the module's output goes here if it is
    // ever given a name.
    std::vector<std::string> env() const { return {"TMPDIR=" + dir}; }
};

TEST_F(CliQuiet, AWorkingCommandSaysNothingAndVerboseShowsTheBanner) {
    std::set<std::string> written;
    for (const Case& c : cases()) {
        written.insert(c.written.begin(), c.written.end());
        SCOPED_TRACE(c.command);
        const CliRun quiet = RunTqfill(c.command, c.args, -1, env());
        ASSERT_EQ(quiet.status, 0) << quiet.err;
        EXPECT_EQ(quiet.err, "");
        EXPECT_EQ(count(quiet.out, "OpenGL"), 0u) << quiet.out;
        EXPECT_EQ(files(), written) << "no temporary file left behind";

        for (const char* flag : {"-v", "--verbose"}) {
            std::vector<std::string> args = c.args;
            args.insert(args.begin(), flag);
            const CliRun verbose = RunTqfill(c.command, args, -1, env());
            ASSERT_EQ(verbose.status, 0) << verbose.err;
            // The output is the same; the module's words come on stderr.
            EXPECT_EQ(verbose.out, quiet.out);
            EXPECT_EQ(count(verbose.err, kBannerLine), c.banners) << verbose.err;
            EXPECT_EQ(count(verbose.err, "OpenGL Renderer: "), c.banners) << verbose.err;
            EXPECT_EQ(files(), written);
        }
    }
}

TEST_F(CliQuiet, EveryHelpTellsOfVerbose) {
    for (const Case& c : cases()) {
        SCOPED_TRACE(c.command);
        const CliRun help = RunTqfill(c.command, {"--help"});
        EXPECT_EQ(help.status, 0);
        EXPECT_NE(help.out.find("[-v|--verbose]"), std::string::npos) << help.out;
        EXPECT_NE(help.out.find("\n  -v, --verbose "), std::string::npos) << help.out;
        EXPECT_EQ(help.err, "");
    }
}

TEST_F(CliQuiet, StandardOutputOnATerminalGetsTheCommandsOutputAlone) {
    Fill::Test::PseudoTerminal pty;
    ASSERT_TRUE(pty.ok());
    // Read as it comes: the tables are more than a terminal holds unread.
    std::string shown;
    std::thread reader([&] { shown = pty.readAll(); });
    const CliRun quiet = RunTqfill("params", {"--stops", "3"}, -1, env(), pty.terminal());
    const CliRun verbose = RunTqfill("params", {"-v", "--stops", "3"}, -1, env(), pty.terminal());
    pty.closeTerminal();
    reader.join();
    ASSERT_EQ(quiet.status, 0) << quiet.err;
    ASSERT_EQ(verbose.status, 0) << verbose.err;
    EXPECT_EQ(quiet.err, "");
    EXPECT_EQ(count(verbose.err, kBannerLine), 1u) << verbose.err;
    // Both tables, and no banner among them.
    EXPECT_EQ(count(shown, "Color Stop Amount"), 2u) << shown;
    EXPECT_EQ(shown.find("OpenGL"), std::string::npos) << shown;
    EXPECT_TRUE(files().empty());
}

TEST_F(CliQuiet, AWrongArgumentAfterTheModuleRanPrintsItsMessageAlone) {
    // The setting is read once the effect is set up, so the banner has been
    // printed by then; it is not shown.
    const CliRun render = RunTqfill("render", {"--size", "6x4", "-s", "Fill Colour=3", "-o", path("r.png")}, -1, env());
    EXPECT_EQ(render.status, 2);
    EXPECT_EQ(render.out, "");
    EXPECT_EQ(render.err,
              "tqfill render: no parameter named \"Fill Colour\" (tqfill params lists them)\n"
              "Run 'tqfill render --help' for usage.\n");
    const CliRun params = RunTqfill("params", {"--fill-type", "Conic"}, -1, env());
    EXPECT_EQ(params.status, 2);
    EXPECT_EQ(params.out, "");
    EXPECT_EQ(count(params.err, "\n"), 2u) << params.err;
    EXPECT_EQ(params.err.find("OpenGL"), std::string::npos) << params.err;
    EXPECT_NE(params.err.find("Run 'tqfill params --help' for usage.\n"), std::string::npos) << params.err;
    // Even when asked for, the banner does not come between the message and
    // its hint.
    const CliRun verbose = RunTqfill("render", {"-v", "--size", "6x4", "-s", "Fill Colour=3", "-o", path("r.png")});
    EXPECT_EQ(verbose.status, 2);
    EXPECT_NE(verbose.err.find("(tqfill params lists them)\nRun 'tqfill render --help' for usage.\n"),
              std::string::npos)
        << verbose.err;
    EXPECT_TRUE(files().empty());
}

TEST_F(CliQuiet, AFailedEffectShowsWhatTheModuleSaid) {
    // No EGL driver to be found: the effect cannot make an OpenGL context,
    // and its frames fail.
    std::vector<std::string> noDriver = env();
    noDriver.push_back("__EGL_VENDOR_LIBRARY_FILENAMES=" + path("none.json"));
    const char* const kReason = "TQ Fill render failed: no OpenGL context: ";
    for (const Case& c : cases()) {
        if (c.written.empty()) continue;  // about and params need no context
        SCOPED_TRACE(c.command);
        const CliRun run = RunTqfill(c.command, c.args, -1, noDriver);
        EXPECT_EQ(run.status, 1) << run.err;
        EXPECT_EQ(run.out, "");
        EXPECT_NE(run.err.find("tqfill " + std::string(c.command) + ": the effect could not render"), std::string::npos)
            << run.err;
        EXPECT_EQ(count(run.err, kReason), 1u) << run.err;
        EXPECT_EQ(run.err.back(), '\n');
        EXPECT_TRUE(files().empty());
    }
}

}  // namespace
}  // namespace Tavrolin::Fill
