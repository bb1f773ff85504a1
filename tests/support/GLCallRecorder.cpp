#include "support/GLCallRecorder.h"

#include "platform/EGLPlatform.h"

#include <glbinding/AbstractFunction.h>
#include <glbinding/AbstractValue.h>
#include <glbinding/Binding.h>
#include <glbinding/CallbackMask.h>
#include <glbinding/FunctionCall.h>
#include <glbinding/callbacks.h>

#include <gtest/gtest.h>

#include <atomic>

namespace Tavrolin::Fill::Test {

namespace {

std::mutex gActiveMutex;
GLCallRecorder* gActive = nullptr;
std::atomic<bool> gRecording{false};

glbinding::CallbackMask wantedMask() {
    using glbinding::CallbackMask;
    CallbackMask mask = CallbackMask::Unresolved;
    if (gRecording.load())
        mask = mask | CallbackMask::After | CallbackMask::ParametersAndReturnValue;
    return mask;
}

void applyMask() { glbinding::setCallbackMask(wantedMask()); }

}  // namespace

struct GLCallRecorderHooks {
    static void installOnce() {
        static std::once_flag once;
        std::call_once(once, [] {
            glbinding::setUnresolvedCallback([](const glbinding::AbstractFunction& function) {
                ADD_FAILURE() << "call of an unresolved GL function: " << function.name();
            });
            glbinding::setAfterCallback([](const glbinding::FunctionCall& call) {
                std::lock_guard<std::mutex> lock(gActiveMutex);
                if (gActive == nullptr)
                    return;
                GLCall made;
                made.name = call.function->name();
                for (const glbinding::AbstractValue* value : call.parameters)
                    made.args.push_back(value != nullptr ? value->asString() : std::string());
                if (call.returnValue != nullptr)
                    made.result = call.returnValue->asString();
                made.context = currentContextBinding().context;
                made.thread = std::this_thread::get_id();
                gActive->add(std::move(made));
            });
            glbinding::Binding::addContextSwitchCallback([](glbinding::ContextHandle) { applyMask(); });
        });
    }
};

// glbinding asserts on a thread it was never pointed at; pointing it at the
// current context also re-applies the mask through the switch callback.
void installUnresolvedGuard() {
    GLCallRecorderHooks::installOnce();
    useCurrentContextInBinding();
}

GLCallRecorder::GLCallRecorder() {
    GLCallRecorderHooks::installOnce();
    {
        std::lock_guard<std::mutex> lock(gActiveMutex);
        if (gActive != nullptr)
            ADD_FAILURE() << "two GLCallRecorders at once";
        gActive = this;
    }
    gRecording = true;
    useCurrentContextInBinding();
}

GLCallRecorder::~GLCallRecorder() {
    {
        std::lock_guard<std::mutex> lock(gActiveMutex);
        if (gActive == this)
            gActive = nullptr;
    }
    gRecording = false;
    useCurrentContextInBinding();
}

void GLCallRecorder::add(GLCall call) {
    std::lock_guard<std::mutex> lock(mMutex);
    mCalls.push_back(std::move(call));
}

std::vector<GLCall> GLCallRecorder::calls() const {
    std::lock_guard<std::mutex> lock(mMutex);
    return mCalls;
}

std::vector<std::string> GLCallRecorder::names() const {
    std::vector<std::string> result;
    for (const GLCall& call : calls())
        result.push_back(call.name);
    return result;
}

std::vector<GLCall> GLCallRecorder::named(const std::string& name) const {
    std::vector<GLCall> result;
    for (const GLCall& call : calls())
        if (call.name == name)
            result.push_back(call);
    return result;
}

std::size_t GLCallRecorder::count(const std::string& name) const { return named(name).size(); }

void GLCallRecorder::clear() {
    std::lock_guard<std::mutex> lock(mMutex);
    mCalls.clear();
}

}  // namespace Tavrolin::Fill::Test
