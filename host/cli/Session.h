// What the commands that render share: the options that say what a frame is
// made from, and the effect module loaded over one layer picture, set up,
// rendering a frame at a time.
#pragma once

#include <functional>
#include <iosfwd>
#include <memory>
#include <string>

#include "host/cli/Commands.h"
#include "host/cli/ParamValues.h"
#include "host/io/Png.h"
#include "host/lib/HeadlessHost.h"

namespace Tavrolin::Fill::Cli {

// The exit status of a command whose effect could not be set up or render.
constexpr int kExitRenderFailed = 1;

// -i/--input IN.png or --size WxH (the built-in picture, 320 x 200 when
// neither is given), --module PATH, and -v/--verbose (read by ReadVerbose).
struct SourceOptions {
    std::string input;
    bool hasInput = false, hasSize = false;
    long width = 320, height = 200;
    std::string module = DefaultModulePath();

    // Reads the reader's next argument when it is one of these options.
    bool read(ArgReader& reader);
    // Once every argument is read: throws UsageError when these contradict
    // each other.
    void check() const;
    // The layer picture they name.
    ArgbImage picture() const { return LoadLayerPicture(input, width, height); }
};

// The effect module loaded through the headless host, `layer` its input.
// Once set up, it is set down when the session ends.
class Session {
public:
    // Throws HostError when the module cannot be loaded.
    Session(const char* command, const std::string& modulePath, const ArgbImage& layer);
    // As the constructor, but a module that cannot be loaded is a UsageError.
    static std::unique_ptr<Session> open(const char* command, const std::string& modulePath,
                                         const ArgbImage& layer);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    HeadlessHost& host() { return mHost; }
    void setDownsample(long factor);

    // The global and parameter set-up; when the effect refuses it, says so
    // on `err` ("tqfill COMMAND: the effect could not be set up") and
    // returns false.
    bool setUp(std::ostream& err);

    // One "NAME=VALUE" parsed against the parameters, points relative to the
    // layer; throws UsageError naming `option` when it is wrong.
    ParamSetting parse(const std::string& text, const char* option = "--set") const;
    // The same, and the parameter takes the value.
    ParamSetting set(const std::string& text, const char* option = "--set");

    // Renders a frame into frame(); false when the effect fails.
    bool render();
    const World& frame() { return mHost.output(); }
    // Why the last render failed: "the effect could not render WHAT (error N)"
    // and the effect's message, if it gave one.
    std::string renderFailure(const std::string& what) const;

    // Sets the effect down now; a fault passes to the caller.
    void setDown();

private:
    const char* mCommand;
    HeadlessHost mHost;
    int mLayerWidth, mLayerHeight;
    bool mSetUp = false;
    PF_Err mResult = PF_Err_NONE;
    std::string mMessage;
};

// `frame` as a PNG at `path`; false with `error` set when it cannot be written.
bool WriteFrame(const std::string& path, const World& frame, std::string& error);

// Runs `body` with the module's printed output (its OpenGL banner) kept
// aside (see ModuleOutput). A fault of the host while it runs is reported on `err` as
// "tqfill COMMAND: ..." with exit status kExitRenderFailed.
int RunWithModule(const char* command, std::ostream& err, const std::function<int()>& body);

}  // namespace Tavrolin::Fill::Cli
