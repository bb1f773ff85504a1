#include "host/cli/Session.h"

#include <exception>
#include <iostream>

namespace Tavrolin::Fill::Cli {

bool SourceOptions::read(ArgReader& reader) {
    std::string value;
    if (reader.option("-i", &value) || reader.option("--input", &value)) {
        input = value;
        hasInput = true;
    } else if (reader.option("--size", &value)) {
        ParseSize(value, kMaxLayerSide, width, height);
        hasSize = true;
    } else if (reader.option("--module", &value)) {
        module = value;
    } else if (ReadVerbose(reader)) {
    } else {
        return false;
    }
    return true;
}

void SourceOptions::check() const {
    if (hasInput && hasSize) throw UsageError("--input and --size exclude each other");
    if (hasInput && input.empty()) throw UsageError("--input needs a file name");
}

Session::Session(const char* command, const std::string& modulePath, const ArgbImage& layer)
    : mCommand(command), mHost(modulePath), mLayerWidth(layer.width), mLayerHeight(layer.height) {
    SetLayerPicture(mHost, layer);
}

std::unique_ptr<Session> Session::open(const char* command, const std::string& modulePath, const ArgbImage& layer) {
    try {
        return std::make_unique<Session>(command, modulePath, layer);
    } catch (const HostError& e) {
        throw UsageError(e.what());
    }
}

Session::~Session() {
    if (!mSetUp) return;
    try {
        mHost.globalSetdown();
    } catch (const std::exception&) {
        // Nothing is left to do with the effect.
    }
}

void Session::setDownsample(long factor) {
    mHost.setDownsample(1, static_cast<A_u_long>(factor), 1, static_cast<A_u_long>(factor));
}

bool Session::setUp(std::ostream& err) {
    if (mHost.globalSetup() != PF_Err_NONE || mHost.paramsSetup() != PF_Err_NONE) {
        err << "tqfill " << mCommand << ": the effect could not be set up\n";
        return false;
    }
    mSetUp = true;
    return true;
}

ParamSetting Session::parse(const std::string& text, const char* option) const {
    return ParseSetting(mHost, text, mLayerWidth, mLayerHeight, option);
}

ParamSetting Session::set(const std::string& text, const char* option) {
    const ParamSetting setting = parse(text, option);
    mHost.setValue(setting.index, setting.value);
    return setting;
}

bool Session::render() {
    mResult = mHost.render();
    // Read now: a later command replaces it.
    mMessage = mHost.lastCommand().returnMsg;
    return mResult == PF_Err_NONE;
}

std::string Session::renderFailure(const std::string& what) const {
    return "the effect could not render " + what + " (error " + std::to_string(mResult) + ")" +
           (mMessage.empty() ? "" : ": " + mMessage);
}

void Session::setDown() {
    if (!mSetUp) return;
    mSetUp = false;
    mHost.globalSetdown();
}

bool WriteFrame(const std::string& path, const World& frame, std::string& error) {
    return WritePng(path, frame.width(), frame.height(), frame.bytes().data(), static_cast<size_t>(frame.rowbytes()),
                    error);
}

int RunWithModule(const char* command, std::ostream& err, const std::function<int()>& body) {
    ModuleOutput quiet;
    try {
        return body();
    } catch (const HostError& e) {
        err << "tqfill " << command << ": " << e.what() << "\n";
        return kExitRenderFailed;
    }
}

}  // namespace Tavrolin::Fill::Cli
