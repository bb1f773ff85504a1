// `tqfill sequence`: frames of the effect at a steady frame rate, with
// parameters keyed over time, written as numbered PNG files.

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "host/cli/Commands.h"
#include "host/cli/ParamValues.h"
#include "host/cli/Session.h"
#include "host/io/Png.h"
#include "host/lib/HeadlessHost.h"

namespace Tavrolin::Fill::Cli {

namespace {

constexpr int kMaxFrames = 1000000;
// A frame lasts kFrameTicks of the host's clock, which runs at fps * kFrameTicks
// ticks a second, so that frame rates with up to three decimals are exact.
constexpr A_long kFrameTicks = 1000;

const char* const kSequenceHelp =
    "usage: tqfill sequence [-i|--input IN.png | --size WxH] [-s|--set \"NAME=VALUE\"]...\n"
    "                       [-k|--key \"NAME@SECONDS=VALUE\"]... --frames N [--fps F]\n"
    "                       [--start SECONDS] [--downsample N] [--module PATH] [-v|--verbose]\n"
    "                       -o|--output PATTERN\n"
    "\n"
    "Renders N frames of the effect over IN.png, or over the built-in picture\n"
    "(320 x 200, or WxH pixels with --size). Frame i (0 to N-1) is rendered at\n"
    "START + i / F seconds and written to PATTERN with i in place of its %d.\n"
    "\n"
    "  -i, --input IN.png       the layer (8-bit RGBA PNG; other PNGs are converted)\n"
    "      --size WxH           the built-in picture at this size\n"
    "  -s, --set NAME=VALUE     a constant parameter value, as for `tqfill render`:\n"
    "                             pop-up  its choice text or 1-based number\n"
    "                             colour  #RRGGBB or #AARRGGBB (alpha first)\n"
    "                             point   X,Y in layer pixels or X%,Y% of the layer\n"
    "                             angle   degrees\n"
    "                             slider  a number within its range\n"
    "  -k, --key NAME@SECONDS=VALUE\n"
    "                           a keyframe: the parameter takes VALUE at SECONDS;\n"
    "                           between keys values change linearly (pop-ups and\n"
    "                           checkboxes keep the earlier key's value), before the\n"
    "                           first key and after the last they hold\n"
    "      --frames N           how many frames (1 to 1000000)\n"
    "      --fps F              frames per second (default 30; up to three decimals)\n"
    "      --start SECONDS      the time of frame 0 (default 0)\n"
    "      --downsample N       render as at a downsample factor of 1/N (default 1)\n"
    "      --module PATH        the effect module (default: TQFill.so beside tqfill)\n"
    "  -o, --output PATTERN     the file names: one %d, with an optional 0 flag and\n"
    "                           width (frame_%04d.png gives frame_0000.png ...);\n"
    "                           %% for a percent sign, no other % conversions\n"
"  -v, --verbose            show what the effect prints (its OpenGL banner) on\n"
    "                           standard error; without it that is shown only when\n"
    "                           the effect fails\n"
    "  -h, --help               this text\n"
    "\n"
    "The frames are first written under temporary names and take their names only\n"
    "when all of them are done: a failure leaves no frame and no existing file\n"
    "changed. A progress bar is drawn on standard error when it is a terminal.\n"
    "\n"
    "Exit status: 0 done, 1 the effect could not render, 2 a wrong argument, name,\n"
    "value, key, pattern, size or file.\n";

[[noreturn]] void fail(const std::string& message) { throw UsageError(message); }

// An output pattern: text around exactly one %d with its flag and width.
struct Pattern {
    std::string before, after;
    bool zeroPad = false;
    int width = 0;

    std::string name(long number) const {
        std::string digits = std::to_string(number);
        const char pad = zeroPad ? '0' : ' ';
        if (static_cast<int>(digits.size()) < width) digits.insert(0, static_cast<size_t>(width) - digits.size(), pad);
        return before + digits + after;
    }
};

Pattern parsePattern(const std::string& text) {
    const auto wrong = [&](const std::string& why) {
        fail("wrong output pattern \"" + text + "\": " + why +
             " (expected one %d, such as frame_%04d.png; %% for a percent sign)");
    };
    Pattern pattern;
    bool found = false;
    std::string* part = &pattern.before;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            *part += text[i];
            continue;
        }
        if (i + 1 < text.size() && text[i + 1] == '%') {
            *part += '%';
            ++i;
            continue;
        }
        size_t j = i + 1;
        const bool zero = j < text.size() && text[j] == '0';
        if (zero) ++j;
        const size_t widthStart = j;
        while (j < text.size() && text[j] >= '0' && text[j] <= '9') ++j;
        if (j >= text.size() || text[j] != 'd') wrong("a % that is neither %d nor %%");
        if (found) wrong("more than one %d");
        if (j - widthStart > 2) wrong("a width of more than two digits");
        pattern.zeroPad = zero;
        pattern.width = j > widthStart ? std::stoi(text.substr(widthStart, j - widthStart)) : 0;
        found = true;
        part = &pattern.after;
        i = j;
    }
    if (!found) wrong("no %d");
    // One folder for every frame, so that it can be checked before rendering.
    if (pattern.after.find('/') != std::string::npos) wrong("a %d in the folder's name");
    return pattern;
}

struct Key {
    std::string text;  // as given, for messages
    std::string name;
    double seconds = 0;
    std::string value;
};

Key parseKey(const std::string& text) {
    const auto eq = text.find('=');
    const auto at = eq == std::string::npos ? std::string::npos : text.rfind('@', eq);
    if (at == std::string::npos) fail("wrong --key \"" + text + "\": expected NAME@SECONDS=VALUE");
    Key key;
    key.text = text;
    key.name = Trim(text.substr(0, at));
    key.value = text.substr(eq + 1);
    const std::string seconds = text.substr(at + 1, eq - at - 1);
    if (!ParseNumber(seconds, key.seconds) || key.seconds < 0 || key.seconds > 1e6)
        fail("wrong time \"" + seconds + "\" in --key \"" + text + "\": expected seconds, 0 or more");
    return key;
}

struct Options {
    SourceOptions source;
    std::vector<std::string> sets;
    std::vector<Key> keys;
    long frames = 0;
    double fps = 30;
    double start = 0;
    long downsample = 1;
    Pattern pattern;
    bool help = false;
};

Options parseArguments(const std::vector<std::string>& args) {
    Options options;
    bool hasFrames = false, hasOutput = false;
    ArgReader reader(args);
    std::string value;
    while (!reader.done()) {
        if (options.source.read(reader)) continue;
        if (reader.flag("-h") || reader.flag("--help")) {
            options.help = true;
        } else if (reader.option("-s", &value) || reader.option("--set", &value)) {
            options.sets.push_back(value);
        } else if (reader.option("-k", &value) || reader.option("--key", &value)) {
            options.keys.push_back(parseKey(value));
        } else if (reader.option("--frames", &value)) {
            options.frames = ParseInt(value, 1, kMaxFrames, "the number of frames");
            hasFrames = true;
        } else if (reader.option("--fps", &value)) {
            if (!ParseNumber(value, options.fps) || options.fps < 0.001 || options.fps > 1000)
                fail("wrong frame rate \"" + value + "\": expected frames per second from 0.001 to 1000");
        } else if (reader.option("--start", &value)) {
            if (!ParseNumber(value, options.start) || options.start < 0 || options.start > 1e6)
                fail("wrong start \"" + value + "\": expected seconds, 0 or more");
        } else if (reader.option("--downsample", &value)) {
            options.downsample = ParseInt(value, 1, 1000, "the downsample factor");
        } else if (reader.option("-o", &value) || reader.option("--output", &value)) {
            options.pattern = parsePattern(value);
            hasOutput = true;
        } else {
            reader.unknown();
        }
    }
    if (options.help) return options;
    options.source.check();
    if (!hasFrames) fail("no number of frames: give --frames N");
    if (!hasOutput) fail("no output pattern: give -o PATTERN, such as frame_%04d.png");
    return options;
}

// The frames' temporary files, for the signal handler to remove: names made
// before the first frame, a count raised only after a file is complete.
std::vector<std::string>* gTemporaries = nullptr;
volatile sig_atomic_t gTemporariesWritten = 0;

extern "C" void removeTemporariesAndDie(int signal) {
    if (gTemporaries)
        for (sig_atomic_t k = 0; k < gTemporariesWritten; ++k) unlink((*gTemporaries)[static_cast<size_t>(k)].c_str());
    std::signal(signal, SIG_DFL);
    raise(signal);
}

constexpr int kInterrupts[] = {SIGINT, SIGTERM, SIGHUP};

// While alive, the interrupts are held back.
class BlockInterrupts {
public:
    BlockInterrupts() {
        sigset_t set;
        sigemptyset(&set);
        for (int s : kInterrupts) sigaddset(&set, s);
        sigprocmask(SIG_BLOCK, &set, &mSaved);
    }
    ~BlockInterrupts() { sigprocmask(SIG_SETMASK, &mSaved, nullptr); }
    BlockInterrupts(const BlockInterrupts&) = delete;
    BlockInterrupts& operator=(const BlockInterrupts&) = delete;

private:
    sigset_t mSaved;
};

// Removes the temporaries on every way out that does not rename them, and
// while alive lets an interrupt remove them too.
class Temporaries {
public:
    explicit Temporaries(std::vector<std::string> names) : mNames(std::move(names)) {
        gTemporaries = &mNames;
        gTemporariesWritten = 0;
        for (int s : kInterrupts) {
            void (*before)(int) = std::signal(s, removeTemporariesAndDie);
            // A signal ignored by whoever started us (nohup) stays ignored.
            if (before == SIG_IGN) std::signal(s, SIG_IGN);
            mSaved.emplace_back(s, before);
        }
    }
    ~Temporaries() {
        for (auto& [s, handler] : mSaved) std::signal(s, handler);
        for (sig_atomic_t k = 0; k < gTemporariesWritten; ++k) std::remove(mNames[static_cast<size_t>(k)].c_str());
        gTemporariesWritten = 0;
        gTemporaries = nullptr;
    }
    Temporaries(const Temporaries&) = delete;
    Temporaries& operator=(const Temporaries&) = delete;

    const std::string& name(size_t i) const { return mNames[i]; }
    void written(size_t count) { gTemporariesWritten = static_cast<sig_atomic_t>(count); }

private:
    std::vector<std::string> mNames;
    std::vector<std::pair<int, void (*)(int)>> mSaved;
};

// A hidden name beside `path`, unique to this process.
std::string temporaryName(const std::string& path) {
    const auto slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    return folder + ".tqfill-" + std::to_string(getpid()) + "-" + base + ".part";
}

// One line on a terminal, redrawn in place.
class ProgressBar {
public:
    ProgressBar(std::ostream& err, long total) : mErr(err), mTotal(total), mShown(isatty(STDERR_FILENO) == 1) {}
    void show(long done) {
        if (!mShown) return;
        constexpr int kWidth = 30;
        const int filled = static_cast<int>(done * kWidth / mTotal);
        mErr << "\r[" << std::string(static_cast<size_t>(filled), '#') << std::string(static_cast<size_t>(kWidth - filled), '.')
             << "] " << done << "/" << mTotal << " frames" << std::flush;
    }
    void finish() {
        if (mShown) mErr << "\n" << std::flush;
        mShown = false;
    }

private:
    std::ostream& mErr;
    long mTotal;
    bool mShown;
};

int run(const Options& options, std::ostream& err) {
    const ArgbImage picture = options.source.picture();

    // The host's clock: frame i at (startTicks + i * kFrameTicks) / timeScale seconds.
    const A_u_long timeScale = static_cast<A_u_long>(std::lround(options.fps * kFrameTicks));
    const double startTicks = std::round(options.start * static_cast<double>(timeScale));
    if (startTicks + static_cast<double>(options.frames - 1) * kFrameTicks > static_cast<double>(INT_MAX))
        fail("the sequence ends too late for the host's clock at this frame rate: give an earlier --start, "
             "fewer frames or a lower --fps");

    // What would stop the frames from taking their names is found before the
    // first is rendered, so that a sequence is not left half in place.
    const auto slash = options.pattern.before.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : options.pattern.before.substr(0, slash + 1);
    struct stat info {};
    errno = 0;
    if (stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || access(folder.c_str(), W_OK | X_OK) != 0)
        fail("cannot write frames into the folder " + folder + ": " +
             (errno ? std::strerror(errno) : "not a folder"));
    std::vector<std::string> finals, temporaries;
    for (long i = 0; i < options.frames; ++i) {
        finals.push_back(options.pattern.name(i));
        temporaries.push_back(temporaryName(finals.back()));
        if (stat(finals.back().c_str(), &info) == 0 && !S_ISREG(info.st_mode))
            fail(finals.back() + " exists and is not a file");
    }

    const auto session = Session::open("sequence", options.source.module, picture);
    session->setDownsample(options.downsample);
    if (!session->setUp(err)) return kExitRenderFailed;

    std::set<int> constant;
    for (const std::string& set : options.sets) constant.insert(session->set(set).index);
    std::map<std::pair<int, double>, std::string> keyed;
    for (const Key& key : options.keys) {
        const ParamSetting setting = session->parse(key.name + "=" + key.value, "--key");
        if (constant.count(setting.index))
            fail("\"" + setting.name + "\" is given both by --set and by --key");
        if (!keyed.emplace(std::make_pair(setting.index, key.seconds), key.text).second)
            fail("two keys for \"" + setting.name + "\" at the same time: \"" +
                 keyed[{setting.index, key.seconds}] + "\" and \"" + key.text + "\"");
        session->host().setKeyframe(setting.index, key.seconds, setting.value);
    }

    Temporaries files(temporaries);
    ProgressBar bar(err, options.frames);
    bar.show(0);
    std::string error;
    for (long i = 0; i < options.frames; ++i) {
        session->host().setTime(static_cast<A_long>(startTicks) + static_cast<A_long>(i) * kFrameTicks, kFrameTicks,
                                timeScale);
        if (!session->render()) {
            bar.finish();
            err << "tqfill sequence: " << session->renderFailure("frame " + std::to_string(i)) << "\n";
            return kExitRenderFailed;
        }
        const World& frame = session->frame();
        bool written = false;
        {
            // An interrupt waits for the write to end, so that the handler
            // knows every file there is.
            const BlockInterrupts block;
            written = WriteFrame(files.name(static_cast<size_t>(i)), frame, error);
            if (written) files.written(static_cast<size_t>(i) + 1);
        }
        if (!written) {
            bar.finish();
            fail(error);
        }
        bar.show(i + 1);
    }
    bar.finish();

    // An interrupt now would leave part of the sequence named; it waits.
    const BlockInterrupts block;
    for (size_t i = 0; i < finals.size(); ++i) {
        if (std::rename(files.name(i).c_str(), finals[i].c_str()) != 0) {
            const std::string reason = std::strerror(errno);
            fail("cannot name " + finals[i] + ": " + reason +
                 (i ? " (" + std::to_string(i) + " frames before it are in place)" : ""));
        }
    }
    return 0;
}

}  // namespace

int RunSequence(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    const Options options = parseArguments(args);
    if (options.help) {
        out << kSequenceHelp;
        return 0;
    }
    return RunWithModule("sequence", err, [&] { return run(options, err); });
}

}  // namespace Tavrolin::Fill::Cli
