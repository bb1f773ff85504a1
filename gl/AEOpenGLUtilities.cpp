#include "gl/AEOpenGLUtilities.h"

#include "plugin/ScopedSuite.h"
#include "sdk/PFSuites.h"

#include <glbinding/gl/gl.h>

#include <algorithm>
#include <cstring>
#include <vector>

using namespace gl;

namespace Tavrolin::Fill {
namespace AEOpenGLUtilities {

namespace {

struct Format {
    GLenum type;
    unsigned long bytesPerPixel;
    float multiplier;
};

bool describe(int format, Format& out) {
    switch (format) {
    case kFormatARGB:
        out = {GL_UNSIGNED_BYTE, 4, 1.0f};
        return true;
    case kFormatAE16:
        out = {GL_UNSIGNED_SHORT, 8, 65535.0f / 32768.0f};
        return true;
    case kFormatAE32:
        out = {GL_FLOAT, 16, 1.0f};
        return true;
    default:
        return false;
    }
}

// A world that can be read or written whole: pixels, a size, and rows that
// hold a whole number of pixels, at least `width` of them.
bool usable(const PF_LayerDef* world, unsigned long bytesPerPixel) {
    if (world == nullptr || world->data == nullptr || world->width <= 0 || world->height <= 0)
        return false;
    const long long row = static_cast<long long>(world->width) * static_cast<long long>(bytesPerPixel);
    return world->rowbytes >= row && world->rowbytes % static_cast<long long>(bytesPerPixel) == 0;
}

// The first pixel of an 8- or 16-bit world through the host's callbacks.
unsigned char* pixelBase(PF_InData* in_data, PF_LayerDef* world, int format) {
    if (in_data == nullptr || in_data->utils == nullptr)
        throw static_cast<int>(PF_Err_BAD_CALLBACK_PARAM);
    if (format == kFormatARGB) {
        PF_Pixel8* pixels = nullptr;
        if (in_data->utils->get_pixel_data8 != nullptr)
            in_data->utils->get_pixel_data8(world, nullptr, &pixels);
        if (pixels == nullptr)
            throw static_cast<int>(PF_Err_BAD_CALLBACK_PARAM);
        return reinterpret_cast<unsigned char*>(pixels);
    }
    PF_Pixel16* pixels = nullptr;
    if (in_data->utils->get_pixel_data16 != nullptr)
        in_data->utils->get_pixel_data16(world, nullptr, &pixels);
    if (pixels == nullptr)
        throw static_cast<int>(PF_Err_BAD_CALLBACK_PARAM);
    return reinterpret_cast<unsigned char*>(pixels);
}

void iterateFloat(PF_InData* in_data, PF_LayerDef* src, FloatCopy& copy, PF_IteratePixelFloatFunc callback,
                  PF_LayerDef* dst) {
    ScopedSuite<PF_iterateFloatSuite1> suite(in_data, kPFIterateFloatSuite, kPFIterateFloatSuiteVersion1);
    const PF_Err err = suite->iterate(in_data, 0, src->height, src, nullptr, &copy, callback, dst);
    if (err != PF_Err_NONE)
        throw static_cast<int>(err);
}

// The locked read-back handle, unlocked and disposed on every way out.
class LockedHandle {
public:
    LockedHandle(PF_HandleSuite2* suite, A_u_longlong size) : mSuite(suite) {
        mHandle = mSuite->host_new_handle(size);
        if (mHandle == nullptr)
            throw static_cast<int>(PF_Err_OUT_OF_MEMORY);
        mData = mSuite->host_lock_handle(mHandle);
        if (mData == nullptr) {
            mSuite->host_dispose_handle(mHandle);
            throw static_cast<int>(PF_Err_OUT_OF_MEMORY);
        }
    }
    ~LockedHandle() {
        mSuite->host_unlock_handle(mHandle);
        mSuite->host_dispose_handle(mHandle);
    }
    LockedHandle(const LockedHandle&) = delete;
    LockedHandle& operator=(const LockedHandle&) = delete;
    unsigned char* data() const { return static_cast<unsigned char*>(mData); }

private:
    PF_HandleSuite2* mSuite;
    PF_Handle mHandle = nullptr;
    void* mData = nullptr;
};

}  // namespace

unsigned int UploadTexture(int format, PF_LayerDef* src, PF_LayerDef* /*other*/, PF_InData* in_data,
                           unsigned long& bytesPerPixel, GLenum& type, float& multiplier, bool mipmap) {
    Format f{};
    // Refused before anything is made, so nothing is left behind.
    if (!describe(format, f) || !usable(src, f.bytesPerPixel))
        throw static_cast<int>(PF_Err_BAD_CALLBACK_PARAM);

    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER,
                    static_cast<GLint>(mipmap ? GL_LINEAR_MIPMAP_LINEAR : GL_LINEAR));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, static_cast<GLint>(GL_LINEAR));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, static_cast<GLint>(GL_CLAMP_TO_EDGE));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, static_cast<GLint>(GL_CLAMP_TO_EDGE));
    glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(GL_RGBA32F), src->width, src->height, 0, GL_RGBA, GL_FLOAT,
                 nullptr);
    multiplier = 1;
    try {
        type = f.type;
        bytesPerPixel = f.bytesPerPixel;
        multiplier = f.multiplier;
        if (format == kFormatAE32) {
            // Float pixels are reached through the host's iteration only.
            std::vector<PF_PixelFloat> staging(static_cast<size_t>(src->width) * static_cast<size_t>(src->height));
            FloatCopy copy{staging.data(), src, src->width, src->height};
            iterateFloat(in_data, src, copy, CopyPixelFloatIn, src);
            glPixelStorei(GL_UNPACK_ROW_LENGTH, src->width);
            glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, src->width, src->height, GL_RGBA, GL_FLOAT, staging.data());
        } else {
            // Straight from the host's rows: the row length in pixels skips
            // the bytes at the end of each row.
            unsigned char* pixels = pixelBase(in_data, src, format);
            glPixelStorei(GL_UNPACK_ROW_LENGTH, static_cast<GLint>(src->rowbytes / static_cast<A_long>(f.bytesPerPixel)));
            glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, src->width, src->height, GL_RGBA, f.type, pixels);
        }
    } catch (...) {
        glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
        glBindTexture(GL_TEXTURE_2D, 0);
        glDeleteTextures(1, &texture);
        throw;
    }
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glBindTexture(GL_TEXTURE_2D, 0);
    return texture;
}

void DownloadTexture(unsigned int width, unsigned int height, PF_LayerDef* src, PF_LayerDef* dst,
                     PF_InData* in_data, int format, unsigned long bytesPerPixel, GLenum type) {
    Format f{};
    if (!describe(format, f) || f.bytesPerPixel != bytesPerPixel || f.type != type || !usable(dst, f.bytesPerPixel))
        throw static_cast<int>(PF_Err_BAD_CALLBACK_PARAM);
    if (in_data == nullptr)
        throw static_cast<int>(PF_Err_BAD_CALLBACK_PARAM);

    ScopedSuite<PF_HandleSuite2> handles(in_data, kPFHandleSuite, kPFHandleSuiteVersion2);
    // 64-bit size: a 32-bit product could wrap and make the read overrun it.
    const A_u_longlong size = static_cast<A_u_longlong>(width) * height * bytesPerPixel;
    LockedHandle buffer(handles.get(), size);

    glReadBuffer(GL_COLOR_ATTACHMENT0);
    glReadPixels(0, 0, static_cast<GLsizei>(width), static_cast<GLsizei>(height), GL_RGBA, type, buffer.data());

    if (format == kFormatAE32) {
        if (src == nullptr)
            throw static_cast<int>(PF_Err_BAD_CALLBACK_PARAM);
        FloatCopy copy{reinterpret_cast<PF_PixelFloat*>(buffer.data()), src, static_cast<A_long>(width),
                       static_cast<A_long>(height)};
        iterateFloat(in_data, src, copy, CopyPixelFloatOut, dst);
        return;
    }
    unsigned char* base = pixelBase(in_data, dst, format);
    // Only what both have; the bytes after each row's pixels stay as they are.
    const size_t rows = std::min<size_t>(static_cast<size_t>(dst->height), height);
    const size_t rowBytes = std::min<size_t>(static_cast<size_t>(dst->width), width) * bytesPerPixel;
    for (size_t i = 0; i < rows; ++i)
        std::memcpy(base + i * static_cast<size_t>(dst->rowbytes), buffer.data() + i * width * bytesPerPixel,
                    rowBytes);
}

namespace {
PF_PixelFloat* staged(void* refcon, A_long x, A_long y) {
    auto* copy = static_cast<FloatCopy*>(refcon);
    if (copy == nullptr || x < 0 || y < 0 || x >= copy->width || y >= copy->height)
        return nullptr;
    return copy->buffer + static_cast<long long>(y) * copy->width + x;
}
}  // namespace

PF_Err CopyPixelFloatIn(void* refcon, A_long x, A_long y, PF_PixelFloat* in, PF_PixelFloat* /*out*/) {
    PF_PixelFloat* slot = staged(refcon, x, y);
    if (slot != nullptr && in != nullptr)
        std::memcpy(slot, in, sizeof(PF_PixelFloat));
    return PF_Err_NONE;
}

PF_Err CopyPixelFloatOut(void* refcon, A_long x, A_long y, PF_PixelFloat* /*in*/, PF_PixelFloat* out) {
    PF_PixelFloat* slot = staged(refcon, x, y);
    if (slot != nullptr && out != nullptr)
        std::memcpy(out, slot, sizeof(PF_PixelFloat));
    return PF_Err_NONE;
}

std::string CheckFramebufferStatus() {
    switch (glCheckFramebufferStatus(GL_FRAMEBUFFER)) {
    case GL_FRAMEBUFFER_COMPLETE:
        return "OK";
    case GL_FRAMEBUFFER_INCOMPLETE_ATTACHMENT:
        return "Framebuffer incomplete, incomplete attachment!";
    case GL_FRAMEBUFFER_INCOMPLETE_MISSING_ATTACHMENT:
        return "Framebuffer incomplete, missing attachment!";
    case GL_FRAMEBUFFER_INCOMPLETE_DRAW_BUFFER:
        return "Framebuffer incomplete, missing draw buffer!";
    case GL_FRAMEBUFFER_INCOMPLETE_READ_BUFFER:
        return "Framebuffer incomplete, missing read buffer!";
    case GL_FRAMEBUFFER_UNSUPPORTED:
        return "Unsupported framebuffer format!";
    default:
        return "Unknown error!";
    }
}

}  // namespace AEOpenGLUtilities
}  // namespace Tavrolin::Fill
