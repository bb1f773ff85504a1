// The fill draw pass on the real driver: the drawn target (premultiplied, 8
// bits, before the screen pass) against the pixel model, the uniforms as GL
// holds them, and which GL objects each draw makes.

#include <gtest/gtest.h>
#include <glbinding/gl/gl.h>

#include <memory>
#include <string>
#include <vector>

#include "render/FinalRender.h"
#include "render/FinalRenderTestHost.h"
#include "render/OpenglShader.h"
#include "support/CaptureStdout.h"
#include "support/FillModel.h"
#include "support/GLCallRecorder.h"
#include "support/GLTestContext.h"

using namespace gl;

namespace Tavrolin::Fill {
namespace {

namespace M = Model;
namespace TS = ::Tavrolin::Fill::Test;

constexpr int kW = 24, kH = 9;

// Columns 0-7 opaque, 8-15 half transparent, 16-23 fully transparent; colours
// vary so that both sides of Overlay's switch appear.
M::Argb8 layerPixel(int x, int y) {
    const std::uint8_t alpha = x < 8 ? 255 : (x < 16 ? 128 : 0);
    if (alpha == 0) return {0, 0, 0, 0};
    return {alpha, static_cast<std::uint8_t>(20 + 28 * (x % 8)), static_cast<std::uint8_t>(230 - 25 * y),
            static_cast<std::uint8_t>((x * 53 + y * 31) % 256)};
}

// A target to draw into and the layer as a texture, made the way the render
// command's frame buffer and upload make them (host channels in R, G, B, A).
class FinalRenderGL : public TS::GLTest {
protected:
    void SetUp() override {
        TS::GLTest::SetUp();
        std::vector<std::uint8_t> argb;
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x) {
                const M::Argb8 p = layerPixel(x, y);
                argb.insert(argb.end(), {p.a, p.r, p.g, p.b});
            }
        glGenTextures(1, &mLayer);
        glBindTexture(GL_TEXTURE_2D, mLayer);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA32F, kW, kH, 0, GL_RGBA, GL_UNSIGNED_BYTE, argb.data());
        glGenTextures(1, &mTarget);
        glBindTexture(GL_TEXTURE_2D, mTarget);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, kW, kH, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
        glBindTexture(GL_TEXTURE_2D, 0);
        glGenFramebuffers(1, &mFramebuffer);
        bindTarget();
        render = std::make_unique<FinalRender>();
        // The default stops: group 1 blue at 0 %, group 2 yellow at 100 %.
        host.set("Color Stop Amount", 1);
        host.setStop(1, {255, 0, 0, 255}, 100, 0);
        host.setStop(2, {255, 255, 255, 0}, 100, 100);
    }
    void TearDown() override {
        render.reset();
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glDeleteFramebuffers(1, &mFramebuffer);
        glDeleteTextures(1, &mLayer);
        glDeleteTextures(1, &mTarget);
        TS::GLTest::TearDown();
    }
    void bindTarget() {
        glBindFramebuffer(GL_FRAMEBUFFER, mFramebuffer);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, mTarget, 0);
        glViewport(0, 0, kW, kH);
        glDisable(GL_BLEND);
    }
    void draw() {
        render->prepare(host.inData(), host.outData());
        render->draw(mLayer, 1.0f, Vec2(kW, kH));
    }
    std::vector<M::Rgba8> readTarget() {
        std::vector<M::Rgba8> pixels(kW * kH);
        glReadBuffer(GL_COLOR_ATTACHMENT0);
        glReadPixels(0, 0, kW, kH, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        return pixels;
    }
    // Every pixel of the target against the model; where the output alpha is
    // 0 the colour is not defined and only alpha is checked.
    void expectTargetMatches(const M::Fill& fill) {
        const std::vector<M::Rgba8> got = readTarget();
        int wrong = 0;
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x) {
                const M::Rgba8 g = got[y * kW + x];
                const M::Rgba8 e = M::drawnPixel(fill, layerPixel(x, y), x, y);
                const bool ok = std::abs(g.a - e.a) <= 2 &&
                                (e.a == 0 || (std::abs(g.r - e.r) <= 2 && std::abs(g.g - e.g) <= 2 &&
                                              std::abs(g.b - e.b) <= 2));
                if (!ok && ++wrong <= 5)
                    ADD_FAILURE() << "pixel " << x << "," << y << ": drawn " << int(g.r) << " " << int(g.g) << " "
                                  << int(g.b) << " " << int(g.a) << ", model " << int(e.r) << " " << int(e.g) << " "
                                  << int(e.b) << " " << int(e.a);
            }
    }
    M::Rgba8 pixelAt(int x, int y) { return readTarget()[y * kW + x]; }
    // A uniform's values as the program holds them; an array element by element.
    std::vector<float> uniform(const std::string& name, int elements, int components) {
        std::vector<float> values;
        for (int i = 0; i < elements; ++i) {
            float v[4] = {};
            const std::string element = elements > 1 ? name + "[" + std::to_string(i) + "]" : name;
            glGetUniformfv(render->shader()->program(), render->shader()->getUniformLocation(element), v);
            values.insert(values.end(), v, v + components);
        }
        return values;
    }

    TS::EffectParamsHost host;
    std::unique_ptr<FinalRender> render;
    unsigned int mLayer = 0, mTarget = 0, mFramebuffer = 0;
};

M::StopGroup group(std::uint8_t r, std::uint8_t g, std::uint8_t b, double opacity, double position) {
    M::StopGroup s;
    s.r = r;
    s.g = g;
    s.b = b;
    s.opacityPercent = opacity;
    s.positionPercent = position;
    return s;
}

TEST_F(FinalRenderGL, EveryFillAndBlendModeDrawsTheModel) {
    host.setColor("Solid Color", {200, 250, 40, 90});
    host.setPoint("Gradient Start", 2, 1);
    host.setPoint("Gradient End", 21, 7);
    host.setPoint("Radial Center", 11, 4);
    host.set("Radial Radius", 10);
    host.set("Focal Offset Angle", 30);
    host.set("Focal Offset Distance", 40);
    host.setPoint("Sweep Center", 12.3, 4.1);
    host.set("Color Stop Amount", 2);
    host.setStop(1, {255, 255, 0, 0}, 100, 0);
    host.setStop(2, {255, 0, 200, 40}, 60, 45);
    host.setStop(3, {255, 30, 60, 255}, 90, 100);

    M::Fill fill;
    fill.solid = {200, 250, 40, 90};
    fill.start = {2, 1};
    fill.end = {21, 7};
    fill.center = {11, 4};
    fill.radius = 10;
    fill.focal = M::focalPoint({11, 4}, 10, 30, 0.4);
    fill.sweepCenter = {12.3, 4.1};
    fill.groups = {group(255, 0, 0, 100, 0), group(0, 200, 40, 60, 45), group(30, 60, 255, 90, 100)};

    const char* fills[] = {"Solid", "Linear", "Radial", "Sweep"};
    const char* blends[] = {"Normal", "Multiply", "Add", "Screen", "Overlay", "Replace"};
    TS::CaptureStdout out;
    for (int f = 0; f < 4; ++f)
        for (int b = 0; b < 6; ++b) {
            SCOPED_TRACE(std::string(fills[f]) + "/" + blends[b]);
            host.set("Fill Type", f + 1);
            host.set("Blend Mode", b + 1);
            fill.type = f;
            fill.blend = b;
            draw();
            expectTargetMatches(fill);
        }
    EXPECT_EQ(out.text(), "");  // every program compiled and linked
}

TEST_F(FinalRenderGL, QuadAndProgramAreMadeOnce) {
    host.set("Fill Type", 2);
    TS::GLCallRecorder calls;
    draw();
    draw();
    EXPECT_EQ(calls.count("glGenVertexArrays"), 1u);
    EXPECT_EQ(calls.count("glGenBuffers"), 1u);
    EXPECT_EQ(calls.count("glBufferData"), 1u);
    EXPECT_EQ(calls.count("glCreateProgram"), 1u);
    EXPECT_EQ(calls.count("glDrawArrays"), 2u);
}

TEST_F(FinalRenderGL, ProgramIsRebuiltOnFillOrBlendChangeOnly) {
    host.set("Fill Type", 2);
    TS::GLCallRecorder calls;
    draw();
    host.setStop(1, {255, 9, 9, 9}, 50, 20);  // colours and stops: uniforms only
    host.set("Color Stop Amount", 4);
    host.setPoint("Gradient End", 3, 3);
    draw();
    EXPECT_EQ(calls.count("glCreateProgram"), 1u);
    host.set("Blend Mode", 3);
    draw();
    EXPECT_EQ(calls.count("glCreateProgram"), 2u);
    EXPECT_EQ(calls.count("glDeleteProgram"), 1u);
    host.set("Fill Type", 4);
    draw();
    host.set("Fill Type", 2);  // back again: generated and compiled again
    draw();
    EXPECT_EQ(calls.count("glCreateProgram"), 4u);
}

TEST_F(FinalRenderGL, LinearUniformsAsGLHoldsThem) {
    host.set("Fill Type", 2);
    host.setPoint("Gradient Start", 100, 50);
    host.setPoint("Gradient End", 300, 50);
    host.set("Color Stop Amount", 2);
    // Stops in group order 0.8, 0.2, 0.5 go up ascending with their colours.
    host.setStop(1, {255, 255, 0, 0}, 100, 80);
    host.setStop(2, {255, 0, 255, 0}, 50, 20);
    host.setStop(3, {255, 0, 0, 255}, 25, 50);
    draw();
    const std::vector<float> frag = uniform("ufrag", 3, 3);
    EXPECT_EQ(frag, (std::vector<float>{300, 50, 1, 0, 100, 50, static_cast<float>(render->radius()), 3, 1}));
    EXPECT_EQ(uniform("ucolorStops", 3, 1), (std::vector<float>{0.2f, 0.5f, 0.8f}));
    EXPECT_EQ(uniform("ucolors", 3, 4), (std::vector<float>{0, 1, 0, 0.5f, 0, 0, 1, 0.25f, 1, 0, 0, 1}));
    EXPECT_EQ(uniform("multiplier16bit", 1, 1), std::vector<float>{1.0f});
}

TEST_F(FinalRenderGL, SolidUploadsOneColour) {
    host.set("Fill Type", 1);
    host.setColor("Solid Color", {51, 255, 102, 0});
    TS::GLCallRecorder calls;
    draw();
    EXPECT_EQ(uniform("ucolors", 1, 4), (std::vector<float>{1.0f, 0.4f, 0.0f, 0.2f}));
    const std::vector<TS::GLCall> colours = calls.named("glUniform4fv");
    ASSERT_EQ(colours.size(), 1u);
    EXPECT_EQ(colours[0].args.at(1), "1");  // one vec4
    EXPECT_EQ(render->shader()->getUniformLocation("ucolorStops"), -1);
}

// Where the gradient's math has no value the program gives the one the
// gradient's meaning asks for. Stops: blue at 0, yellow at 1.
TEST_F(FinalRenderGL, UndefinedPointsGetTheirDefinedColour) {
    const M::Rgba8 blue{0, 0, 255, 255}, yellow{255, 255, 0, 255};
    auto expectColour = [&](int x, int y, M::Rgba8 want, const char* what) {
        const M::Rgba8 got = pixelAt(x, y);
        EXPECT_TRUE(got.r == want.r && got.g == want.g && got.b == want.b && got.a == want.a)
            << what << ": " << int(got.r) << " " << int(got.g) << " " << int(got.b) << " " << int(got.a);
    };
    host.set("Blend Mode", 6);  // Replace: the fill colour itself over opaque pixels

    // The focal point at the centre of pixel (3, 4): t = 0 there.
    host.set("Fill Type", 3);
    host.setPoint("Radial Center", 3.5, 4.5);
    host.set("Radial Radius", 6);
    host.set("Focal Offset Distance", 0);
    draw();
    expectColour(3, 4, blue, "radial focal point");
    // A circle of radius 0: the last colour everywhere.
    host.set("Radial Radius", 0);
    draw();
    expectColour(3, 4, yellow, "radius 0 at the centre");
    expectColour(6, 1, yellow, "radius 0 elsewhere");

    // Start and end in one point: the last colour everywhere.
    host.set("Fill Type", 2);
    host.setPoint("Gradient Start", 5.5, 4.5);
    host.setPoint("Gradient End", 5.5, 4.5);
    draw();
    expectColour(5, 4, yellow, "zero-length linear at the point");
    expectColour(0, 0, yellow, "zero-length linear elsewhere");

    // The sweep centre at a pixel centre: t = 0.
    host.set("Fill Type", 4);
    host.setPoint("Sweep Center", 2.5, 2.5);
    draw();
    expectColour(2, 2, blue, "sweep centre");
}

TEST_F(FinalRenderGL, EachContextGetsItsOwnVertexArray) {
    host.set("Fill Type", 2);
    host.setPoint("Gradient Start", 0, 0);
    host.setPoint("Gradient End", 24, 0);
    M::Fill fill;
    fill.type = M::kLinear;
    fill.start = {0, 0};
    fill.end = {24, 0};
    fill.groups = {group(0, 0, 255, 100, 0), group(255, 255, 0, 100, 100)};
    draw();
    expectTargetMatches(fill);

    std::unique_ptr<AEOpenGLContext> other;
    {
        TS::CaptureStdout banner;
        other = std::make_unique<AEOpenGLContext>(&TS::sharedTestContext());
    }
    ASSERT_TRUE(other->isValid());
    ASSERT_TRUE(other->makeContextCurrent());
    unsigned int framebuffer = 0;
    glGenFramebuffers(1, &framebuffer);  // frame buffers are not shared either
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, mTarget, 0);
    glViewport(0, 0, kW, kH);
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT);
    std::size_t made = 0;
    {
        TS::GLCallRecorder calls;
        draw();
        made = calls.count("glGenVertexArrays");
    }
    {
        SCOPED_TRACE("the second context");
        expectTargetMatches(fill);
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDeleteFramebuffers(1, &framebuffer);
    glBindVertexArray(0);
    ASSERT_TRUE(TS::makeTestContextCurrent());
    EXPECT_EQ(made, 1u);
    other.reset();
    bindTarget();
}

}  // namespace
}  // namespace Tavrolin::Fill
