// PNG in and out, checked against files written and read with libpng
// directly, so that the channel order on each side is seen independently.

#include <gtest/gtest.h>
#include <png.h>

#include <cstdio>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "host/io/BuiltInPicture.h"
#include "host/io/Png.h"
#include "support/CliRun.h"
#include "support/TempDir.h"

namespace Tavrolin::Fill {
namespace {

using Test::slurp;

class PngTest : public Test::TempDirTest {
protected:
    PngTest() : TempDirTest("tq-png") {}
};

// Writes a PNG with libpng itself: `bitDepth` 8 or 16, `channels` samples per
// pixel in the file's own order, values given per sample.
void writeRaw(const std::string& file, int width, int height, int colorType, int bitDepth,
              const std::vector<unsigned>& samples) {
    std::FILE* f = std::fopen(file.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_init_io(png, f);
    png_set_IHDR(png, info, width, height, bitDepth, colorType, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    const size_t perRow = samples.size() / height;
    std::vector<unsigned char> row(perRow * (bitDepth / 8));
    for (int y = 0; y < height; ++y) {
        for (size_t i = 0; i < perRow; ++i) {
            const unsigned v = samples[y * perRow + i];
            if (bitDepth == 16) {
                row[2 * i] = static_cast<unsigned char>(v >> 8);
                row[2 * i + 1] = static_cast<unsigned char>(v & 0xFF);
            } else {
                row[i] = static_cast<unsigned char>(v);
            }
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    std::fclose(f);
}

// Reads a PNG with libpng itself into 8-bit RGBA samples.
std::vector<unsigned char> readRawRgba(const std::string& file, int& width, int& height) {
    std::FILE* f = std::fopen(file.c_str(), "rb");
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_init_io(png, f);
    png_read_info(png, info);
    width = png_get_image_width(png, info);
    height = png_get_image_height(png, info);
    EXPECT_EQ(png_get_color_type(png, info), PNG_COLOR_TYPE_RGB_ALPHA);
    EXPECT_EQ(png_get_bit_depth(png, info), 8);
    std::vector<unsigned char> data(static_cast<size_t>(width) * height * 4);
    for (int y = 0; y < height; ++y) png_read_row(png, &data[static_cast<size_t>(y) * width * 4], nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(f);
    return data;
}

TEST_F(PngTest, ReadsRgbaIntoAlphaFirst) {
    // Two pixels: (r 10, g 20, b 30, a 40) and a transparent one that keeps its colour.
    writeRaw(path("in.png"), 2, 1, PNG_COLOR_TYPE_RGB_ALPHA, 8, {10, 20, 30, 40, 200, 100, 50, 0});
    ArgbImage image;
    std::string error;
    ASSERT_TRUE(ReadPng(path("in.png"), image, error)) << error;
    ASSERT_EQ(image.width, 2);
    ASSERT_EQ(image.height, 1);
    EXPECT_EQ(image.pixels, (std::vector<std::uint8_t>{40, 10, 20, 30, 0, 200, 100, 50}));
}

TEST_F(PngTest, OtherLayoutsBecomeEightBitRgba) {
    ArgbImage image;
    std::string error;
    // 16-bit grey: the high byte survives; no alpha in the file means opaque.
    writeRaw(path("grey16.png"), 2, 1, PNG_COLOR_TYPE_GRAY, 16, {0x1234, 0xFF00});
    ASSERT_TRUE(ReadPng(path("grey16.png"), image, error)) << error;
    EXPECT_EQ(image.pixels, (std::vector<std::uint8_t>{255, 0x12, 0x12, 0x12, 255, 0xFF, 0xFF, 0xFF}));
    // 8-bit RGB over two rows keeps the row order.
    writeRaw(path("rgb.png"), 1, 2, PNG_COLOR_TYPE_RGB, 8, {1, 2, 3, 4, 5, 6});
    ASSERT_TRUE(ReadPng(path("rgb.png"), image, error)) << error;
    EXPECT_EQ(image.pixels, (std::vector<std::uint8_t>{255, 1, 2, 3, 255, 4, 5, 6}));
}

TEST_F(PngTest, WritesAlphaFirstAsRgbaSkippingRowPadding) {
    // 2 x 2 pixels in rows of 12 bytes: the last 4 bytes of each row are padding.
    const std::vector<std::uint8_t> argb = {
        255, 1, 2, 3, 128, 4, 5, 6, 99, 99, 99, 99,  //
        0, 7, 8, 9, 64, 10, 11, 12, 99, 99, 99, 99,
    };
    std::string error;
    ASSERT_TRUE(WritePng(path("out.png"), 2, 2, argb.data(), 12, error)) << error;
    int w = 0, h = 0;
    EXPECT_EQ(readRawRgba(path("out.png"), w, h),
              (std::vector<unsigned char>{1, 2, 3, 255, 4, 5, 6, 128, 7, 8, 9, 0, 10, 11, 12, 64}));
    EXPECT_EQ(w, 2);
    EXPECT_EQ(h, 2);
    EXPECT_EQ(files(), std::set<std::string>{"out.png"});  // no temporary file left
}

TEST_F(PngTest, RoundTripKeepsEveryByte) {
    ArgbImage image(7, 3);
    for (size_t i = 0; i < image.pixels.size(); ++i) image.pixels[i] = static_cast<std::uint8_t>(i * 37 + 11);
    std::string error;
    ASSERT_TRUE(WritePng(path("rt.png"), image, error)) << error;
    ArgbImage back;
    ASSERT_TRUE(ReadPng(path("rt.png"), back, error)) << error;
    EXPECT_EQ(back.width, 7);
    EXPECT_EQ(back.height, 3);
    EXPECT_EQ(back.pixels, image.pixels);
}

TEST_F(PngTest, ReadFailuresSayWhy) {
    ArgbImage image(1, 1);
    std::string error;
    EXPECT_FALSE(ReadPng(path("missing.png"), image, error));
    EXPECT_NE(error.find("missing.png"), std::string::npos) << error;

    std::ofstream(path("text.png")) << "not a picture at all";
    error.clear();
    EXPECT_FALSE(ReadPng(path("text.png"), image, error));
    EXPECT_NE(error.find("not a PNG"), std::string::npos) << error;

    // A real signature followed by garbage.
    std::ofstream(path("cut.png"), std::ios::binary) << std::string("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16);
    error.clear();
    EXPECT_FALSE(ReadPng(path("cut.png"), image, error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(image.width, 1);  // untouched on failure
}

// A picture wider than any layer: refused from its header, before anything is
// allocated (a small file may claim a picture of gigabytes).
TEST_F(PngTest, OversizedHeaderIsRefused) {
    std::FILE* f = std::fopen(path("huge.png").c_str(), "wb");
    ASSERT_NE(f, nullptr);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_init_io(png, f);
    png_set_IHDR(png, info, kMaxPngSide + 1, 2, 8, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    std::vector<png_byte> row(static_cast<size_t>(kMaxPngSide + 1) * 4, 0);
    png_write_row(png, row.data());
    png_write_row(png, row.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    std::fclose(f);

    ArgbImage image(1, 1);
    std::string error;
    EXPECT_FALSE(ReadPng(path("huge.png"), image, error));
    EXPECT_NE(error.find("a picture of 16385 x 2 pixels (at most 16384 on a side)"), std::string::npos) << error;
    EXPECT_EQ(image.width, 1);
}

TEST_F(PngTest, FailedWriteLeavesTheOldFile) {
    std::ofstream(path("keep.png")) << "old contents";
    const std::uint8_t pixel[4] = {255, 1, 2, 3};
    std::string error;
    EXPECT_FALSE(WritePng(path("keep.png"), 0, 1, pixel, 4, error));
    EXPECT_FALSE(WritePng(path("keep.png"), 2, 1, pixel, 4, error));  // rows shorter than the width
    EXPECT_EQ(slurp(path("keep.png")), "old contents");
    EXPECT_FALSE(WritePng(dir + "/no/such/folder/x.png", 1, 1, pixel, 4, error));
    EXPECT_NE(error.find("x.png"), std::string::npos) << error;
    EXPECT_EQ(files(), std::set<std::string>{"keep.png"});
}

TEST(BuiltInPicture, HasOpaqueHalfAndFullyTransparentAreas) {
    const ArgbImage picture = BuiltInPicture();
    ASSERT_EQ(picture.width, 320);
    ASSERT_EQ(picture.height, 200);
    int opaque = 0, half = 0, clear = 0, dark = 0, light = 0;
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            const std::uint8_t* p = picture.pixel(x, y);
            if (p[0] == 255) ++opaque;
            if (p[0] == 128) ++half;
            if (p[0] == 0) {
                ++clear;
                EXPECT_TRUE(p[1] == 0 && p[2] == 0 && p[3] == 0) << x << "," << y;
            }
            if (p[0] == 255 && p[1] < 64 && p[2] < 64) ++dark;
            if (p[0] == 255 && (p[1] > 192 || p[2] > 192 || p[3] > 192)) ++light;
        }
    }
    EXPECT_GE(opaque, 160 * 200);
    EXPECT_EQ(half, 80 * 200);
    EXPECT_GE(clear, 80 * 100);
    // Both sides of Overlay's 0.5 switch occur among opaque pixels.
    EXPECT_GT(dark, 100);
    EXPECT_GT(light, 100);
    EXPECT_EQ(picture.pixel(0, 0)[0], 255);
    EXPECT_EQ(picture.pixel(200, 50)[0], 128);
    EXPECT_EQ(picture.pixel(300, 150)[0], 0);
}

}  // namespace
}  // namespace Tavrolin::Fill
