#pragma once

#include "platform/EGLPlatform.h"

#include <set>
#include <string>

namespace gl {
enum class GLextension : int;
}

namespace Tavrolin::Fill {

// One offscreen context of the plug-in: a platform context sharing objects
// with another, with glbinding set up for it.
class AEOpenGLContext {
public:
    // Creates a context sharing with `share` (nothing shared when null), makes
    // it current on the calling thread, prints the banner and gathers the
    // extensions. When no context can be made the object is invalid (see
    // isValid) and no GL call is made.
    explicit AEOpenGLContext(const AEOpenGLContext* share);
    virtual ~AEOpenGLContext();

    AEOpenGLContext(const AEOpenGLContext&) = delete;
    AEOpenGLContext& operator=(const AEOpenGLContext&) = delete;

    // A platform context sharing with `share` (none when null), owned by the
    // caller; its binding goes to `cglContext` (null when creation failed).
    static PlatformGLContext* createNSContext(PlatformGLContext* share, GLContextBinding& cglContext);

    // glbinding for the current context, then the six-line banner on stdout.
    static void InitializeOpenGLBindings();

    // Makes this context current on the calling thread and points glbinding
    // at it. An invalid context, or one EGL refuses here (it is current on
    // another thread), releases whatever was current (so no GL work lands in
    // a host's context) and returns false.
    bool makeContextCurrent();

    // The flush-before-switch rule: makes `context` current, first flushing
    // the outgoing context unless an incomplete frame buffer is bound.
    // Nothing happens when `context` already is current.
    static void makeCurrentFlush(const GLContextBinding& context);

    bool isValid() const { return mNSContext != nullptr && mNSContext->isValid(); }
    // Why the context could not be made; empty for a valid one.
    std::string failureReason() const;

    PlatformGLContext* platformContext() const { return mNSContext; }
    const GLContextBinding& binding() const { return mCGLContext; }
    const std::set<gl::GLextension>& extensions() const { return mExtensions; }

private:
    GLContextBinding mCGLContext;
    PlatformGLContext* mNSContext = nullptr;
    bool mFlag = false;  // kept for layout; nothing reads it
    std::set<gl::GLextension> mExtensions;
};

}  // namespace Tavrolin::Fill
