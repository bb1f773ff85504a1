#include "math/Barycentric.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace Tavrolin::Fill {
namespace {

TEST(Barycentric, WeightsInTheUnitTriangle) {
    const Vec2 a(0, 0), b(1, 0), c(0, 1);
    struct Row {
        Vec2 p;
        double u, v, w;
        bool inside;
    };
    // Weights by hand: p = u a + v b + w c, so v = p.x, w = p.y, u = 1 - p.x - p.y.
    const std::vector<Row> rows = {
        {{0, 0}, 1, 0, 0, true},
        {{1, 0}, 0, 1, 0, true},
        {{0, 1}, 0, 0, 1, true},
        {{0.25, 0.25}, 0.5, 0.25, 0.25, true},
        {{1, 1}, -1, 1, 1, false},
        {{0.5, 0.5}, 0, 0.5, 0.5, true}, // on the edge b-c
        {{-0.1, 0.5}, 0.6, -0.1, 0.5, false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << r.p.x << "," << r.p.y);
        const Barycentric w(a, b, c, r.p);
        EXPECT_NEAR(w.u, r.u, 1e-15);
        EXPECT_NEAR(w.v, r.v, 1e-15);
        EXPECT_NEAR(w.w, r.w, 1e-15);
        EXPECT_EQ(w.isInside(), r.inside);
        EXPECT_EQ(w.interpolate(a, b, c), r.p);
    }
}

TEST(Barycentric, DegenerateTriangle) {
    const Barycentric w(Vec2(0, 0), Vec2(1, 1), Vec2(2, 2), Vec2(0.5, 0.5));
    EXPECT_FALSE(std::isfinite(w.u) && std::isfinite(w.v));
    EXPECT_FALSE(w.isInside());
}

TEST(Barycentric, HigherDimensionsAndColours) {
    // A point above the triangle's plane is projected onto it.
    const Barycentric w3(Vec3(0, 0, 0), Vec3(1, 0, 0), Vec3(0, 1, 0), Vec3(0.25, 0.25, 7));
    EXPECT_NEAR(w3.u, 0.5, 1e-15);
    EXPECT_NEAR(w3.v, 0.25, 1e-15);
    EXPECT_NEAR(w3.w, 0.25, 1e-15);
    const Barycentric w4(Vec4(0, 0, 0, 1), Vec4(1, 0, 0, 1), Vec4(0, 0, 1, 1), Vec4(0.2, 0, 0.3, 1));
    EXPECT_NEAR(w4.u, 0.5, 1e-15);
    EXPECT_NEAR(w4.v, 0.2, 1e-15);
    EXPECT_NEAR(w4.w, 0.3, 1e-15);
    EXPECT_EQ(w4.interpolate(Vec4(0, 0, 0, 1), Vec4(1, 0, 0, 1), Vec4(0, 0, 1, 1)), Vec4(0.2, 0, 0.3, 1));
    EXPECT_EQ(w3.interpolate(Vec3(0, 0, 0), Vec3(4, 0, 0), Vec3(0, 4, 8)), Vec3(1, 1, 2));

    const Color red(1, 0, 0, 1), green(0, 1, 0, 1), blue(0, 0, 1, 1);
    const Barycentric wc(red, green, blue, Color(0.5, 0.25, 0.25, 1));
    EXPECT_NEAR(wc.u, 0.5, 1e-15);
    EXPECT_NEAR(wc.v, 0.25, 1e-15);
    EXPECT_NEAR(wc.w, 0.25, 1e-15);
    const Color mixed = Barycentric(0.5, 0.25, 0.25).interpolate(red, green, blue);
    EXPECT_EQ(mixed, Color(0.5, 0.25, 0.25, 1));
    // No clamping: weights outside [0, 1] can leave the colour range.
    const Color over = Barycentric(2, -1, 0).interpolate(red, green, blue);
    EXPECT_EQ(over.r(), 2);
    EXPECT_EQ(over.g(), -1);
    EXPECT_EQ(over.a(), 1);
}

TEST(CyclicDifference, SingleWrap) {
    struct Row {
        double a, b, period, expected;
    };
    const std::vector<Row> rows = {
        {350, 10, 360, -20},
        {10, 350, 360, 20},
        {180, 0, 360, 180},   // exactly half a period stays
        {0, 180, 360, -180},
        {1000, 0, 360, 640},  // one wrap only
        {-1000, 0, 360, -640},
        {3, 1, 2 * M_PI, 2},
    };
    for (const Row& r : rows) {
        EXPECT_DOUBLE_EQ(cyclicDifference(r.a, r.b, r.period), r.expected) << r.a << " - " << r.b;
    }
}

} // namespace
} // namespace Tavrolin::Fill
