#pragma once

#include "gl/AEOpenGLContext.h"

#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>

namespace Tavrolin::Fill {

// Owns the shared data context and one render context per rendering thread.
class AEOpenGLContextManager {
public:
    AEOpenGLContextManager() = delete;

    // Creates the data context (sharing nothing) and lets go of it again on
    // this thread, so that any thread can make it current (set-down may run
    // on another); nothing is current afterwards.
    static void setupContextManager();
    // The data context; null before set-up and after release.
    static AEOpenGLContext* getSharedDataContext();
    // The calling thread's render context, made (sharing with the data
    // context) on the thread's first call. Null for a numbered thread after
    // releaseContextManager.
    static AEOpenGLContext* getCurrentRenderContext();
    // Deletes every render context, then the data context; one of them
    // current on this thread is let go of first.
    static void releaseContextManager();

    static std::atomic<std::int32_t> mContextCount;
    // Never destroyed: contexts a process leaves without global set-down stay
    // reachable at exit instead of being orphaned by the map's destructor.
    static std::map<int, AEOpenGLContext*>& mRenderContexts;
    static std::recursive_mutex mMutex;
    static AEOpenGLContext* mSharedDataContext;
};

}  // namespace Tavrolin::Fill
