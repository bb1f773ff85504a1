#pragma once

#include "sdk/PFRecords.h"
#include "sdk/PFTypes.h"

#include <glbinding/gl/types.h>

#include <string>

namespace Tavrolin::Fill {

// Pixel-format codes: how the caller says what a world's pixels are (the four
// bytes read, in memory order, "argb", "ae16", "ae32").
constexpr int kFormatARGB = 0x62677261;  // PF_Pixel8, GL_UNSIGNED_BYTE, 4 bytes
constexpr int kFormatAE16 = 0x36316561;  // PF_Pixel16, GL_UNSIGNED_SHORT, 8 bytes
constexpr int kFormatAE32 = 0x32336561;  // PF_PixelFloat, GL_FLOAT, 16 bytes

// Moving pixels between host worlds and GL. A host pixel's alpha, red, green
// and blue go to a texture's R, G, B and A. Errors are thrown as int host
// codes: 13 missing suite, 4 out of memory, 516 bad format or world, or the
// code the host's iterate returned. Need a context current.
namespace AEOpenGLUtilities {

// A new GL_RGBA32F texture holding `src`; sets the format's bytes per pixel,
// GL type and multiplier. The caller owns the texture. `other` is unused.
// Refuses (516) an unknown format and a world without pixels, of no size or
// with rows shorter than its width.
unsigned int UploadTexture(int format, PF_LayerDef* src, PF_LayerDef* other, PF_InData* in_data,
                           unsigned long& bytesPerPixel, gl::GLenum& type, float& multiplier, bool mipmap);

// Reads width x height pixels from colour attachment 0 of the bound frame
// buffer into `dst`, copying only the rows and columns both have and leaving
// the bytes past each row's pixels untouched. `bytesPerPixel` and `type` must
// be those UploadTexture gave for `format` (516 otherwise).
void DownloadTexture(unsigned int width, unsigned int height, PF_LayerDef* src, PF_LayerDef* dst,
                     PF_InData* in_data, int format, unsigned long bytesPerPixel, gl::GLenum type);

// Pixel callbacks of the float path; refcon is a FloatCopy. Return PF_Err_NONE.
PF_Err CopyPixelFloatIn(void* refcon, A_long x, A_long y, PF_PixelFloat* in, PF_PixelFloat* out);
PF_Err CopyPixelFloatOut(void* refcon, A_long x, A_long y, PF_PixelFloat* in, PF_PixelFloat* out);

// The staging buffer of the float path and its world. The buffer holds
// `height` rows of `width` pixels with no gaps; a callback for a pixel outside
// it (or without a pixel to read or write) touches nothing.
struct FloatCopy {
    PF_PixelFloat* buffer;
    PF_LayerDef* world;
    A_long width;
    A_long height;
};

// Words for glCheckFramebufferStatus(GL_FRAMEBUFFER).
std::string CheckFramebufferStatus();

}  // namespace AEOpenGLUtilities
}  // namespace Tavrolin::Fill
