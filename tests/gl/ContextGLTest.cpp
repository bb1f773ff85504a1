// Contexts, the per-thread render contexts and the saving and restoring of
// whatever context a command found current. Real EGL contexts on the driver.

#include "gl/AEOpenGLContext.h"
#include "gl/AEOpenGLContextManager.h"
#include "gl/SaveRestoreGLContextMac.h"

#include "support/CaptureStdout.h"
#include "support/GLCallRecorder.h"
#include "support/GLTestContext.h"

#define EGL_NO_X11
#include <EGL/egl.h>
#include <EGL/eglext.h>

#include <glbinding/Binding.h>
#include <glbinding/Meta.h>
#include <glbinding/gl/gl.h>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <set>
#include <thread>
#include <vector>

using namespace gl;

namespace Tavrolin::Fill {
namespace {

using Test::CaptureStdout;
using Test::GLCallRecorder;

// The banner as the driver itself describes the current context.
std::string expectedBanner() {
    GLint major = 0, minor = 0;
    glGetIntegerv(GL_MAJOR_VERSION, &major);
    glGetIntegerv(GL_MINOR_VERSION, &minor);
    const std::string vendor = reinterpret_cast<const char*>(glGetString(GL_VENDOR));
    const std::string renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    return "\nOpenGL Version:  " + std::to_string(major) + "." + std::to_string(minor) +
           "\nOpenGL Vendor:   " + vendor + "\nOpenGL Renderer: " + renderer +
           "\nOpenGL Revision: " + std::to_string(glbinding::Meta::glRevision()) + " (gl.xml)\n\n";
}

// A context made the way a host would make its own, unknown to the plug-in.
struct ForeignContext {
    EGLDisplay display = EGL_NO_DISPLAY;
    EGLContext context = EGL_NO_CONTEXT;
    ForeignContext() {
        display = static_cast<EGLDisplay>(sharedDisplay());
        eglBindAPI(EGL_OPENGL_API);
        const EGLint attributes[] = {EGL_CONTEXT_MAJOR_VERSION, 3, EGL_CONTEXT_MINOR_VERSION, 2,
                                     EGL_CONTEXT_OPENGL_PROFILE_MASK, EGL_CONTEXT_OPENGL_CORE_PROFILE_BIT,
                                     EGL_NONE};
        context = eglCreateContext(display, EGL_NO_CONFIG_KHR, EGL_NO_CONTEXT, attributes);
    }
    ~ForeignContext() {
        if (eglGetCurrentContext() == context)
            eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        eglDestroyContext(display, context);
    }
    void makeCurrent() const { eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, context); }
};

// Runs `body` on a thread of its own, as a host's render thread.
template <typename F>
void onNewThread(F body) {
    std::thread thread(body);
    thread.join();
}

// Each test starts with the manager set up (banner swallowed) and ends with
// it released and nothing current.
class ContextManagerTest : public ::testing::Test {
protected:
    void SetUp() override {
        {
            CaptureStdout quiet;
            AEOpenGLContextManager::setupContextManager();
        }
        ASSERT_NE(AEOpenGLContextManager::getSharedDataContext(), nullptr);
        ASSERT_TRUE(AEOpenGLContextManager::getSharedDataContext()->isValid())
            << "no OpenGL context: " << AEOpenGLContextManager::getSharedDataContext()->failureReason();
        // EGL lets a context be current on one thread only; the tests use the
        // data context on threads of their own.
        setCurrentContextBinding(GLContextBinding{});
    }
    void TearDown() override {
        AEOpenGLContextManager::releaseContextManager();
        setCurrentContextBinding(GLContextBinding{});
    }
};

TEST_F(ContextManagerTest, SetUpPrintsTheBannerOnceForTheDataContext) {
    AEOpenGLContextManager::releaseContextManager();
    CaptureStdout capture;
    AEOpenGLContextManager::setupContextManager();
    const std::string printed = capture.text();
    ASSERT_TRUE(AEOpenGLContextManager::getSharedDataContext()->isValid());
    // Let go of on this thread, so that a set-down on another can take it.
    EXPECT_TRUE(currentContextBinding().isNull());
    ASSERT_TRUE(AEOpenGLContextManager::getSharedDataContext()->makeContextCurrent());
    EXPECT_EQ(printed, expectedBanner());
}

TEST_F(ContextManagerTest, FirstRenderOnAThreadPrintsTheBannerAndTheSecondNothing) {
    onNewThread([] {
        std::string first, second, banner;
        AEOpenGLContext* made = nullptr;
        AEOpenGLContext* again = nullptr;
        {
            CaptureStdout capture;
            made = AEOpenGLContextManager::getCurrentRenderContext();
            first = capture.text();
        }
        ASSERT_NE(made, nullptr);
        ASSERT_TRUE(made->isValid());
        made->makeContextCurrent();
        banner = expectedBanner();
        {
            CaptureStdout capture;
            again = AEOpenGLContextManager::getCurrentRenderContext();
            second = capture.text();
        }
        EXPECT_EQ(first, banner);
        EXPECT_EQ(again, made);
        EXPECT_EQ(second, "");
    });
}

TEST_F(ContextManagerTest, TwoThreadsGetConsecutiveNumbersAndDistinctContextsSharingObjects) {
    const int base = AEOpenGLContextManager::mContextCount.load();
    AEOpenGLContext* contexts[2] = {nullptr, nullptr};
    std::atomic<int> ready{0};
    auto body = [&](int slot) {
        ++ready;
        while (ready.load() < 2) {
        }
        contexts[slot] = AEOpenGLContextManager::getCurrentRenderContext();
        // A context current on a finished thread could not be used elsewhere.
        setCurrentContextBinding(GLContextBinding{});
    };
    {
        CaptureStdout quiet;  // standard output is the process's: one capture for both
        std::thread a(body, 0), b(body, 1);
        a.join();
        b.join();
    }
    ASSERT_NE(contexts[0], nullptr);
    ASSERT_NE(contexts[1], nullptr);
    EXPECT_NE(contexts[0], contexts[1]);
    EXPECT_EQ(AEOpenGLContextManager::mContextCount.load(), base + 2);
    // Numbers base and base + 1 (0 and 1 in a fresh process), one per thread.
    const auto& map = AEOpenGLContextManager::mRenderContexts;
    ASSERT_EQ(map.size(), 2u);
    ASSERT_TRUE(map.count(base) && map.count(base + 1));
    std::set<AEOpenGLContext*> mapped = {map.at(base), map.at(base + 1)};
    EXPECT_EQ(mapped, (std::set<AEOpenGLContext*>{contexts[0], contexts[1]}));

    // A texture made in the data context holds the same texels in both.
    AEOpenGLContext* data = AEOpenGLContextManager::getSharedDataContext();
    ASSERT_TRUE(data->makeContextCurrent());
    const unsigned char texel[4] = {11, 22, 33, 44};
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, texel);
    glBindTexture(GL_TEXTURE_2D, 0);
    glFinish();
    for (AEOpenGLContext* context : contexts) {
        onNewThread([&] {
            ASSERT_TRUE(context->makeContextCurrent());
            unsigned char read[4] = {0, 0, 0, 0};
            EXPECT_TRUE(glIsTexture(texture) == GL_TRUE);
            glBindTexture(GL_TEXTURE_2D, texture);
            glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, read);
            glBindTexture(GL_TEXTURE_2D, 0);
            EXPECT_EQ(std::vector<int>(read, read + 4), (std::vector<int>{11, 22, 33, 44}));
            setCurrentContextBinding(GLContextBinding{});
        });
    }
    data->makeContextCurrent();
    glDeleteTextures(1, &texture);
}

TEST_F(ContextManagerTest, ReleaseDeletesEverythingAndASecondReleaseDoesNothing) {
    onNewThread([] {
        CaptureStdout quiet;
        AEOpenGLContextManager::getCurrentRenderContext();
    });
    AEOpenGLContextManager::releaseContextManager();
    EXPECT_EQ(AEOpenGLContextManager::getSharedDataContext(), nullptr);
    EXPECT_TRUE(AEOpenGLContextManager::mRenderContexts.empty());
    AEOpenGLContextManager::releaseContextManager();
    EXPECT_EQ(AEOpenGLContextManager::getSharedDataContext(), nullptr);
}

TEST_F(ContextManagerTest, ANumberedThreadGetsNullAfterRelease) {
    // One thread renders, the manager is released and set up again; the
    // thread keeps its number and finds no context.
    std::atomic<int> step{0};
    AEOpenGLContext* after = reinterpret_cast<AEOpenGLContext*>(1);
    std::thread renderer([&] {
        {
            CaptureStdout quiet;
            AEOpenGLContextManager::getCurrentRenderContext();
        }
        step = 1;
        while (step.load() != 2) {
        }
        after = AEOpenGLContextManager::getCurrentRenderContext();
    });
    while (step.load() != 1) {
    }
    AEOpenGLContextManager::releaseContextManager();
    {
        CaptureStdout quiet;
        AEOpenGLContextManager::setupContextManager();
    }
    step = 2;
    renderer.join();
    EXPECT_EQ(after, nullptr);
}

TEST_F(ContextManagerTest, ACommandStartingWithNoContextEndsWithThePluginsContextCurrent) {
    onNewThread([] {
        setCurrentContextBinding(GLContextBinding{});
        SaveRestoreGLContextMac saver;
        EXPECT_EQ(saver.context(), nullptr);
        EXPECT_TRUE(saver.rc().isNull());
        AEOpenGLContext* render = nullptr;
        {
            CaptureStdout quiet;
            render = AEOpenGLContextManager::getCurrentRenderContext();
        }
        ASSERT_TRUE(render->makeContextCurrent());
        saver.restore();
        EXPECT_TRUE(saver.restored());
        EXPECT_EQ(currentContextBinding(), render->binding());
        setCurrentContextBinding(GLContextBinding{});
    });
}

TEST_F(ContextManagerTest, AHostsContextCurrentBeforeACommandIsCurrentAfterIt) {
    onNewThread([] {
        ForeignContext host;
        ASSERT_NE(host.context, EGL_NO_CONTEXT);
        host.makeCurrent();
        SaveRestoreGLContextMac saver;
        // Not one of the plug-in's contexts, but its binding is recorded.
        EXPECT_EQ(saver.context(), nullptr);
        EXPECT_EQ(saver.rc().context, host.context);
        AEOpenGLContext* render = nullptr;
        {
            CaptureStdout quiet;
            render = AEOpenGLContextManager::getCurrentRenderContext();
        }
        ASSERT_TRUE(render->makeContextCurrent());
        EXPECT_EQ(eglGetCurrentContext(), render->platformContext()->handle());
        saver.restore();
        EXPECT_EQ(eglGetCurrentContext(), host.context);
        // GL made now goes to the host's context: it sees its own state.
        GLint bound = -1;
        glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &bound);
        EXPECT_EQ(bound, 0);
    });
}

// The plug-in binds OpenGL on the thread for its own EGL calls; the host's
// choice of client API is back when the command ends.
TEST_F(ContextManagerTest, TheThreadsClientAPIIsBackAfterACommand) {
    for (EGLenum api : {static_cast<EGLenum>(EGL_OPENGL_ES_API), static_cast<EGLenum>(EGL_OPENGL_API)}) {
        onNewThread([api] {
            ASSERT_TRUE(eglBindAPI(api));
            SaveRestoreGLContextMac saver;
            AEOpenGLContext* render = nullptr;
            {
                CaptureStdout quiet;
                render = AEOpenGLContextManager::getCurrentRenderContext();
            }
            ASSERT_TRUE(render->makeContextCurrent());
            EXPECT_EQ(eglQueryAPI(), static_cast<EGLenum>(EGL_OPENGL_API));
            saver.restore();
            EXPECT_EQ(eglQueryAPI(), api);
            // The plug-in's context is still current, whatever API is bound.
            EXPECT_EQ(eglGetCurrentContext(), render->platformContext()->handle());
            setCurrentContextBinding(GLContextBinding{});
        });
    }
}

TEST_F(ContextManagerTest, RestoreTwiceSwitchesOnlyOnce) {
    onNewThread([] {
        ForeignContext host;
        host.makeCurrent();
        SaveRestoreGLContextMac saver;
        AEOpenGLContext* render = nullptr;
        {
            CaptureStdout quiet;
            render = AEOpenGLContextManager::getCurrentRenderContext();
        }
        ASSERT_TRUE(render->makeContextCurrent());
        GLCallRecorder recorder;
        saver.restore();
        EXPECT_EQ(eglGetCurrentContext(), host.context);
        // The render context, its default frame buffer bound, was flushed on
        // the way out.
        EXPECT_EQ(recorder.count("glFlush"), 1u);
        ASSERT_TRUE(render->makeContextCurrent());
        recorder.clear();
        saver.restore();
        EXPECT_EQ(currentContextBinding(), render->binding());
        EXPECT_EQ(recorder.calls().size(), 0u);
        setCurrentContextBinding(GLContextBinding{});
    });
}

TEST_F(ContextManagerTest, RestoreOfThePluginsOwnContextSwitchesWithoutTheFlushRule) {
    onNewThread([] {
        AEOpenGLContext* data = AEOpenGLContextManager::getSharedDataContext();
        AEOpenGLContext* render = nullptr;
        {
            CaptureStdout quiet;
            render = AEOpenGLContextManager::getCurrentRenderContext();
        }
        ASSERT_TRUE(data->makeContextCurrent());
        SaveRestoreGLContextMac saver;
        EXPECT_EQ(saver.context(), data->platformContext());
        ASSERT_TRUE(render->makeContextCurrent());
        GLCallRecorder recorder;
        saver.restore();
        EXPECT_EQ(currentContextBinding(), data->binding());
        EXPECT_EQ(recorder.count("glGetIntegerv"), 0u);
        EXPECT_EQ(recorder.count("glFlush"), 0u);
        // A flush in the restored context is seen, so the counts above are not
        // empty for want of recording.
        glFlush();
        EXPECT_EQ(recorder.count("glFlush"), 1u);
        setCurrentContextBinding(GLContextBinding{});
    });
}

TEST_F(ContextManagerTest, RestoreAfterTheSavedContextWasDeletedLeavesNoneCurrent) {
    // Global set-down on a thread whose render context is current: the saved
    // context is gone by restore time.
    onNewThread([] {
        AEOpenGLContext* render = nullptr;
        {
            CaptureStdout quiet;
            render = AEOpenGLContextManager::getCurrentRenderContext();
        }
        ASSERT_TRUE(render->makeContextCurrent());
        SaveRestoreGLContextMac saver;
        AEOpenGLContextManager::getSharedDataContext()->makeContextCurrent();
        AEOpenGLContextManager::releaseContextManager();
        saver.restore();
        EXPECT_TRUE(currentContextBinding().isNull());
        EXPECT_EQ(PlatformGLContext::currentContext(), nullptr);
    });
}

TEST_F(ContextManagerTest, AFrameBufferThatIsIncompleteIsNotFlushedOnSwitch) {
    onNewThread([] {
        AEOpenGLContext* render = nullptr;
        {
            CaptureStdout quiet;
            render = AEOpenGLContextManager::getCurrentRenderContext();
        }
        ASSERT_TRUE(render->makeContextCurrent());
        GLuint framebuffer = 0;
        glGenFramebuffers(1, &framebuffer);
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);  // no attachment: incomplete
        GLCallRecorder recorder;
        AEOpenGLContext::makeCurrentFlush(AEOpenGLContextManager::getSharedDataContext()->binding());
        EXPECT_EQ(currentContextBinding(), AEOpenGLContextManager::getSharedDataContext()->binding());
        EXPECT_EQ(recorder.count("glCheckFramebufferStatus"), 1u);
        EXPECT_EQ(recorder.count("glFlush"), 0u);
        render->makeContextCurrent();
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glDeleteFramebuffers(1, &framebuffer);
        setCurrentContextBinding(GLContextBinding{});
    });
}

TEST_F(ContextManagerTest, MakingTheCurrentContextCurrentAgainNeitherFlushesNorSwitches) {
    static std::atomic<long long> lastSwitch{0};
    static std::once_flag once;
    std::call_once(once, [] {
        glbinding::Binding::addContextSwitchCallback([](glbinding::ContextHandle handle) { lastSwitch = handle; });
    });
    AEOpenGLContext* data = AEOpenGLContextManager::getSharedDataContext();
    ASSERT_TRUE(data->makeContextCurrent());
    GLCallRecorder recorder;
    lastSwitch = 0;
    EXPECT_TRUE(data->makeContextCurrent());
    EXPECT_EQ(recorder.count("glFlush"), 0u);
    EXPECT_EQ(recorder.count("glGetIntegerv"), 0u);
    glFlush();  // the recorder sees this context's calls
    EXPECT_EQ(recorder.count("glFlush"), 1u);
    // glbinding was pointed at the context all the same.
    EXPECT_EQ(lastSwitch.load(), reinterpret_cast<long long>(data->platformContext()->handle()));
}

TEST(ContextWithoutSetUpTest, ARenderBeforeSetUpGetsAContextSharingNothing) {
    ASSERT_EQ(AEOpenGLContextManager::getSharedDataContext(), nullptr);
    AEOpenGLContext* render = nullptr;
    onNewThread([&] {
        CaptureStdout quiet;
        render = AEOpenGLContextManager::getCurrentRenderContext();
        setCurrentContextBinding(GLContextBinding{});
    });
    ASSERT_NE(render, nullptr);
    EXPECT_TRUE(render->isValid());
    // A data context made afterwards does not see its objects.
    {
        CaptureStdout quiet;
        AEOpenGLContextManager::setupContextManager();
    }
    GLuint buffer = 0;
    onNewThread([&] {
        ASSERT_TRUE(render->makeContextCurrent());
        glGenBuffers(1, &buffer);
        glBindBuffer(GL_ARRAY_BUFFER, buffer);
        glBindBuffer(GL_ARRAY_BUFFER, 0);
        glFinish();
        setCurrentContextBinding(GLContextBinding{});
    });
    ASSERT_TRUE(AEOpenGLContextManager::getSharedDataContext()->makeContextCurrent());
    EXPECT_FALSE(glIsBuffer(buffer) == GL_TRUE);
    AEOpenGLContextManager::releaseContextManager();
    setCurrentContextBinding(GLContextBinding{});
}

// A renderbuffer of the host's own context, standing for what a set-down
// deletes by name: it must survive whatever the plug-in does meanwhile.
GLuint hostRenderbuffer() {
    GLuint name = 0;
    glGenRenderbuffers(1, &name);
    glBindRenderbuffer(GL_RENDERBUFFER, name);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, 2, 2);
    glBindRenderbuffer(GL_RENDERBUFFER, 0);
    return name;
}

// EGL lets a context be current on one thread only. Global set-up runs on
// one host thread, which stays alive, and set-down on another, with the
// host's context current there or none: set-down gets the data context, its
// deletions stay out of the host's context, and the thread ends as it began.
TEST(ContextLifetimeTest, SetDownOnAnotherThreadThanSetUpReachesTheDataContext) {
    for (bool hostCurrent : {true, false}) {
        SCOPED_TRACE(hostCurrent ? "host context current at set-down" : "none current at set-down");
        std::atomic<int> step{0};
        std::thread setUpThread([&] {
            setCurrentContextBinding(GLContextBinding{});
            SaveRestoreGLContextMac saver;
            {
                CaptureStdout quiet;
                AEOpenGLContextManager::setupContextManager();
            }
            saver.restore();
            EXPECT_TRUE(currentContextBinding().isNull());
            step = 1;
            while (step.load() != 2) {
            }
        });
        while (step.load() != 1) {
        }
        onNewThread([&] {
            ForeignContext host;
            GLuint own = 0;
            if (hostCurrent) {
                host.makeCurrent();
                useCurrentContextInBinding();
                own = hostRenderbuffer();
            }
            SaveRestoreGLContextMac saver;
            AEOpenGLContext* data = AEOpenGLContextManager::getSharedDataContext();
            ASSERT_NE(data, nullptr);
            EXPECT_TRUE(data->makeContextCurrent());
            EXPECT_EQ(eglGetCurrentContext(), data->platformContext()->handle());
            if (hostCurrent)
                glDeleteRenderbuffers(1, &own);
            AEOpenGLContextManager::releaseContextManager();
            saver.restore();
            if (hostCurrent) {
                EXPECT_EQ(eglGetCurrentContext(), host.context);
                EXPECT_TRUE(glIsRenderbuffer(own) == GL_TRUE);
                glDeleteRenderbuffers(1, &own);
            } else {
                // Not left holding the deleted data context.
                EXPECT_EQ(eglGetCurrentContext(), EGL_NO_CONTEXT);
            }
        });
        step = 2;
        setUpThread.join();
        EXPECT_EQ(AEOpenGLContextManager::getSharedDataContext(), nullptr);
    }
}

// A context EGL will not make current here (it is current on another thread)
// leaves nothing current: GL meant for it must not reach the host's context.
TEST(ContextLifetimeTest, AContextCurrentOnAnotherThreadIsRefusedAndNothingStaysCurrent) {
    std::unique_ptr<AEOpenGLContext> taken;
    std::atomic<int> step{0};
    std::thread holder([&] {
        {
            CaptureStdout quiet;
            taken = std::make_unique<AEOpenGLContext>(nullptr);  // current on this thread
        }
        step = 1;
        while (step.load() != 2) {
        }
        setCurrentContextBinding(GLContextBinding{});
    });
    while (step.load() != 1) {
    }
    onNewThread([&] {
        ASSERT_TRUE(taken->isValid());
        ForeignContext host;
        host.makeCurrent();
        useCurrentContextInBinding();
        GLuint own = hostRenderbuffer();
        EXPECT_FALSE(taken->makeContextCurrent());
        EXPECT_TRUE(currentContextBinding().isNull());
        glDeleteRenderbuffers(1, &own);  // goes nowhere
        host.makeCurrent();
        useCurrentContextInBinding();
        EXPECT_TRUE(glIsRenderbuffer(own) == GL_TRUE);
        glDeleteRenderbuffers(1, &own);
    });
    step = 2;
    holder.join();
}

TEST(ContextFailureTest, AContextThatCannotBeMadeSaysWhyAndCallsNoGL) {
    onNewThread([] {
        ForeignContext host;
        host.makeCurrent();
        PlatformGLContext::failNextCreation("no OpenGL here");
        std::unique_ptr<AEOpenGLContext> context;
        std::string printed;
        {
            GLCallRecorder recorder;
            CaptureStdout capture;
            context = std::make_unique<AEOpenGLContext>(nullptr);
            printed = capture.text();
            EXPECT_EQ(recorder.calls().size(), 0u);
        }
        EXPECT_FALSE(context->isValid());
        EXPECT_EQ(context->failureReason(), "no OpenGL here");
        EXPECT_EQ(printed, "");
        EXPECT_TRUE(context->binding().isNull());
        // Making it current lets go of the host's context, so that no work of
        // the plug-in can land there, and GL calls after it do nothing.
        EXPECT_FALSE(context->makeContextCurrent());
        EXPECT_TRUE(currentContextBinding().isNull());
        GLint untouched = 1234;
        glGetIntegerv(GL_MAX_SAMPLES, &untouched);
        EXPECT_EQ(untouched, 1234);
    });
}

}  // namespace
}  // namespace Tavrolin::Fill
