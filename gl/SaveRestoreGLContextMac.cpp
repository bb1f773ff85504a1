#include "gl/SaveRestoreGLContextMac.h"

#include "gl/AEOpenGLContext.h"

namespace Tavrolin::Fill {

SaveRestoreGLContextMac::SaveRestoreGLContextMac() {
    // Before anything of the plug-in binds OpenGL on this thread.
    mAPI = boundClientAPI();
    setMContext(PlatformGLContext::currentContext());
    mRC = currentContextBinding();
    mRestored = false;
}

void SaveRestoreGLContextMac::setMContext(PlatformGLContext* context) {
    mContext = context;
    mContextSerial = context != nullptr ? context->serial() : 0;
}

void SaveRestoreGLContextMac::restore() {
    if (mRestored)
        return;
    if (mContext != nullptr && mContext != PlatformGLContext::currentContext()) {
        if (!PlatformGLContext::isLive(mContext, mContextSerial)) {
            // Deleted while saved (global set-down): there is nothing to go
            // back to, so leave no context of the plug-in current.
            AEOpenGLContext::makeCurrentFlush(GLContextBinding{});
            useCurrentContextInBinding();
            bindClientAPI(mAPI);
            mRestored = true;
            return;
        }
        mContext->makeCurrentContext();
    }
    if (mRC != currentContextBinding() && !mRC.isNull())
        AEOpenGLContext::makeCurrentFlush(mRC);
    // A host making OpenGL ES contexts on this thread must not find OpenGL.
    bindClientAPI(mAPI);
    mRestored = true;
}

}  // namespace Tavrolin::Fill
