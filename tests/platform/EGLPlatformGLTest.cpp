// The EGL layer itself: the display, contexts that share, what is current on
// a thread, and the keys that tell contexts apart.

#include "platform/EGLPlatform.h"

#include <EGL/egl.h>

#include <glbinding/gl/gl.h>

#include <gtest/gtest.h>

#include <memory>
#include <thread>

using namespace gl;

namespace Tavrolin::Fill {
namespace {

std::unique_ptr<PlatformGLContext> make(const PlatformGLContext* share) {
    return std::unique_ptr<PlatformGLContext>(PlatformGLContext::create(share));
}

TEST(EGLPlatformTest, ADisplayIsChosenOnceAndAContextIsOpenGL32CoreOrLater) {
    std::string why;
    EGLDisplayHandle display = sharedDisplay(&why);
    ASSERT_NE(display, nullptr) << why;
    EXPECT_EQ(sharedDisplay(), display);
    std::thread([&] {
        auto context = make(nullptr);
        ASSERT_TRUE(context->isValid()) << context->error();
        EXPECT_TRUE(context->error().empty());
        ASSERT_TRUE(context->makeCurrentContext());
        EXPECT_EQ(eglQueryAPI(), static_cast<EGLenum>(EGL_OPENGL_API));
        GLint major = 0, minor = 0, profile = 0;
        glGetIntegerv(GL_MAJOR_VERSION, &major);
        glGetIntegerv(GL_MINOR_VERSION, &minor);
        glGetIntegerv(GL_CONTEXT_PROFILE_MASK, &profile);
        EXPECT_GE(major * 10 + minor, 32);
        EXPECT_NE(profile & static_cast<GLint>(GL_CONTEXT_CORE_PROFILE_BIT), 0);
        setCurrentContextBinding(GLContextBinding{});
    }).join();
}

TEST(EGLPlatformTest, TheCurrentBindingIsReadSetAndReleasedPerThread) {
    std::thread([] {
        EXPECT_TRUE(currentContextBinding().isNull());
        EXPECT_EQ(currentContextKey(), 0u);
        auto a = make(nullptr);
        auto b = make(a.get());
        ASSERT_TRUE(a->makeCurrentContext());
        EXPECT_EQ(currentContextBinding(), a->binding());
        EXPECT_EQ(PlatformGLContext::currentContext(), a.get());
        EXPECT_EQ(currentContextKey(), a->serial());
        EXPECT_NE(a->serial(), b->serial());
        // b is current here only; a cannot be taken while another thread has it.
        std::thread([&] {
            EXPECT_TRUE(currentContextBinding().isNull());
            EXPECT_FALSE(a->makeCurrentContext());
            ASSERT_TRUE(b->makeCurrentContext());
            EXPECT_EQ(PlatformGLContext::currentContext(), b.get());
            EXPECT_TRUE(setCurrentContextBinding(GLContextBinding{}));
            EXPECT_TRUE(currentContextBinding().isNull());
        }).join();
        EXPECT_EQ(PlatformGLContext::currentContext(), a.get());
        EXPECT_TRUE(setCurrentContextBinding(GLContextBinding{}));
        EXPECT_EQ(PlatformGLContext::currentContext(), nullptr);
    }).join();
}

TEST(EGLPlatformTest, ContextsMadeWithAShareContextSeeItsObjects) {
    std::thread([] {
        auto a = make(nullptr);
        auto b = make(a.get());
        auto alone = make(nullptr);
        ASSERT_TRUE(a->makeCurrentContext());
        GLuint buffer = 0;
        glGenBuffers(1, &buffer);
        glBindBuffer(GL_ARRAY_BUFFER, buffer);
        glBindBuffer(GL_ARRAY_BUFFER, 0);
        glFinish();
        ASSERT_TRUE(b->makeCurrentContext());
        EXPECT_TRUE(glIsBuffer(buffer) == GL_TRUE);
        ASSERT_TRUE(alone->makeCurrentContext());
        EXPECT_FALSE(glIsBuffer(buffer) == GL_TRUE);
        ASSERT_TRUE(a->makeCurrentContext());
        glDeleteBuffers(1, &buffer);
        setCurrentContextBinding(GLContextBinding{});
    }).join();
}

TEST(EGLPlatformTest, ADeletedContextIsNoLongerLiveAndAnotherNeverTakesItsSerial) {
    PlatformGLContext* first = PlatformGLContext::create(nullptr);
    const std::uint64_t serial = first->serial();
    EXPECT_TRUE(PlatformGLContext::isLive(first, serial));
    delete first;
    EXPECT_FALSE(PlatformGLContext::isLive(first, serial));
    auto second = make(nullptr);
    EXPECT_NE(second->serial(), serial);
    EXPECT_FALSE(PlatformGLContext::isLive(second.get(), serial));
}

TEST(EGLPlatformTest, AnInjectedFailureMakesAnInvalidContextThatSaysWhy) {
    PlatformGLContext::failNextCreation("refused for the test");
    auto failed = make(nullptr);
    EXPECT_FALSE(failed->isValid());
    EXPECT_EQ(failed->error(), "refused for the test");
    EXPECT_TRUE(failed->binding().isNull());
    EXPECT_FALSE(failed->makeCurrentContext());
    auto next = make(nullptr);  // only the next one fails
    EXPECT_TRUE(next->isValid());
    // A share context that is invalid shares nothing but does not stop creation.
    auto orphan = make(failed.get());
    EXPECT_TRUE(orphan->isValid());
}

}  // namespace
}  // namespace Tavrolin::Fill
