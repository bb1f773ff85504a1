// The main frame buffer on the real driver: what it creates and deletes
// (seen through the GL calls it makes), what its targets hold, and which
// context its frame buffers belong to.

#include "gl/AEOpenglMainFrameBuffer.h"
#include "gl/ScreenRender.h"
#include "math/Vec2.h"

#include "support/CaptureStdout.h"
#include "support/GLCallRecorder.h"
#include "support/GLTestContext.h"

#include <glbinding/gl/gl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

using namespace gl;

namespace Tavrolin::Fill {
namespace {

using Test::CaptureStdout;
using Test::GLCallRecorder;
using Test::makeTestContextCurrent;
using Test::sharedTestContext;

using Bytes = std::array<int, 4>;

// The bound read frame buffer's pixel (x, y), as bytes.
Bytes readPixel(int x, int y) {
    unsigned char p[4] = {0, 0, 0, 0};
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
    return {p[0], p[1], p[2], p[3]};
}

// A texture's level-0 texel (x, y) of a w-wide texture, as bytes.
Bytes texel(GLuint texture, int w, int h, int x, int y) {
    std::vector<unsigned char> all(static_cast<size_t>(w * h * 4));
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, all.data());
    glBindTexture(GL_TEXTURE_2D, 0);
    const unsigned char* p = &all[static_cast<size_t>((y * w + x) * 4)];
    return {p[0], p[1], p[2], p[3]};
}

void expectBytesNear(const Bytes& got, const Bytes& want) {
    for (int k = 0; k < 4; ++k)
        EXPECT_NEAR(got[k], want[k], 1) << "component " << k;
}

GLuint attachedColour(GLuint framebuffer) {
    GLint name = 0;
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0,
                                          GL_FRAMEBUFFER_ATTACHMENT_OBJECT_NAME, &name);
    return static_cast<GLuint>(name);
}

// Each test gets its own instance (the shared one lives for the process).
class MainFrameBufferTest : public Test::GLTest {
protected:
    void TearDown() override {
        if (mBuffer) {
            makeTestContextCurrent();
            mBuffer->destory();
            mBuffer.reset();
        }
        Fill::Test::GLTest::TearDown();
    }
    AEOpenglMainFrameBuffer& fb() {
        if (!mBuffer)
            mBuffer = std::make_unique<AEOpenglMainFrameBuffer>();
        return *mBuffer;
    }
    std::unique_ptr<AEOpenglMainFrameBuffer> mBuffer;
};

TEST_F(MainFrameBufferTest, TheSharedInstanceIsOneObjectMadeWithoutGL) {
    GLCallRecorder recorder;
    AEOpenglMainFrameBuffer* first = AEOpenglMainFrameBuffer::mainFrameBuffer();
    EXPECT_EQ(AEOpenglMainFrameBuffer::mainFrameBuffer(), first);
    EXPECT_EQ(recorder.calls().size(), 0u);
    EXPECT_NE(first->screenRender(), nullptr);
}

TEST_F(MainFrameBufferTest, PrepareTwiceAtOneSizeCreatesOnceAndANewSizeDeletesFirst) {
    GLCallRecorder recorder;
    fb().prepare(8, 6, true);
    EXPECT_EQ(recorder.count("glGenFramebuffers"), 3u);
    EXPECT_EQ(recorder.count("glGenRenderbuffers"), 1u);
    EXPECT_NE(fb().framebuffer(), 0u);
    EXPECT_NE(fb().resolveFramebuffer(), 0u);
    EXPECT_NE(fb().multisampleFramebuffer(), 0u);
    const GLuint screen = fb().screenRenderbuffer();
    ASSERT_TRUE(glIsRenderbuffer(screen) == GL_TRUE);
    recorder.clear();
    fb().prepare(8, 6, true);
    EXPECT_EQ(recorder.calls().size(), 0u);

    const std::vector<GLuint> old = {fb().resolveFramebuffer(), fb().framebuffer(), fb().multisampleFramebuffer()};
    fb().prepare(9, 6, true);
    const std::vector<std::string> names = recorder.names();
    // Everything old goes before anything new is made.
    const auto firstGen = std::find(names.begin(), names.end(), "glGenFramebuffers");
    EXPECT_EQ(std::count(names.begin(), firstGen, "glDeleteFramebuffers"), 3);
    EXPECT_EQ(std::count(names.begin(), firstGen, "glDeleteRenderbuffers"), 1);
    EXPECT_FALSE(glIsRenderbuffer(screen) == GL_TRUE);
    for (GLuint name : old)
        EXPECT_FALSE(glIsFramebuffer(name) == GL_TRUE) << name;
    EXPECT_EQ(fb().width(), 9);
}

TEST_F(MainFrameBufferTest, PreparingTheSizeItAlreadyHasDoesNothing) {
    GLCallRecorder recorder;
    fb().prepare(0, 0, true);  // a fresh object is 0 x 0 already
    EXPECT_EQ(recorder.calls().size(), 0u);
    EXPECT_EQ(fb().framebuffer(), 0u);
    fb().prepare(4, 4, false);
    recorder.clear();
    fb().prepare(4, 4, true);  // the flag is ignored at the same size
    EXPECT_FALSE(fb().multisample());
    EXPECT_EQ(fb().multisampleFramebuffer(), 0u);
    EXPECT_EQ(recorder.calls().size(), 0u);
}

TEST_F(MainFrameBufferTest, AnUndrawnFrameEndsTransparentBlackWithAnEmptyStack) {
    for (bool multisample : {true, false}) {
        SCOPED_TRACE(multisample ? "multisampled" : "single-sampled");
        AEOpenglMainFrameBuffer buffer;
        buffer.prepare(4, 3, multisample);
        // Something left over in the screen renderbuffer would show.
        glBindFramebuffer(GL_FRAMEBUFFER, buffer.framebuffer());
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, buffer.screenRenderbuffer());
        glClearColor(1, 1, 1, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        buffer.beginDrawing(false, false);
        buffer.endDrawing(1);
        EXPECT_TRUE(buffer.colorStack().empty());
        GLint bound = 0;
        glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &bound);
        EXPECT_EQ(static_cast<GLuint>(bound), buffer.framebuffer());
        expectBytesNear(readPixel(0, 0), {0, 0, 0, 0});
        expectBytesNear(readPixel(3, 2), {0, 0, 0, 0});
        buffer.destory();
    }
}

TEST_F(MainFrameBufferTest, AFrameComesOutInTheHostArrangement) {
    // Premultiplied (0.5, 0.25, 0.125, 0.5) drawn into the target comes back
    // as straight alpha, red, green, blue: 0.5, 1, 0.5, 0.25.
    for (bool multisample : {true, false}) {
        SCOPED_TRACE(multisample ? "multisampled" : "single-sampled");
        AEOpenglMainFrameBuffer buffer;
        buffer.prepare(5, 4, multisample);
        buffer.beginDrawing(false, false);
        glClearColor(0.5f, 0.25f, 0.125f, 0.5f);
        glClear(GL_COLOR_BUFFER_BIT);
        buffer.endDrawing(1);
        expectBytesNear(readPixel(0, 0), {128, 255, 128, 64});
        expectBytesNear(readPixel(4, 3), {128, 255, 128, 64});
        buffer.destory();
    }
}

TEST_F(MainFrameBufferTest, MultisampledTargetsUseTheMostSamplesAllowedUpToEight) {
    GLint most = 0;
    glGetIntegerv(GL_MAX_SAMPLES, &most);
    fb().prepare(4, 4, true);
    fb().beginDrawing(false, false);
    GLint samples = -1;
    glBindRenderbuffer(GL_RENDERBUFFER, fb().colorStack().back());
    glGetRenderbufferParameteriv(GL_RENDERBUFFER, GL_RENDERBUFFER_SAMPLES, &samples);
    EXPECT_EQ(samples, std::min(8, static_cast<int>(most)));
    glBindFramebuffer(GL_FRAMEBUFFER, fb().multisampleFramebuffer());
    EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), GL_FRAMEBUFFER_COMPLETE);
    fb().clearStack();
}

TEST_F(MainFrameBufferTest, NestedTargetsPopIntoTexturesAndDrawingGoesBackToTheOneBelow) {
    fb().prepare(2, 2, true);
    fb().beginDrawing(false, false);
    const GLuint first = fb().colorStack().back();
    glClearColor(1, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    fb().pushRenderContext(false, false);
    ASSERT_EQ(fb().colorStack().size(), 2u);
    EXPECT_EQ(attachedColour(fb().multisampleFramebuffer()), fb().colorStack().back());
    glClearColor(0, 1, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    const GLuint popped = fb().popRenderContext();
    ASSERT_NE(popped, 0u);
    expectBytesNear(texel(popped, 2, 2, 1, 1), {0, 255, 0, 255});
    glDeleteTextures(1, &popped);
    ASSERT_EQ(fb().colorStack().size(), 1u);
    EXPECT_EQ(attachedColour(fb().multisampleFramebuffer()), first);
    // Further drawing lands in the first target: half blue over its red.
    glClearColor(0, 0, 0.5f, 0.5f);
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, 0, 1, 2);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
    const GLuint last = fb().popRenderContext();
    expectBytesNear(texel(last, 2, 2, 0, 0), {0, 0, 128, 128});
    expectBytesNear(texel(last, 2, 2, 1, 0), {255, 0, 0, 255});
    glDeleteTextures(1, &last);
    EXPECT_EQ(fb().popRenderContext(), 0u);  // empty
}

// glDelete* shows only the address of its array; watch the objects instead.
TEST_F(MainFrameBufferTest, DepthAndStencilGoWithTheirTarget) {
    fb().prepare(4, 4, true);
    fb().beginDrawing(true, true);
    const GLuint color = fb().colorStack().back();
    ASSERT_EQ(fb().depthBuffers().count(color), 1u);
    ASSERT_EQ(fb().stencilBuffers().count(color), 1u);
    const GLuint depth = fb().depthBuffers().at(color), stencil = fb().stencilBuffers().at(color);
    // Both in one packed buffer: separate ones are unsupported here.
    EXPECT_EQ(depth, stencil);
    glBindFramebuffer(GL_FRAMEBUFFER, fb().multisampleFramebuffer());
    EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), GL_FRAMEBUFFER_COMPLETE);
    GLCallRecorder recorder;
    const GLuint texture = fb().popRenderContext();
    glDeleteTextures(1, &texture);
    EXPECT_EQ(recorder.count("glDeleteRenderbuffers"), 2u);
    for (GLuint name : {color, depth})
        EXPECT_FALSE(glIsRenderbuffer(name) == GL_TRUE) << name;
    EXPECT_TRUE(fb().depthBuffers().empty());
    EXPECT_TRUE(fb().stencilBuffers().empty());

    // Depth alone and stencil alone are buffers of their own.
    for (bool withDepth : {true, false}) {
        fb().pushRenderContext(withDepth, !withDepth);
        const GLuint c = fb().colorStack().back();
        const auto& map = withDepth ? fb().depthBuffers() : fb().stencilBuffers();
        ASSERT_EQ(map.count(c), 1u);
        const GLuint extra = map.at(c);
        EXPECT_EQ((withDepth ? fb().stencilBuffers() : fb().depthBuffers()).count(c), 0u);
        glBindFramebuffer(GL_FRAMEBUFFER, fb().multisampleFramebuffer());
        const GLuint t = fb().popRenderContext();
        glDeleteTextures(1, &t);
        EXPECT_FALSE(glIsRenderbuffer(c) == GL_TRUE);
        EXPECT_FALSE(glIsRenderbuffer(extra) == GL_TRUE);
        EXPECT_TRUE(map.empty());
    }
}

TEST_F(MainFrameBufferTest, UnprepareAndClearStackDeleteStackedDepthAndStencilToo) {
    fb().prepare(4, 4, false);
    fb().beginDrawing(true, true);
    fb().pushRenderContext(true, false);
    std::vector<GLuint> all = fb().colorStack();
    for (const auto& entry : fb().depthBuffers())
        all.push_back(entry.second);
    for (const auto& entry : fb().stencilBuffers())
        all.push_back(entry.second);
    ASSERT_EQ(all.size(), 5u);  // two colours, two depths, one stencil (packed with the first depth)
    fb().clearStack();
    EXPECT_TRUE(fb().colorStack().empty());
    EXPECT_TRUE(fb().depthBuffers().empty());
    EXPECT_TRUE(fb().stencilBuffers().empty());
    for (GLuint name : all)
        EXPECT_FALSE(glIsRenderbuffer(name) == GL_TRUE) << name;

    fb().pushRenderContext(true, true);
    const GLuint color = fb().colorStack().back();
    const GLuint depth = fb().depthBuffers().at(color);
    fb().unprepare();
    EXPECT_TRUE(fb().depthBuffers().empty());
    EXPECT_TRUE(fb().stencilBuffers().empty());
    EXPECT_FALSE(glIsRenderbuffer(depth) == GL_TRUE);
    EXPECT_EQ(fb().framebuffer(), 0u);
    EXPECT_EQ(fb().screenRenderbuffer(), 0u);
    EXPECT_EQ(fb().width(), 4);  // the size is kept
}

TEST_F(MainFrameBufferTest, AnIncompleteMultisampleFrameBufferIsReportedByName) {
    // A zero-wide target cannot be complete.
    fb().prepare(0, 3, true);
    CaptureStdout capture;
    fb().pushRenderContext(false, false);
    EXPECT_EQ(capture.text(), "framebuffer incomplete:" + std::to_string(fb().multisampleFramebuffer()));
    fb().clearStack();
}

TEST_F(MainFrameBufferTest, WidthAndHeightAreTheLowSixteenBits) {
    fb().prepare(70000, 65537, false);  // too big for a renderbuffer: GL refuses, nothing breaks
    EXPECT_EQ(fb().width(), 4464);
    EXPECT_EQ(fb().height(), 1);
}

struct TextureCase {
    const char* name;
    bool floating, linear, mipmap;
    GLenum minFilter, magFilter;
};

TEST_F(MainFrameBufferTest, RenderTexturesHaveTheirFormatFiltersAndZeros) {
    const TextureCase cases[] = {
        {"rgba", false, true, false, GL_LINEAR, GL_LINEAR},
        {"rgba mipmap", false, true, true, GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR},
        {"float linear mipmap", true, true, true, GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR},
        {"float linear", true, true, false, GL_LINEAR, GL_LINEAR},
        {"float nearest mipmap", true, false, true, GL_LINEAR_MIPMAP_NEAREST, GL_LINEAR},
        {"float nearest", true, false, false, GL_NEAREST, GL_NEAREST},
    };
    fb().prepare(3, 2, false);
    for (const TextureCase& row : cases) {
        for (bool sized : {false, true}) {
            SCOPED_TRACE(std::string(row.name) + (sized ? " of a given size" : ""));
            const Vec2 size(5.9, 4.2);  // truncated to 5 x 4
            GLuint t = 0;
            if (row.floating)
                t = sized ? fb().createFloatRenderTexture(size, row.linear, row.mipmap)
                          : fb().createFloatRenderTexture(row.linear, row.mipmap);
            else
                t = sized ? fb().createRenderTexture(size, row.mipmap) : fb().createRenderTexture(row.mipmap);
            GLint bound = -1;
            glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
            EXPECT_EQ(bound, 0);
            glBindTexture(GL_TEXTURE_2D, t);
            GLint minFilter = 0, magFilter = 0, wrapS = 0, wrapT = 0, w = 0, h = 0, format = 0;
            glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
            glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &magFilter);
            glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &wrapS);
            glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, &wrapT);
            glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
            glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &h);
            glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &format);
            EXPECT_EQ(minFilter, static_cast<GLint>(row.minFilter));
            EXPECT_EQ(magFilter, static_cast<GLint>(row.magFilter));
            EXPECT_EQ(wrapS, static_cast<GLint>(GL_CLAMP_TO_EDGE));
            EXPECT_EQ(wrapT, static_cast<GLint>(GL_CLAMP_TO_EDGE));
            EXPECT_EQ(w, sized ? 5 : 3);
            EXPECT_EQ(h, sized ? 4 : 2);
            if (row.floating)
                EXPECT_EQ(format, static_cast<GLint>(GL_RGBA32F));
            else
                EXPECT_NE(format, static_cast<GLint>(GL_RGBA32F));
            glBindTexture(GL_TEXTURE_2D, 0);
            expectBytesNear(texel(t, w, h, w - 1, h - 1), {0, 0, 0, 0});
            glDeleteTextures(1, &t);
        }
    }
}

TEST_F(MainFrameBufferTest, ANormalRenderDrawsIntoTheTextureAndReturnsToTheStack) {
    fb().prepare(4, 4, true);
    fb().beginDrawing(false, false);
    const GLuint top = fb().colorStack().back();
    const GLuint target = fb().createRenderTexture(false);
    fb().pushNormalRenderContext(target, Vec2(2.7, 2.2), 0);
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 2);
    EXPECT_EQ(viewport[3], 2);
    GLint temporary = 0;
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &temporary);
    glClearColor(0, 0, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    fb().popNormalRenderContext();
    EXPECT_FALSE(glIsFramebuffer(static_cast<GLuint>(temporary)) == GL_TRUE);
    expectBytesNear(texel(target, 4, 4, 3, 3), {0, 0, 255, 255});
    EXPECT_EQ(attachedColour(fb().multisampleFramebuffer()), top);
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 4);
    glDeleteTextures(1, &target);
    fb().clearStack();
}

// Frame-buffer objects belong to the context that made them (Mesa happens to
// share them, so the test checks which context made them, not only pixels).
TEST_F(MainFrameBufferTest, ARenderOnAnotherThreadMakesTheFrameBuffersAnewInItsContext) {
    fb().prepare(3, 3, true);
    const GLuint mainFramebuffer = fb().framebuffer();
    const std::uint64_t mainContext = fb().framebufferContext();
    EXPECT_EQ(mainContext, currentContextKey());
    void* secondHandle = nullptr;
    std::uint64_t secondKey = 0;
    std::thread other([&] {
        std::unique_ptr<AEOpenGLContext> second;
        {
            CaptureStdout quiet;
            second = std::make_unique<AEOpenGLContext>(&sharedTestContext());
        }
        ASSERT_TRUE(second->isValid());
        secondHandle = second->platformContext()->handle();
        secondKey = currentContextKey();
        GLCallRecorder recorder;
        fb().prepare(3, 3, true);
        const auto made = recorder.named("glGenFramebuffers");
        ASSERT_EQ(made.size(), 3u);
        for (const auto& call : made)
            EXPECT_EQ(call.context, secondHandle);
        EXPECT_EQ(fb().framebufferContext(), secondKey);
        fb().beginDrawing(false, false);
        glClearColor(0.5f, 0.25f, 0.125f, 0.5f);
        glClear(GL_COLOR_BUFFER_BIT);
        fb().endDrawing(1);
        expectBytesNear(readPixel(2, 2), {128, 255, 128, 64});
        // The frame was drawn through this context's frame buffers only.
        const std::set<std::string> own = {std::to_string(fb().framebuffer()),
                                           std::to_string(fb().resolveFramebuffer()),
                                           std::to_string(fb().multisampleFramebuffer())};
        EXPECT_EQ(own.count(std::to_string(mainFramebuffer)), 0u);
        const auto binds = recorder.named("glBindFramebuffer");
        EXPECT_FALSE(binds.empty());
        for (const auto& call : binds)
            EXPECT_EQ(own.count(call.args.at(1)), 1u) << "bound " << call.args.at(1);
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        setCurrentContextBinding(GLContextBinding{});
    });
    other.join();
    ASSERT_TRUE(makeTestContextCurrent());
    // Back in the first context its own frame buffers are used again.
    GLCallRecorder recorder;
    fb().prepare(3, 3, true);
    EXPECT_EQ(recorder.count("glGenFramebuffers"), 0u);
    EXPECT_EQ(fb().framebuffer(), mainFramebuffer);
    EXPECT_EQ(fb().framebufferContext(), mainContext);
    fb().beginDrawing(false, false);
    glClearColor(0, 0, 0.5f, 0.5f);
    glClear(GL_COLOR_BUFFER_BIT);
    fb().endDrawing(1);
    expectBytesNear(readPixel(0, 0), {128, 0, 0, 255});
}

TEST_F(MainFrameBufferTest, FrameBuffersOfAnotherContextAreDeletedThereAfterASizeChange) {
    fb().prepare(3, 3, false);
    const GLuint mainFramebuffer = fb().framebuffer();
    std::thread other([&] {
        std::unique_ptr<AEOpenGLContext> second;
        {
            CaptureStdout quiet;
            second = std::make_unique<AEOpenGLContext>(&sharedTestContext());
        }
        fb().prepare(3, 3, false);  // parks the first context's set
        fb().prepare(5, 5, false);  // the parked set is now stale
        setCurrentContextBinding(GLContextBinding{});
    });
    other.join();
    ASSERT_TRUE(makeTestContextCurrent());
    GLCallRecorder recorder;
    fb().prepare(5, 5, false);
    EXPECT_EQ(recorder.count("glDeleteFramebuffers"), 1u);
    EXPECT_EQ(recorder.count("glGenFramebuffers"), 1u);
    for (const auto& call : recorder.calls())
        EXPECT_EQ(call.context, sharedTestContext().platformContext()->handle()) << call.name;
    EXPECT_FALSE(glIsFramebuffer(mainFramebuffer) == GL_TRUE);
}

}  // namespace
}  // namespace Tavrolin::Fill
