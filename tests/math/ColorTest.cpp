#include "math/Color.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

namespace Tavrolin::Fill {
namespace {

// Single-precision quotients, worked out with Python's struct module:
// float(128) / float(255) = 0.501960813999176, float(8) / float(15) = 0.5333333611488342.
constexpr double k128Over255 = 0.501960813999176;
constexpr double k8Over15 = 0.5333333611488342;

void expectChannels(const Color& c, double r, double g, double b, double a) {
    EXPECT_EQ(c.r(), r);
    EXPECT_EQ(c.g(), g);
    EXPECT_EQ(c.b(), b);
    EXPECT_EQ(c.a(), a);
}

TEST(Color, DefaultIsOpaqueWhite) { expectChannels(Color(), 1, 1, 1, 1); }

TEST(Color, FromHexText) {
    struct Row {
        const char* text;
        double r, g, b, a;
    };
    const std::vector<Row> rows = {
        {"#F00", 1, 0, 0, 1},
        {"#8F00", 1, 0, 0, k8Over15},
        {"#00FF0080", 1, 0, k128Over255, 0},
        {"#0000FF", 0, 0, 1, 1},
        {"#0000ff", 0, 0, 1, 1},
        {"#12345", 1, 1, 1, 1},   // length 5: no layout, white
        {"ABC", 1, 1, 1, 1},      // no "#"
        {"", 1, 1, 1, 1},
        {"x#F00", 1, 1, 1, 1},    // "#" not first
        {"#F0Z", 0, 1, 0, 1},     // digits stop at Z (0xF0); the length 3 still picks the layout
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.text);
        expectChannels(Color(std::string(r.text)), r.r, r.g, r.b, r.a);
    }
}

TEST(Color, HexTextConversionErrorsReachTheCaller) {
    EXPECT_THROW(Color(std::string("#")), std::invalid_argument);
    EXPECT_THROW(Color(std::string("#G12")), std::invalid_argument);
    EXPECT_THROW(Color(std::string("#1FFFFFFFFFFFFFFFF")), std::out_of_range); // 65 bits
}

TEST(Color, FromPackedValue) {
    expectChannels(Color(0x80FF0000u), 1, 0, 0, k128Over255);
    expectChannels(Color(0x00000000u), 0, 0, 0, 0);
    expectChannels(Color(0xFF0000FFu), 0, 0, 1, 1);
}

TEST(Color, Nil) {
    Color c;
    c.setNil();
    EXPECT_TRUE(c.isNil());
    expectChannels(c, -1, -1, -1, -1);
    EXPECT_TRUE(Color(0.5, 0.5, 0.5, -0.001).isNil());
    EXPECT_FALSE(Color(0, 0, 0, 0).isNil());
    // Two nil colours are equal whatever their channels; nil against non-nil compares channels.
    EXPECT_EQ(Color(-1, 0, 0, 0), Color(0, 0, -5, 1));
    EXPECT_NE(Color(-1, 0, 0, 0), Color(0, 0, 0, 0));
}

TEST(Color, EqualityTolerance) {
    struct Row {
        Color a, b;
        bool equal;
    };
    const std::vector<Row> rows = {
        {{0, 0, 0, 0}, {1e-12, 0, 0, 0}, true},
        {{0, 0, 0, 0}, {1e-11, 0, 0, 0}, false},
        {{0, 0, 0, 0}, {0, 0, 0, 2e-12}, false},
        {{0.5, 0.5, 0.5, 0.5}, {0.5, 0.5, 0.5 + 1e-13, 0.5}, true},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(r.a == r.b, r.equal) << r.b.r() << " " << r.b.a();
        EXPECT_EQ(r.a.equal(r.b), r.equal);
        EXPECT_EQ(r.a != r.b, !r.equal);
    }
}

TEST(Color, ArithmeticIncludesAlpha) {
    expectChannels(Color(0.5, 0.25, 1, 1) + Color(0.5, 0.5, 0.5, 0.5), 1, 0.75, 1.5, 1.5);
    const Color d = Color(0.5, 0.5, 0.5, 0.5) - Color(1, 0, 0, 0);
    expectChannels(d, -0.5, 0.5, 0.5, 0.5);
    EXPECT_TRUE(d.isNil());
    expectChannels(Color(0.5, 0.5, 1, 1) * Color(0.5, 0, 0.5, 0.25), 0.25, 0, 0.5, 0.25);
    expectChannels(Color(0.5, 0.25, 1, 1) * 2.0, 1, 0.5, 2, 2);
}

TEST(Color, Lerp) {
    const Color from(0, 0.2, 1, 0);
    const Color to(1, 0.4, 0, 1);
    expectChannels(Color::lerp(from, to, -3), 0, 0.2, 1, 0);
    expectChannels(Color::lerp(from, to, 7), 1, 0.4, 0, 1);
    expectChannels(Color::lerp(Color(0, 0, 0, 0), Color(1, 1, 1, 1), 0.5), 0.5, 0.5, 0.5, 0.5);
    // The weight of `from` at t = 0.1 is float(0.9) = 0.8999999761581421.
    const Color w = Color::lerp(Color(1, 1, 1, 1), Color(0, 0, 0, 0), 0.1);
    expectChannels(w, 0.8999999761581421, 0.8999999761581421, 0.8999999761581421, 0.8999999761581421);
}

TEST(Color, ToHexString) {
    struct Row {
        Color c;
        bool alpha;
        const char* text;
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::vector<Row> rows = {
        {{0, 0, 1, 1}, true, "#FF0000FF"},
        {{1, 0.5, 0, 1}, false, "#FF7F00"},      // 0.5 * 255 = 127.5 truncates to 127
        {{0.02, 0.02, 0.02, 1}, false, "#050505"}, // 5.1 -> 05
        {{0.999, 0, 0, 1}, false, "#FE0000"},
        // Out of range, nil and NaN channels clamp to 00..FF.
        {{-1, -1, -1, -1}, true, "#00000000"},
        {{2, -0.5, nan, 1.5}, true, "#FFFF0000"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.text);
        EXPECT_EQ(r.c.toHexString(r.alpha), r.text);
    }
}

TEST(Color, HexRoundTripLosesOnlyTruncationAndRounding) {
    const Color c(0.2, 0.4, 0.6, 0.8);
    const Color back(c.toHexString(true));
    // 0.2 * 255 = 51, 0.4 * 255 = 102, 0.6 * 255 = 153, 0.8 * 255 = 204 (all exact up to
    // rounding below the integer, so each truncates to that value or one less).
    for (double v : {back.r() - 0.2, back.g() - 0.4, back.b() - 0.6, back.a() - 0.8}) {
        EXPECT_LE(std::fabs(v), 1.0 / 255 + 1e-7);
    }
    EXPECT_EQ(back.toHexString(true).size(), 9u);
}

} // namespace
} // namespace Tavrolin::Fill
