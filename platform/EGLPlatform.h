#pragma once

#include <cstdint>
#include <string>

// Offscreen OpenGL contexts over EGL: the platform layer the GPU code stands on.
// Handles are kept as plain pointers here so that no EGL (and through it X11)
// header reaches the rest of the code.

namespace Tavrolin::Fill {

using EGLDisplayHandle = void*;
using EGLSurfaceHandle = void*;
using EGLContextHandle = void*;

// Everything that is "current" on a thread in EGL terms. A null binding (no
// context) means nothing is current.
struct GLContextBinding {
    EGLDisplayHandle display = nullptr;
    EGLSurfaceHandle draw = nullptr;
    EGLSurfaceHandle read = nullptr;
    EGLContextHandle context = nullptr;

    bool isNull() const { return context == nullptr; }
    explicit operator bool() const { return !isNull(); }
    bool operator==(const GLContextBinding& o) const {
        return context == o.context && display == o.display && draw == o.draw && read == o.read;
    }
    bool operator!=(const GLContextBinding& o) const { return !(*this == o); }
};

// The calling thread's current binding (null binding when nothing is current).
GLContextBinding currentContextBinding();

// Makes `binding` current on the calling thread, or releases the current
// context when it is null, and points glbinding at the result. Returns false
// when EGL refused (the thread's binding is then unchanged).
bool setCurrentContextBinding(const GLContextBinding& binding);

// Points glbinding at whatever EGL context is current on this thread, so that
// gl:: calls go through that context's state; with none current, at the
// no-context handle 0, whose calls do nothing.
void useCurrentContextInBinding();

// The calling thread's bound EGL client API (EGL_OPENGL_ES_API until a
// thread binds another). Every entry of this layer binds OpenGL for its own
// calls; a command puts the host's choice back when it is done.
unsigned int boundClientAPI();
void bindClientAPI(unsigned int api);

// Names the context current on this thread for per-context GL objects
// (frame buffers, vertex arrays): a plug-in context by its serial, which is
// never reused, any other by its handle with the top bit set; 0 for none.
std::uint64_t currentContextKey();

// The process's display: surfaceless platform first, then the device platform
// (headless GPU), then the default display. Chosen and initialised once and
// never terminated, since a host may share it. Null when none could be had;
// `why` then says what failed.
EGLDisplayHandle sharedDisplay(std::string* why = nullptr);

// One offscreen OpenGL 3.2 core-profile context without a surface, sharing
// objects with another. A context that could not be made is still an object:
// isValid() is false and error() says why; nothing of GL is called for it.
class PlatformGLContext {
public:
    // Never returns null. `share` may be null or invalid (then nothing is shared).
    static PlatformGLContext* create(const PlatformGLContext* share);
    ~PlatformGLContext();

    PlatformGLContext(const PlatformGLContext&) = delete;
    PlatformGLContext& operator=(const PlatformGLContext&) = delete;

    bool isValid() const { return mContext != nullptr; }
    const std::string& error() const { return mError; }
    EGLContextHandle handle() const { return mContext; }
    GLContextBinding binding() const;
    // Unique for the life of the process, unlike the object's address.
    std::uint64_t serial() const { return mSerial; }

    // Makes this context current on the calling thread and tells glbinding.
    // False for an invalid context (nothing changes) or when EGL refuses.
    bool makeCurrentContext();

    // The context of this layer current on the calling thread; null when none
    // is, or when the current one belongs to someone else (a host).
    static PlatformGLContext* currentContext();
    // Whether `context` with `serial` still exists (it is not dereferenced
    // unless it does).
    static bool isLive(const PlatformGLContext* context, std::uint64_t serial);

    // Makes the next create() on any thread fail with `reason`, as a driver
    // without OpenGL would; lets tests reach the failure path.
    static void failNextCreation(const std::string& reason);

private:
    PlatformGLContext() = default;

    EGLDisplayHandle mDisplay = nullptr;
    EGLContextHandle mContext = nullptr;
    std::uint64_t mSerial = 0;
    std::string mError;
};

}  // namespace Tavrolin::Fill
