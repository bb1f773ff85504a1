#include "math/Vec3.h"
#include "math/Vec4.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace Tavrolin::Fill {
namespace {

TEST(Vec3, EqualityToleranceBoundary) {
    EXPECT_EQ(Vec3(0, 0, 0), Vec3(0, 0, 1e-12));
    EXPECT_NE(Vec3(0, 0, 0), Vec3(0, 0, 2e-12));
    EXPECT_NE(Vec3(0, 0, 0), Vec3(2e-12, 0, 0));
    EXPECT_TRUE(Vec3(1, 1, 1).equal(Vec3(1.5, 0.5, 1), 0.5));
    EXPECT_FALSE(Vec3(1, 1, 1).equal(Vec3(1.5, 0.5, 1.6), 0.5));
}

TEST(Vec3, ConstructionAndAccess) {
    EXPECT_EQ(Vec3(2.5), Vec3(2.5, 2.5, 2.5));
    EXPECT_EQ(Vec3(Vec2(1, 2), 3), Vec3(1, 2, 3));
    struct Row {
        int index;
        Vec3 expected;
    };
    for (const Row& r : std::vector<Row>{{0, {7, 0, 0}}, {1, {0, 7, 0}}, {2, {0, 0, 7}}, {5, {0, 0, 7}}, {-1, {0, 0, 7}}}) {
        Vec3 v;
        v.set(r.index, 7.0);
        EXPECT_EQ(v, r.expected) << r.index;
    }
    const double in[] = {0, 1, 2, 3, 4};
    Vec3 a;
    a.fromArray(in, 2);
    EXPECT_EQ(a, Vec3(2, 3, 4));
    double out[5] = {};
    a.toArray(out, 1);
    EXPECT_EQ(out[0], 0);
    EXPECT_EQ(out[1], 2);
    EXPECT_EQ(out[3], 4);
    EXPECT_EQ(a.getVec2(), Vec2(2, 3));
}

TEST(Vec3, LargestAbsComponent) {
    struct Row {
        Vec3 v;
        int index;
    };
    for (const Row& r : std::vector<Row>{{{1, -1, 1}, 2}, {{2, -2, 1}, 1}, {{0, 0, 0}, 2}, {{-3, 2, 1}, 0}, {{1, 3, -2}, 1}}) {
        EXPECT_EQ(r.v.largestAbsComponent(), r.index) << r.v.x << "," << r.v.y << "," << r.v.z;
    }
}

TEST(Vec3, ArithmeticAndProducts) {
    Vec3 v(1, 2, 3);
    v += Vec3(1, 1, 1);
    v *= 2;
    v -= 1;
    v /= Vec3(1, 5, 7);
    EXPECT_EQ(v, Vec3(3, 1, 1));
    EXPECT_EQ(Vec3(1, 0, 0).cross(Vec3(0, 1, 0)), Vec3(0, 0, 1));
    EXPECT_EQ(Vec3(2, 3, 4).cross(Vec3(5, 6, 7)), Vec3(-3, 6, -3));
    EXPECT_EQ(Vec3(1, 2, 3).dot(Vec3(4, 5, 6)), 32);
    EXPECT_EQ(Vec3(2, 3, 6).length(), 7);
    EXPECT_EQ(Vec3(1, 1, 1).distance(Vec3(3, 4, 7)), 7);
    EXPECT_EQ(Vec3(1, 1, 1).distanceSquare(Vec3(3, 4, 7)), 49);
    EXPECT_EQ(Vec3(2, 4, -8).invert(), Vec3(0.5, 0.25, -0.125));
    Vec3 n(0, 1, -2);
    n.setNegate();
    EXPECT_TRUE(std::signbit(n.x));
    EXPECT_EQ(n, Vec3(0, -1, 2));
    EXPECT_EQ(Vec3(1.5, -1.5, 2).floor(), Vec3(1, -2, 2));
    EXPECT_DOUBLE_EQ(Vec3(1, 0, 0).angleBetween(Vec3(0, 0, 5)), M_PI / 2);
    EXPECT_TRUE(std::isnan(Vec3().angleBetween(Vec3(1, 0, 0))));
}

TEST(Vec3, LengthChangesAndBounds) {
    Vec3 z;
    z.normalize();
    EXPECT_EQ(z, Vec3(1, 0, 0));
    Vec3 s;
    s.setLength(4);
    EXPECT_EQ(s, Vec3(4, 0, 0));
    Vec3 t(2, 3, 6);
    t.setLength(14);
    EXPECT_EQ(t, Vec3(4, 6, 12));
    Vec3 c(-1, 5, 12);
    c.clamp(Vec3(0, 0, 0), Vec3(10, 10, 10));
    EXPECT_EQ(c, Vec3(0, 5, 10));
    Vec3 m(1, 5, 3);
    m.getMin(Vec3(2, 4, 3));
    EXPECT_EQ(m, Vec3(1, 4, 3));
    m.getMax(Vec3(0, 9, -1));
    EXPECT_EQ(m, Vec3(1, 9, 3));
    EXPECT_EQ(Vec3::lerp(Vec3(0, 0, 0), Vec3(2, 4, 6), 0.5), Vec3(1, 2, 3));
    EXPECT_EQ(Vec3(350, 10, 0).rotationalDifference(Vec3(10, 350, 0)), Vec3(340, -340, 0));
}

TEST(Vec3, OrthoIsOrthogonalUnitForEveryLargestAxis) {
    // Includes vectors whose largest axis differs from the target's current one.
    const std::vector<Vec3> inputs = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {3, -1, 2}, {0.5, 4, -1}, {1, 1, 1}, {-2, 0, 0}};
    for (const Vec3& v : inputs) {
        for (const Vec3& start : {Vec3(1, 0, 0), Vec3(0, 0, 9), Vec3(0, 5, 0)}) {
            Vec3 o = start;
            o.ortho(v);
            EXPECT_NEAR(o.dot(v), 0, 1e-12) << v.x << "," << v.y << "," << v.z;
            EXPECT_NEAR(o.length(), 1, 1e-12);
        }
    }
    Vec3 o;
    o.ortho(Vec3(1, 0, 0)); // x largest: crossed with z
    EXPECT_EQ(o, Vec3(0, -1, 0));
}

TEST(Vec4, EuclideanEqualityBoundary) {
    EXPECT_NE(Vec4(0, 0, 0, 0), Vec4(1e-12, 0, 0, 0)); // 1e-24 is not below 1e-24
    EXPECT_EQ(Vec4(0, 0, 0, 0), Vec4(9e-13, 0, 0, 0));
    // Per component within 1e-12 but Euclidean sum beyond: not equal.
    EXPECT_NE(Vec4(0, 0, 0, 0), Vec4(9e-13, 9e-13, 0, 0));
    EXPECT_TRUE(Vec4(0, 0, 0, 0).equal(Vec4(0.3, 0, 0.3, 0), 0.5));
    EXPECT_FALSE(Vec4(0, 0, 0, 0).equal(Vec4(0.3, 0.4, 0, 0), 0.5));
}

TEST(Vec4, ConstructionAndArithmetic) {
    const Vec4 a(Vec3(1, 2, 3), 4);
    EXPECT_EQ(a, Vec4(1, 2, 3, 4));
    EXPECT_EQ(a.getVec3(), Vec3(1, 2, 3));
    EXPECT_EQ(a + a, a * 2.0);
    EXPECT_EQ(a - 1, Vec4(0, 1, 2, 3));
    EXPECT_EQ(a / Vec4(1, 2, 3, 4), Vec4(1, 1, 1, 1));
    EXPECT_EQ(a.negate(), Vec4(-1, -2, -3, -4));
    EXPECT_EQ(Vec4(1, 2, 4, 8).invert(), Vec4(1, 0.5, 0.25, 0.125));
    EXPECT_EQ(a.dot(a), 30);
    EXPECT_EQ(Vec4(1, 1, 1, 1).length(), 2);
    EXPECT_EQ(Vec4(1, -2, 3, -4).lengthManhattan(), 10);
    EXPECT_EQ(Vec4(1, 1, 1, 1).distance(Vec4(2, 2, 2, 2)), 2);
    Vec4 z;
    z.normalize();
    EXPECT_EQ(z, Vec4(1, 0, 0, 0));
    Vec4 s;
    s.setLength(3);
    EXPECT_EQ(s, Vec4(3, 0, 0, 0));
    Vec4 l(1, 1, 1, 1);
    l.setLength(4);
    EXPECT_EQ(l, Vec4(2, 2, 2, 2));
}

TEST(Vec4, SphericalLerp) {
    struct Row {
        const char* name;
        Vec4 a, b;
        double t;
        Vec4 expected;
        double tolerance;
    };
    const double h = std::sqrt(0.5);
    // (0.99999988, -0.0005): linear weights 0.5 on a and on -b give (1, -0.0005),
    // normalised by hand: 1 / sqrt(1 + 2.5e-7) = 0.999999875.
    const std::vector<Row> rows = {
        {"quarter turn at half", {1, 0, 0, 0}, {0, 1, 0, 0}, 0.5, {h, h, 0, 0}, 1e-7},
        {"same direction, unit result", {2, 0, 0, 0}, {4, 0, 0, 0}, 0.5, {1, 0, 0, 0}, 1e-15},
        {"t = 0 returns a unchanged", {2, 0, 0, 0}, {4, 0, 0, 0}, 0, {2, 0, 0, 0}, 0},
        {"t = 1 returns b unchanged", {1, 0, 0, 0}, {-1, 0.001, 0, 0}, 1, {-1, 0.001, 0, 0}, 0},
        {"shorter arc, linear weights", {1, 0, 0, 0}, {-1, 0.001, 0, 0}, 0.5, {0.999999875, -0.0005, 0, 0}, 1e-9},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        const Vec4 v = Vec4::lerp(r.a, r.b, r.t);
        EXPECT_NEAR(v.x, r.expected.x, r.tolerance);
        EXPECT_NEAR(v.y, r.expected.y, r.tolerance);
        EXPECT_NEAR(v.z, r.expected.z, r.tolerance);
        EXPECT_NEAR(v.w, r.expected.w, r.tolerance);
    }
    // A quarter of the way round a quarter turn is (cos 22.5 deg, sin 22.5 deg) to float accuracy.
    const Vec4 q = Vec4::lerp(Vec4(1, 0, 0, 0), Vec4(0, 1, 0, 0), 0.25);
    EXPECT_NEAR(q.x, std::cos(M_PI / 8), 1e-7);
    EXPECT_NEAR(q.y, std::sin(M_PI / 8), 1e-7);
    EXPECT_NEAR(q.length(), 1, 1e-15);
}

} // namespace
} // namespace Tavrolin::Fill
