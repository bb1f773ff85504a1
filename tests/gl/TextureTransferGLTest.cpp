// Pixels between host worlds and GL, through the headless host's real suites
// and callbacks: what lands in the texture, what comes back into a world, and
// that nothing is left behind when a transfer is refused.

#include "gl/AEOpenGLUtilities.h"

#include "host/lib/HeadlessHost.h"
#include "host/lib/World.h"

#include "support/GLCallRecorder.h"
#include "support/GLTestContext.h"

#include <glbinding/gl/gl.h>

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <vector>

using namespace gl;

namespace Tavrolin::Fill {
namespace {

using namespace AEOpenGLUtilities;
using Test::GLCallRecorder;
using Texel = std::array<float, 4>;

std::vector<Texel> readTexture(GLuint texture, int w, int h) {
    std::vector<Texel> all(static_cast<size_t>(w * h), Texel{-1, -1, -1, -1});
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_FLOAT, all.data());
    glBindTexture(GL_TEXTURE_2D, 0);
    return all;
}

void expectTexel(const Texel& got, const Texel& want, float tolerance = 1e-6f) {
    for (int k = 0; k < 4; ++k)
        EXPECT_NEAR(got[k], want[k], tolerance) << "component " << k;
}

// A frame buffer whose colour attachment 0 holds the given pixels (row 0
// first), as the screen renderbuffer would at read-back.
struct Source {
    GLuint texture = 0, framebuffer = 0;
    Source(int w, int h, GLenum internal, GLenum type, const void* pixels) {
        glGenTextures(1, &texture);
        glBindTexture(GL_TEXTURE_2D, texture);
        glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(internal), w, h, 0, GL_RGBA, type, pixels);
        glBindTexture(GL_TEXTURE_2D, 0);
        glGenFramebuffers(1, &framebuffer);
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, 0);
    }
    ~Source() {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glDeleteFramebuffers(1, &framebuffer);
        glDeleteTextures(1, &texture);
    }
};

class TextureTransferTest : public Test::GLTest {
protected:
    void TearDown() override {
        EXPECT_EQ(host.outstandingSuites(), 0);
        EXPECT_EQ(host.liveHandles(), 0);
        Fill::Test::GLTest::TearDown();
    }
    unsigned int upload(int format, World& world) {
        return UploadTexture(format, world.def(), nullptr, host.inData(), bytesPerPixel, type, multiplier, false);
    }
    HeadlessHost host;
    unsigned long bytesPerPixel = 0;
    GLenum type = GL_NONE;
    float multiplier = 0;
};

TEST_F(TextureTransferTest, An8BitWorldWithPaddedRowsUploadsItsPixelsInHostOrder) {
    World world(3, 2, 3 * 4 + 8);  // 8 bytes of padding (0xA5) after each row
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            world.at(x, y) = PF_Pixel8{static_cast<A_u_char>(10 + x), static_cast<A_u_char>(20 + y),
                                       static_cast<A_u_char>(30 + x + y), static_cast<A_u_char>(40)};
    world.at(2, 1) = PF_Pixel8{255, 255, 0, 0};  // opaque red
    const GLuint texture = upload(kFormatARGB, world);
    ASSERT_NE(texture, 0u);
    EXPECT_EQ(bytesPerPixel, 4u);
    EXPECT_EQ(type, GL_UNSIGNED_BYTE);
    EXPECT_EQ(multiplier, 1.0f);
    const std::vector<Texel> texels = readTexture(texture, 3, 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) {
            SCOPED_TRACE("pixel " + std::to_string(x) + "," + std::to_string(y));
            if (x == 2 && y == 1)
                expectTexel(texels[5], {1, 1, 0, 0});
            else
                expectTexel(texels[static_cast<size_t>(y * 3 + x)],
                            {(10 + x) / 255.0f, (20 + y) / 255.0f, (30 + x + y) / 255.0f, 40 / 255.0f});
        }
    glBindTexture(GL_TEXTURE_2D, texture);
    GLint format = 0, rowLength = -1, bound = -1;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &format);
    glBindTexture(GL_TEXTURE_2D, 0);
    EXPECT_EQ(format, static_cast<GLint>(GL_RGBA32F));
    glGetIntegerv(GL_UNPACK_ROW_LENGTH, &rowLength);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(rowLength, 0);
    EXPECT_EQ(bound, 0);
    glDeleteTextures(1, &texture);
}

TEST_F(TextureTransferTest, A16BitWorldUploadsNormalisedWithItsMultiplier) {
    World world(2, 2, 2 * 8 + 16, World::k16);
    world.at16(0, 0) = PF_Pixel16{32768, 16384, 0, 8192};
    world.at16(1, 1) = PF_Pixel16{1, 2, 3, 32768};
    const GLuint texture = upload(kFormatAE16, world);
    EXPECT_EQ(bytesPerPixel, 8u);
    EXPECT_EQ(type, GL_UNSIGNED_SHORT);
    std::uint32_t bits = 0;
    std::memcpy(&bits, &multiplier, sizeof bits);
    EXPECT_EQ(bits, 0x3FFFFF00u);  // 65535 / 32768 as a float
    const std::vector<Texel> texels = readTexture(texture, 2, 2);
    expectTexel(texels[0], {32768 / 65535.0f, 16384 / 65535.0f, 0, 8192 / 65535.0f});
    expectTexel(texels[3], {1 / 65535.0f, 2 / 65535.0f, 3 / 65535.0f, 32768 / 65535.0f});
    expectTexel(texels[1], {0, 0, 0, 0});
    glDeleteTextures(1, &texture);
}

TEST_F(TextureTransferTest, AFloatWorldUploadsThroughTheHostsIteration) {
    World world(3, 2, 3 * 16 + 32, World::k32);
    world.atFloat(0, 0) = PF_PixelFloat{0.5f, -0.25f, 2.0f, 1.0f};
    world.atFloat(2, 1) = PF_PixelFloat{1.0f, 0.125f, 0.0f, 0.75f};
    const GLuint texture = upload(kFormatAE32, world);
    EXPECT_EQ(bytesPerPixel, 16u);
    EXPECT_EQ(type, GL_FLOAT);
    EXPECT_EQ(multiplier, 1.0f);
    const std::vector<Texel> texels = readTexture(texture, 3, 2);
    expectTexel(texels[0], {0.5f, -0.25f, 2.0f, 1.0f}, 0);
    expectTexel(texels[5], {1.0f, 0.125f, 0.0f, 0.75f}, 0);
    expectTexel(texels[1], {0, 0, 0, 0}, 0);
    glDeleteTextures(1, &texture);
}

// Every refusal raises its code and leaves no texture, handle or suite behind.
struct Refusal {
    const char* name;
    int format;
    int width, height, rowbytes;
    bool noPixels;
    int code;
};

TEST_F(TextureTransferTest, UploadRefusesWhatItCannotReadWithoutLeaving) {
    const Refusal cases[] = {
        {"unknown format", 0x12345678, 2, 2, 0, false, 516},
        {"no pixels", kFormatARGB, 2, 2, 0, true, 516},
        {"no width", kFormatARGB, 0, 2, 8, false, 516},
        {"negative height", kFormatARGB, 2, -1, 8, false, 516},
        {"rows shorter than the width", kFormatARGB, 4, 2, 12, false, 516},
        {"rows not whole pixels", kFormatARGB, 2, 2, 10, false, 516},
        {"16-bit rows shorter than the width", kFormatAE16, 2, 2, 12, false, 516},
    };
    for (const Refusal& row : cases) {
        SCOPED_TRACE(row.name);
        World world(4, 2, 0, row.format == kFormatAE16 ? World::k16 : World::k8);
        PF_LayerDef def = *world.def();
        def.width = row.width;
        def.height = row.height;
        if (row.rowbytes > 0)
            def.rowbytes = row.rowbytes;
        if (row.noPixels)
            def.data = nullptr;
        GLCallRecorder recorder;
        int raised = 0;
        try {
            UploadTexture(row.format, &def, nullptr, host.inData(), bytesPerPixel, type, multiplier, false);
        } catch (int code) {
            raised = code;
        }
        EXPECT_EQ(raised, row.code);
        EXPECT_EQ(recorder.count("glGenTextures"), recorder.count("glDeleteTextures"));
    }
}

TEST_F(TextureTransferTest, AFailedFloatIterationRaisesItsCodeAndDeletesTheTexture) {
    World world(2, 2, 0, World::k32);
    host.faults().iterateError = PF_Err_OUT_OF_MEMORY;
    GLCallRecorder recorder;
    int raised = 0;
    try {
        upload(kFormatAE32, world);
    } catch (int code) {
        raised = code;
    }
    EXPECT_EQ(raised, PF_Err_OUT_OF_MEMORY);
    EXPECT_EQ(recorder.count("glGenTextures"), 1u);
    EXPECT_EQ(recorder.count("glDeleteTextures"), 1u);
    GLint rowLength = -1;
    glGetIntegerv(GL_UNPACK_ROW_LENGTH, &rowLength);
    EXPECT_EQ(rowLength, 0);

    host.faults().iterateError = PF_Err_NONE;
    host.faults().missingSuites.insert(kPFIterateFloatSuite);
    raised = 0;
    try {
        upload(kFormatAE32, world);
    } catch (int code) {
        raised = code;
    }
    EXPECT_EQ(raised, A_Err_MISSING_SUITE);
    EXPECT_EQ(recorder.count("glGenTextures"), recorder.count("glDeleteTextures"));
}

TEST_F(TextureTransferTest, DownloadFillsEachRowsPixelsAndLeavesThePaddingAlone) {
    // 3 x 2 pixels in the frame buffer, read into a world with padded rows.
    const unsigned char pixels[24] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12,
                                      13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24};
    Source source(3, 2, GL_RGBA8, GL_UNSIGNED_BYTE, pixels);
    World input(3, 2);
    World output(3, 2, 3 * 4 + 5 * 4);
    GLCallRecorder recorder;
    DownloadTexture(3, 2, input.def(), output.def(), host.inData(), kFormatARGB, 4, GL_UNSIGNED_BYTE);
    EXPECT_EQ(recorder.count("glReadPixels"), 1u);
    EXPECT_TRUE(output.paddingIntact());
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) {
            const unsigned char* want = &pixels[(y * 3 + x) * 4];
            const PF_Pixel8& got = output.at(x, y);
            EXPECT_EQ(std::vector<int>({got.alpha, got.red, got.green, got.blue}),
                      std::vector<int>(want, want + 4))
                << x << "," << y;
        }
}

TEST_F(TextureTransferTest, DownloadCopiesOnlyWhatTheReadBackAndTheWorldBothHave) {
    std::vector<unsigned char> pixels(4 * 3 * 4);
    for (size_t k = 0; k < pixels.size(); ++k)
        pixels[k] = static_cast<unsigned char>(k + 1);
    Source source(4, 3, GL_RGBA8, GL_UNSIGNED_BYTE, pixels.data());
    World input(4, 3);
    // A world smaller than the read-back takes its part of it.
    World small(2, 2, 2 * 4 + 4);
    DownloadTexture(4, 3, input.def(), small.def(), host.inData(), kFormatARGB, 4, GL_UNSIGNED_BYTE);
    EXPECT_TRUE(small.paddingIntact());
    EXPECT_EQ(small.at(1, 1).alpha, pixels[(1 * 4 + 1) * 4]);
    // A world larger than the read-back keeps what lies beyond it.
    World large(6, 5, 0);
    large.fill(PF_Pixel8{9, 9, 9, 9});
    DownloadTexture(4, 3, input.def(), large.def(), host.inData(), kFormatARGB, 4, GL_UNSIGNED_BYTE);
    EXPECT_EQ(large.at(3, 2).blue, pixels[(2 * 4 + 3) * 4 + 3]);
    EXPECT_EQ(large.at(4, 0).alpha, 9);
    EXPECT_EQ(large.at(0, 3).alpha, 9);
    EXPECT_EQ(large.at(5, 4).alpha, 9);
}

TEST_F(TextureTransferTest, A16BitDownloadCopiesWholePixels) {
    const unsigned short pixels[8] = {32768, 1, 2, 3, 100, 200, 300, 32768};
    Source source(2, 1, GL_RGBA16, GL_UNSIGNED_SHORT, pixels);
    World input(2, 1, 0, World::k16);
    World output(2, 1, 2 * 8 + 8, World::k16);
    DownloadTexture(2, 1, input.def(), output.def(), host.inData(), kFormatAE16, 8, GL_UNSIGNED_SHORT);
    EXPECT_TRUE(output.paddingIntact());
    EXPECT_EQ(output.at16(0, 0).alpha, 32768);
    EXPECT_EQ(output.at16(0, 0).blue, 3);
    EXPECT_EQ(output.at16(1, 0).red, 200);
    EXPECT_EQ(output.at16(1, 0).blue, 32768);
}

TEST_F(TextureTransferTest, AFloatDownloadGoesThroughTheHostsIteration) {
    const float pixels[8] = {0.5f, -1.0f, 2.0f, 0.25f, 1.0f, 0.0f, 0.125f, 3.0f};
    Source source(2, 1, GL_RGBA32F, GL_FLOAT, pixels);
    World input(2, 1, 0, World::k32);
    World output(2, 1, 2 * 16 + 16, World::k32);
    DownloadTexture(2, 1, input.def(), output.def(), host.inData(), kFormatAE32, 16, GL_FLOAT);
    EXPECT_TRUE(output.paddingIntact());
    const PF_PixelFloat a = output.atFloat(0, 0), b = output.atFloat(1, 0);
    EXPECT_EQ(std::vector<float>({a.alpha, a.red, a.green, a.blue}), std::vector<float>(pixels, pixels + 4));
    EXPECT_EQ(std::vector<float>({b.alpha, b.red, b.green, b.blue}), std::vector<float>(pixels + 4, pixels + 8));
}

TEST_F(TextureTransferTest, DownloadRefusalsAndFailuresLeaveNoHandleOrSuite) {
    const unsigned char pixels[4] = {1, 2, 3, 4};
    Source source(1, 1, GL_RGBA8, GL_UNSIGNED_BYTE, pixels);
    World input(1, 1), output(1, 1);
    auto codeOf = [&](int format, unsigned long bpp, GLenum glType) {
        try {
            DownloadTexture(1, 1, input.def(), output.def(), host.inData(), format, bpp, glType);
        } catch (int code) {
            return code;
        }
        return 0;
    };
    EXPECT_EQ(codeOf(0x12345678, 4, GL_UNSIGNED_BYTE), 516);
    // Sizes that do not belong to the format would overrun the read-back.
    EXPECT_EQ(codeOf(kFormatAE32, 4, GL_FLOAT), 516);
    EXPECT_EQ(codeOf(kFormatARGB, 4, GL_FLOAT), 516);
    host.failHandleAllocationAt(1);
    EXPECT_EQ(codeOf(kFormatARGB, 4, GL_UNSIGNED_BYTE), PF_Err_OUT_OF_MEMORY);
    host.faults().missingSuites.insert(kPFHandleSuite);
    EXPECT_EQ(codeOf(kFormatARGB, 4, GL_UNSIGNED_BYTE), A_Err_MISSING_SUITE);
    host.faults().missingSuites.clear();
    host.faults().iterateError = PF_Err_UNRECOGNIZED_PARAM_TYPE;
    World floats(1, 1, 0, World::k32);
    try {
        DownloadTexture(1, 1, floats.def(), floats.def(), host.inData(), kFormatAE32, 16, GL_FLOAT);
        ADD_FAILURE() << "no error raised";
    } catch (int code) {
        EXPECT_EQ(code, PF_Err_UNRECOGNIZED_PARAM_TYPE);
    }
    // TearDown checks that no handle and no suite is left.
}

TEST_F(TextureTransferTest, FramebufferStatusInWords) {
    GLuint framebuffer = 0, renderbuffer = 0;
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    EXPECT_EQ(CheckFramebufferStatus(), "Framebuffer incomplete, missing attachment!");
    glGenRenderbuffers(1, &renderbuffer);
    glBindRenderbuffer(GL_RENDERBUFFER, renderbuffer);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, renderbuffer);
    EXPECT_EQ(CheckFramebufferStatus(), "Framebuffer incomplete, incomplete attachment!");  // no storage
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, 2, 2);
    EXPECT_EQ(CheckFramebufferStatus(), "OK");
    glBindFramebuffer(GL_FRAMEBUFFER, 0);  // a context without a surface has no default frame buffer
    EXPECT_EQ(CheckFramebufferStatus(), "Unknown error!");
    glDeleteFramebuffers(1, &framebuffer);
    glDeleteRenderbuffers(1, &renderbuffer);
}

TEST(FloatPixelCallbacks, TouchOnlyPixelsInsideTheStagingBuffer) {
    PF_PixelFloat buffer[6] = {};
    World world(3, 2, 0, World::k32);
    FloatCopy copy{buffer, world.def(), 3, 2};
    PF_PixelFloat in{1, 2, 3, 4}, out{9, 9, 9, 9};
    EXPECT_EQ(CopyPixelFloatIn(&copy, 2, 1, &in, &out), PF_Err_NONE);
    EXPECT_EQ(buffer[5].alpha, 1);
    EXPECT_EQ(buffer[5].blue, 4);
    EXPECT_EQ(out.alpha, 9);  // the destination pixel is left alone
    EXPECT_EQ(CopyPixelFloatIn(&copy, 3, 0, &in, &out), PF_Err_NONE);
    EXPECT_EQ(CopyPixelFloatIn(&copy, 0, 2, &in, &out), PF_Err_NONE);
    EXPECT_EQ(buffer[3].alpha, 0);
    EXPECT_EQ(CopyPixelFloatOut(&copy, 2, 1, nullptr, &out), PF_Err_NONE);
    EXPECT_EQ(out.green, 3);
    PF_PixelFloat untouched{7, 7, 7, 7};
    EXPECT_EQ(CopyPixelFloatOut(&copy, 5, 5, nullptr, &untouched), PF_Err_NONE);
    EXPECT_EQ(untouched.alpha, 7);
}

}  // namespace
}  // namespace Tavrolin::Fill
