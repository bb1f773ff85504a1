#pragma once

#include "platform/EGLPlatform.h"

#include <cstdint>

namespace Tavrolin::Fill {

// Records the context current when it is made and makes it current again on
// restore(), once, so a command leaves the host's GL state as it found it.
class SaveRestoreGLContextMac {
public:
    // Records the current platform context (null when it is not one of the
    // plug-in's) and the thread's current binding.
    SaveRestoreGLContextMac();

    // Makes the recorded context current again, flushing the outgoing one by
    // the flush-before-switch rule, and binds the thread's client API of
    // creation time again (the plug-in binds OpenGL). Only the first call acts. When nothing was
    // current at creation the plug-in's context stays current. When the
    // recorded context was one of the plug-in's and has since been deleted,
    // the thread is left with none current instead.
    void restore();

    PlatformGLContext* context() const { return mContext; }
    void setMContext(PlatformGLContext* context);
    const GLContextBinding& rc() const { return mRC; }
    void setMRC(const GLContextBinding& rc) { mRC = rc; }
    bool restored() const { return mRestored; }
    void setMRestored(bool restored) { mRestored = restored; }

private:
    PlatformGLContext* mContext = nullptr;
    GLContextBinding mRC;
    bool mRestored = false;
    unsigned int mAPI = 0;
    // Tells whether mContext still exists at restore(), without touching it.
    std::uint64_t mContextSerial = 0;
};

}  // namespace Tavrolin::Fill
