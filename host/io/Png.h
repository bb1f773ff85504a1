#pragma once

// PNG files in and out. A file holds 8-bit straight RGBA; in memory a picture
// is 8-bit straight alpha-first (alpha, red, green, blue), as the host's
// worlds hold it.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace Tavrolin::Fill {

struct ArgbImage {
    int width = 0;
    int height = 0;
    // Rows of width * 4 bytes, top row first, no padding.
    std::vector<std::uint8_t> pixels;

    ArgbImage() = default;
    ArgbImage(int w, int h) : width(w), height(h), pixels(static_cast<std::size_t>(w) * h * 4, 0) {}
    std::uint8_t* pixel(int x, int y) { return &pixels[(static_cast<std::size_t>(y) * width + x) * 4]; }
    const std::uint8_t* pixel(int x, int y) const { return &pixels[(static_cast<std::size_t>(y) * width + x) * 4]; }
};

// Reads any PNG (palette, grey, 16-bit and interlaced ones included, turned
// into 8-bit RGBA). False with a one-line reason in `error` when the file is
// missing or not a readable PNG, or its size is beyond kMaxPngSide.
bool ReadPng(const std::string& path, ArgbImage& image, std::string& error);

// Writes rows of alpha-first pixels, `rowBytes` apart, as an 8-bit RGBA PNG.
// The file appears complete or not at all: it is written beside `path` under
// a temporary name and renamed over it, so a failure never clobbers an
// existing file. False with a one-line reason in `error`.
bool WritePng(const std::string& path, int width, int height, const std::uint8_t* argb, std::size_t rowBytes,
              std::string& error);
bool WritePng(const std::string& path, const ArgbImage& image, std::string& error);

// The largest side accepted when reading: the largest layer the commands
// take, so that no file can make a reader allocate more than 1 GiB.
constexpr int kMaxPngSide = 16384;

}  // namespace Tavrolin::Fill
