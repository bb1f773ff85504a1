#pragma once

#include <cstddef>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace Tavrolin::Fill::Test {

// One OpenGL call as glbinding saw it after it returned.
struct GLCall {
    std::string name;               // "glGenFramebuffers"
    std::vector<std::string> args;  // parameters as glbinding prints them
    std::string result;             // return value, empty for void
    void* context = nullptr;        // EGL context current when it was made
    std::thread::id thread;
};

// Records every GL call made through glbinding, on every thread and context,
// while it exists (one at a time). The mask is re-applied on each context
// switch, since glbinding keeps it per context. A call of an entry point the
// driver cannot resolve fails the running test (glbinding would silently
// return 0 otherwise).
class GLCallRecorder {
public:
    GLCallRecorder();
    ~GLCallRecorder();
    GLCallRecorder(const GLCallRecorder&) = delete;
    GLCallRecorder& operator=(const GLCallRecorder&) = delete;

    std::vector<GLCall> calls() const;
    std::vector<std::string> names() const;
    std::vector<GLCall> named(const std::string& name) const;
    std::size_t count(const std::string& name) const;
    void clear();

private:
    friend struct GLCallRecorderHooks;
    void add(GLCall call);

    mutable std::mutex mMutex;
    std::vector<GLCall> mCalls;
};

// Installs the Unresolved guard for the current context (and every context
// switched to afterwards) without recording. Safe to call repeatedly.
void installUnresolvedGuard();

}  // namespace Tavrolin::Fill::Test
