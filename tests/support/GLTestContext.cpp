#include "support/GLTestContext.h"

#include "support/CaptureStdout.h"
#include "support/GLCallRecorder.h"

#include <glbinding/gl/gl.h>

namespace Tavrolin::Fill::Test {

AEOpenGLContext& sharedTestContext() {
    static AEOpenGLContext* kContext = [] {
        CaptureStdout quiet;
        return new AEOpenGLContext(nullptr);
    }();
    return *kContext;
}

bool makeTestContextCurrent() {
    AEOpenGLContext& context = sharedTestContext();
    EXPECT_TRUE(context.isValid()) << "no OpenGL context: " << context.failureReason();
    if (!context.isValid())
        return false;
    const bool current = context.makeContextCurrent();
    EXPECT_TRUE(current) << "the test context could not be made current";
    if (current)
        installUnresolvedGuard();
    return current;
}

void GLTest::SetUp() { ASSERT_TRUE(makeTestContextCurrent()); }

void GLTest::TearDown() {
    if (sharedTestContext().isValid() && sharedTestContext().makeContextCurrent())
        resetGLBindings();
}

void resetGLBindings() {
    using namespace gl;
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glBindRenderbuffer(GL_RENDERBUFFER, 0);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, 0);
    glUseProgram(0);
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glDisable(GL_BLEND);
}

}  // namespace Tavrolin::Fill::Test
