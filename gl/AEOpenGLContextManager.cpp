#include "gl/AEOpenGLContextManager.h"

namespace Tavrolin::Fill {

std::atomic<std::int32_t> AEOpenGLContextManager::mContextCount{0};
std::map<int, AEOpenGLContext*>& AEOpenGLContextManager::mRenderContexts = *new std::map<int, AEOpenGLContext*>();
std::recursive_mutex AEOpenGLContextManager::mMutex;
AEOpenGLContext* AEOpenGLContextManager::mSharedDataContext = nullptr;

namespace {
// The calling thread's render-thread number; -1 until its first render.
thread_local int mThread = -1;

// EGL lets a context be current on one thread only, and keeps a deleted one
// alive while it is current: a plug-in context that this thread need not
// hold is let go of (flushed first).
void letGoIfCurrent(const AEOpenGLContext* context) {
    if (context != nullptr && context->isValid() && currentContextBinding() == context->binding())
        AEOpenGLContext::makeCurrentFlush(GLContextBinding{});
}
}  // namespace

void AEOpenGLContextManager::setupContextManager() {
    mSharedDataContext = new AEOpenGLContext(nullptr);
    // Left current on a set-up thread that had nothing current, the data
    // context could not be made current by a set-down on another thread.
    // The caller's restore brings back whatever was current before.
    letGoIfCurrent(mSharedDataContext);
}

AEOpenGLContext* AEOpenGLContextManager::getSharedDataContext() { return mSharedDataContext; }

AEOpenGLContext* AEOpenGLContextManager::getCurrentRenderContext() {
    // Scoped, so the lock is let go on every way out, a failed creation too.
    std::lock_guard<std::recursive_mutex> lock(mMutex);
    if (mThread == -1) {
        mThread = mContextCount.fetch_add(1);
        AEOpenGLContext* context = new AEOpenGLContext(mSharedDataContext);
        AEOpenGLContext*& slot = mRenderContexts[mThread];
        delete slot;  // numbers are never reused, so normally there is none
        slot = context;
        return context;
    }
    return mRenderContexts[mThread];
}

void AEOpenGLContextManager::releaseContextManager() {
    for (auto& entry : mRenderContexts) {
        letGoIfCurrent(entry.second);
        delete entry.second;
    }
    mRenderContexts.clear();
    letGoIfCurrent(mSharedDataContext);
    delete mSharedDataContext;
    mSharedDataContext = nullptr;
}

}  // namespace Tavrolin::Fill
