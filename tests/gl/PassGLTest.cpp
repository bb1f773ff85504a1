// The screen and background passes through their real programs: texels in,
// float pixels read back, compared with the arithmetic the passes stand for.

#include "gl/BackgroundRender.h"
#include "gl/ScreenRender.h"

#include "support/CaptureStdout.h"
#include "support/GLCallRecorder.h"
#include "support/GLTestContext.h"

#include <glbinding/gl/gl.h>

#include <gtest/gtest.h>

#include <array>
#include <thread>

using namespace gl;

namespace Tavrolin::Fill {
namespace {

using Texel = std::array<float, 4>;
using Test::CaptureStdout;
using Test::GLCallRecorder;
using Test::makeTestContextCurrent;
using Test::sharedTestContext;

constexpr float kMultiplier16 = 65535.0f / 32768.0f;

GLuint floatTexture(const Texel& texel) {
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, static_cast<GLint>(GL_NEAREST));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, static_cast<GLint>(GL_NEAREST));
    glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(GL_RGBA32F), 1, 1, 0, GL_RGBA, GL_FLOAT, texel.data());
    glBindTexture(GL_TEXTURE_2D, 0);
    return texture;
}

// A 1x1 float target, so the programs' results are not rounded to 8 bits.
struct FloatTarget {
    GLuint texture = floatTexture({0, 0, 0, 0});
    GLuint framebuffer = 0;
    FloatTarget() {
        glGenFramebuffers(1, &framebuffer);
        bind();
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, 0);
    }
    ~FloatTarget() {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glDeleteFramebuffers(1, &framebuffer);
        glDeleteTextures(1, &texture);
    }
    void bind() const {
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        glViewport(0, 0, 1, 1);
    }
    Texel read() const {
        Texel out{-1, -1, -1, -1};
        bind();
        glReadBuffer(GL_COLOR_ATTACHMENT0);
        glReadPixels(0, 0, 1, 1, GL_RGBA, GL_FLOAT, out.data());
        return out;
    }
};

template <typename Pass>
Texel drawThrough(Pass& pass, const Texel& texel, float multiplier) {
    FloatTarget target;
    const GLuint source = floatTexture(texel);
    target.bind();
    pass.draw(source, multiplier);
    const Texel out = target.read();
    glDeleteTextures(1, &source);
    return out;
}

void expectNear(const Texel& got, const Texel& want) {
    for (int k = 0; k < 4; ++k)
        EXPECT_NEAR(got[k], want[k], 1e-6) << "component " << k;
}

class PassTest : public Test::GLTest {};

// Expected values worked by hand from the passes' meaning: the screen pass
// takes premultiplied (r, g, b, a) to straight (a, r/a, g/a, b/a) / m.
struct ScreenCase {
    const char* name;
    Texel in;
    float multiplier;
    Texel out;
};

TEST_F(PassTest, ScreenRenderTakesPremultipliedColourToTheHostArrangement) {
    const ScreenCase cases[] = {
        {"half transparent", {0.25f, 0.5f, 0.125f, 0.5f}, 1.0f, {0.5f, 0.5f, 1.0f, 0.25f}},
        {"zero alpha whatever the colour", {0.3f, 0.6f, 0.9f, 0.0f}, 1.0f, {0, 0, 0, 0}},
        {"opaque white, 16-bit", {1, 1, 1, 1}, kMultiplier16, {32768.0f / 65535, 32768.0f / 65535,
                                                                32768.0f / 65535, 32768.0f / 65535}},
        {"opaque", {0.2f, 0.4f, 0.6f, 1.0f}, 1.0f, {1.0f, 0.2f, 0.4f, 0.6f}},
    };
    ScreenRender pass;
    for (const ScreenCase& row : cases) {
        SCOPED_TRACE(row.name);
        expectNear(drawThrough(pass, row.in, row.multiplier), row.out);
    }
}

// The background pass: host (a, r, g, b) times m, to premultiplied (r, g, b, a).
TEST_F(PassTest, BackgroundRenderTakesTheHostArrangementToPremultipliedColour) {
    BackgroundRender pass;
    expectNear(drawThrough(pass, {0.5f, 0.5f, 1.0f, 0.25f}, 1.0f), {0.25f, 0.5f, 0.125f, 0.5f});
    const float h = 32768.0f / 65535;  // a 16-bit host's 32768
    expectNear(drawThrough(pass, {h, h, 0, h / 2}, kMultiplier16), {1.0f, 0.0f, 0.5f, 1.0f});
}

TEST_F(PassTest, BackgroundRenderUndoesScreenRender) {
    ScreenRender screen;
    BackgroundRender background;
    const Texel texels[] = {{0.25f, 0.5f, 0.125f, 0.5f}, {0.1f, 0.05f, 0.0f, 0.2f}, {0.9f, 0.3f, 0.6f, 1.0f}};
    for (float multiplier : {1.0f, kMultiplier16}) {
        for (const Texel& texel : texels) {
            FloatTarget middle, last;
            const GLuint source = floatTexture(texel);
            middle.bind();
            screen.draw(source, multiplier);
            last.bind();
            background.draw(middle.texture, multiplier);
            expectNear(last.read(), texel);
            glDeleteTextures(1, &source);
        }
    }
}

TEST_F(PassTest, ASecondDrawMakesNoNewVertexArrayOrBuffer) {
    ScreenRender pass;
    drawThrough(pass, {0, 0, 0, 1}, 1.0f);
    const unsigned int array = pass.vertexArray(), buffer = pass.vertexBuffer();
    EXPECT_NE(array, 0u);
    EXPECT_NE(buffer, 0u);
    GLCallRecorder recorder;
    drawThrough(pass, {0, 0, 0, 1}, 1.0f);
    EXPECT_EQ(recorder.count("glGenVertexArrays"), 0u);
    EXPECT_EQ(recorder.count("glGenBuffers"), 0u);
    EXPECT_EQ(recorder.count("glDrawArrays"), 1u);
    EXPECT_EQ(pass.vertexArray(), array);
    // What a draw leaves: its program in use, no vertex array, no buffer.
    GLint program = 0, boundArray = -1, boundBuffer = -1;
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &boundArray);
    glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &boundBuffer);
    EXPECT_EQ(static_cast<GLuint>(program), pass.shader().program());
    EXPECT_EQ(boundArray, 0);
    EXPECT_EQ(boundBuffer, 0);
}

// Vertex arrays are not shared: a pass used in a second context of the share
// group needs one of its own there, and still draws the right colour.
TEST_F(PassTest, APassDrawsRightInASecondContextWithAVertexArrayOfItsOwn) {
    ScreenRender pass;
    expectNear(drawThrough(pass, {0.25f, 0.5f, 0.125f, 0.5f}, 1.0f), {0.5f, 0.5f, 1.0f, 0.25f});
    const unsigned int firstArray = pass.vertexArray();
    std::thread other([&] {
        std::unique_ptr<AEOpenGLContext> second;
        {
            CaptureStdout quiet;
            second = std::make_unique<AEOpenGLContext>(&sharedTestContext());
        }
        ASSERT_TRUE(second->isValid());
        GLCallRecorder recorder;
        expectNear(drawThrough(pass, {0.25f, 0.5f, 0.125f, 0.5f}, 1.0f), {0.5f, 0.5f, 1.0f, 0.25f});
        EXPECT_EQ(recorder.count("glGenVertexArrays"), 1u);
        EXPECT_EQ(recorder.count("glGenBuffers"), 0u);  // buffers are shared
        EXPECT_EQ(recorder.count("glLinkProgram"), 0u);  // and programs
        setCurrentContextBinding(GLContextBinding{});
    });
    other.join();
    makeTestContextCurrent();
    GLCallRecorder recorder;
    expectNear(drawThrough(pass, {0.25f, 0.5f, 0.125f, 0.5f}, 1.0f), {0.5f, 0.5f, 1.0f, 0.25f});
    EXPECT_EQ(recorder.count("glGenVertexArrays"), 0u);
    EXPECT_EQ(recorder.count("glDrawArrays"), 1u);  // the draw was recorded
    EXPECT_EQ(pass.vertexArray(), firstArray);
}

TEST_F(PassTest, ProgramTextsHaveTheirFixedLengthsAndBindings) {
    ScreenRender screen;
    BackgroundRender background;
    EXPECT_EQ(screen.shader().vertexSource().size(), 133u);
    EXPECT_EQ(screen.shader().fragmentSource().size(), 403u);
    EXPECT_EQ(background.shader().vertexSource().size(), 126u);
    EXPECT_EQ(background.shader().fragmentSource().size(), 386u);
    OpenglShader& built = const_cast<OpenglShader&>(screen.shader());
    built.useProgram();
    EXPECT_EQ(built.getAttributeLocation("position"), 0);
    EXPECT_EQ(built.getAttributeLocation("input_uv"), 1);
}

}  // namespace
}  // namespace Tavrolin::Fill
