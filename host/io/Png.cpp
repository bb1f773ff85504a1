#include "host/io/Png.h"

#include <png.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace Tavrolin::Fill {

namespace {

// libpng reports errors by longjmp; the message is kept here first.
struct PngErrorState {
    char message[256] = {};
};

void onPngError(png_structp png, png_const_charp message) {
    auto* state = static_cast<PngErrorState*>(png_get_error_ptr(png));
    if (state) std::snprintf(state->message, sizeof state->message, "%s", message);
    png_longjmp(png, 1);
}

void onPngWarning(png_structp, png_const_charp) {}

// The parts of reading that may longjmp; no object with a destructor lives
// in this frame. `rows` is filled once the size is known.
bool decode(std::FILE* file, PngErrorState& state, ArgbImage& image, std::vector<png_bytep>& rows,
            const char*& why) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &state, onPngError, onPngWarning);
    if (!png) {
        why = "out of memory";
        return false;
    }
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        why = "out of memory";
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        why = state.message[0] ? state.message : "not a readable PNG file";
        return false;
    }
    png_init_io(png, file);
    png_read_info(png, info);
    const png_uint_32 width = png_get_image_width(png, info);
    const png_uint_32 height = png_get_image_height(png, info);
    // Checked before anything is allocated: a small file may claim a picture
    // of gigabytes.
    if (width == 0 || height == 0 || width > static_cast<png_uint_32>(kMaxPngSide) ||
        height > static_cast<png_uint_32>(kMaxPngSide)) {
        png_destroy_read_struct(&png, &info, nullptr);
        std::snprintf(state.message, sizeof state.message, "a picture of %u x %u pixels (at most %d on a side)",
                      static_cast<unsigned>(width), static_cast<unsigned>(height), kMaxPngSide);
        why = state.message;
        return false;
    }
    // Whatever the file holds becomes 8-bit RGBA.
    const int colorType = png_get_color_type(png, info);
    png_set_expand(png);
    png_set_strip_16(png);
    if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(png);
    if (!(colorType & PNG_COLOR_MASK_ALPHA)) png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);

    image = ArgbImage(static_cast<int>(width), static_cast<int>(height));
    rows.resize(height);
    for (png_uint_32 y = 0; y < height; ++y) rows[y] = image.pixel(0, static_cast<int>(y));
    png_read_image(png, rows.data());
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

bool encode(std::FILE* file, PngErrorState& state, int width, int height, std::vector<png_bytep>& rows,
            const char*& why) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &state, onPngError, onPngWarning);
    if (!png) {
        why = "out of memory";
        return false;
    }
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        why = "out of memory";
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        why = state.message[0] ? state.message : "cannot encode PNG";
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_write_image(png, rows.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace

bool ReadPng(const std::string& path, ArgbImage& image, std::string& error) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        error = "cannot open " + path + ": " + std::strerror(errno);
        return false;
    }
    unsigned char signature[8] = {};
    const bool isPng = std::fread(signature, 1, 8, file) == 8 && png_sig_cmp(signature, 0, 8) == 0;
    if (!isPng) {
        std::fclose(file);
        error = path + " is not a PNG file";
        return false;
    }
    std::rewind(file);
    PngErrorState state;
    ArgbImage decoded;
    std::vector<png_bytep> rows;
    const char* why = nullptr;
    const bool ok = decode(file, state, decoded, rows, why);
    std::fclose(file);
    if (!ok) {
        error = "cannot read " + path + ": " + why;
        return false;
    }
    // RGBA in the file, alpha first in memory.
    for (std::size_t i = 0; i < decoded.pixels.size(); i += 4) {
        std::uint8_t* p = &decoded.pixels[i];
        const std::uint8_t a = p[3];
        p[3] = p[2];
        p[2] = p[1];
        p[1] = p[0];
        p[0] = a;
    }
    image = std::move(decoded);
    return true;
}

bool WritePng(const std::string& path, int width, int height, const std::uint8_t* argb, std::size_t rowBytes,
              std::string& error) {
    if (width <= 0 || height <= 0 || !argb || rowBytes < static_cast<std::size_t>(width) * 4) {
        error = "cannot write " + path + ": no picture to write";
        return false;
    }
    ArgbImage rgba(width, height);
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* src = argb + static_cast<std::size_t>(y) * rowBytes;
        std::uint8_t* dst = rgba.pixel(0, y);
        for (int x = 0; x < width; ++x, src += 4, dst += 4) {
            dst[0] = src[1];
            dst[1] = src[2];
            dst[2] = src[3];
            dst[3] = src[0];
        }
    }
    std::vector<png_bytep> rows(static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y) rows[static_cast<std::size_t>(y)] = rgba.pixel(0, y);

    // A temporary file in the same folder, so that the rename stays on one file system.
    std::string temp = path + ".XXXXXX";
    std::vector<char> name(temp.begin(), temp.end());
    name.push_back('\0');
    const int fd = mkstemp(name.data());
    if (fd < 0) {
        error = "cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    temp = name.data();
    std::FILE* file = fdopen(fd, "wb");
    if (!file) {
        error = "cannot write " + path + ": " + std::strerror(errno);
        close(fd);
        unlink(temp.c_str());
        return false;
    }
    PngErrorState state;
    const char* why = nullptr;
    bool ok = encode(file, state, width, height, rows, why);
    if (std::fflush(file) != 0 && ok) {
        ok = false;
        why = std::strerror(errno);
    }
    if (std::fclose(file) != 0 && ok) {
        ok = false;
        why = std::strerror(errno);
    }
    // mkstemp makes the file private; a picture is an ordinary file.
    const mode_t mask = umask(0);
    umask(mask);
    if (ok && chmod(temp.c_str(), 0666 & ~mask) != 0) {
        ok = false;
        why = std::strerror(errno);
    }
    if (ok && std::rename(temp.c_str(), path.c_str()) != 0) {
        ok = false;
        why = std::strerror(errno);
    }
    if (!ok) {
        unlink(temp.c_str());
        error = std::string("cannot write ") + path + ": " + (why ? why : "unknown error");
        return false;
    }
    return true;
}

bool WritePng(const std::string& path, const ArgbImage& image, std::string& error) {
    return WritePng(path, image.width, image.height, image.pixels.data(), static_cast<std::size_t>(image.width) * 4,
                    error);
}

}  // namespace Tavrolin::Fill
