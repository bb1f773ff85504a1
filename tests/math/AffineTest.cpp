#include "math/Affine.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace Tavrolin::Fill {
namespace {

void expectMaps(const Affine& m, Vec2 in, Vec2 out, double tolerance = 1e-12) {
    const Vec2 r = m.getTransform(in);
    EXPECT_NEAR(r.x, out.x, tolerance) << "from (" << in.x << ", " << in.y << ")";
    EXPECT_NEAR(r.y, out.y, tolerance) << "from (" << in.x << ", " << in.y << ")";
}

TEST(Affine, ConstructorArgumentOrderAndStorage) {
    const Affine m(1, 2, 3, 4, 5, 6);
    // [[a, c, e], [b, d, f]] = [[1, 3, 5], [2, 4, 6]]: (1, 0) -> (6, 8), (0, 1) -> (8, 10).
    expectMaps(m, Vec2(1, 0), Vec2(6, 8));
    expectMaps(m, Vec2(0, 1), Vec2(8, 10));
    // Storage is row by row: a, c, e, b, d, f.
    const double* raw = &m.a;
    const double stored[] = {1, 3, 5, 2, 4, 6};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(raw[i], stored[i]) << i;
    }
    const Affine z(false);
    EXPECT_EQ(z, Affine(0, 0, 0, 0, 0, 0));
    EXPECT_EQ(Affine(true), Affine(1, 0, 0, 1, 0, 0));
    EXPECT_NE(Affine(true), Affine(1, 0, 0, 1, 2e-12, 0));
    EXPECT_EQ(Affine(true), Affine(1, 0, 0, 1, 1e-12, 0));
}

TEST(Affine, ProductOrder) {
    Affine t;
    t.setTranslate(10, 0);
    Affine s;
    s.setScale(2, 2);
    Affine sm = s;
    sm.multiply(t); // t after s
    expectMaps(sm, Vec2(1, 0), Vec2(12, 0));
    Affine sp = s;
    sp.premultiply(t); // t before s
    expectMaps(sp, Vec2(1, 0), Vec2(22, 0));
}

TEST(Affine, RightMultiplyingModifiersActFirst) {
    struct Row {
        const char* name;
        Affine built;
        Vec2 in, out;
    };
    Affine tr;
    tr.setScale(2, 3);
    tr.translate(1, 1); // translate then scale: (0,0) -> (1,1) -> (2,3)
    Affine sc;
    sc.setTranslate(5, 0);
    sc.scale(2, 3); // (1,1) -> (2,3) -> (7,3)
    Affine ro;
    ro.setTranslate(1, 0);
    ro.rotate(90); // (1,0) -> (0,1) -> (1,1)
    Affine kx;
    kx.setSkewX(45); // x += tan 45 * y
    Affine ky;
    ky.setSkewY(45);
    Affine kx2;
    kx2.setScale(2, 1);
    kx2.skewX(45); // (0,1) -> (1,1) -> (2,1)
    Affine ky2;
    ky2.setScale(1, 2);
    ky2.skewY(45); // (1,0) -> (1,1) -> (1,2)
    Affine rot;
    rot.setRotate(90);
    const std::vector<Row> rows = {
        {"translate", tr, {0, 0}, {2, 3}},
        {"scale", sc, {1, 1}, {7, 3}},
        {"rotate", ro, {1, 0}, {1, 1}},
        {"setSkewX", kx, {0, 2}, {2, 2}},
        {"setSkewY", ky, {2, 0}, {2, 2}},
        {"skewX", kx2, {0, 1}, {2, 1}},
        {"skewY", ky2, {1, 0}, {1, 2}},
        {"setRotate", rot, {1, 0}, {0, 1}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        // tan/cos of 45 and 90 degrees through the fifteen-digit constant: within 1e-13.
        expectMaps(r.built, r.in, r.out, 1e-13);
    }
}

TEST(Affine, LayerTransformPutsAnchorOnPosition) {
    Affine m;
    m.set(Vec2(50, 50), Vec2(100, 100), Vec2(2, 2), 0);
    expectMaps(m, Vec2(50, 50), Vec2(100, 100));
    expectMaps(m, Vec2(60, 50), Vec2(120, 100));
    m.set(Vec2(50, 50), Vec2(100, 100), Vec2(2, 2), 90);
    expectMaps(m, Vec2(50, 50), Vec2(100, 100), 1e-11);
    expectMaps(m, Vec2(60, 50), Vec2(100, 120), 1e-11);
    // Non-uniform scale with a turn: (60, 40) - anchor = (10, -10), scaled (30, -10),
    // turned by 90 degrees (-y, x) = (10, 30), plus position.
    m.set(Vec2(50, 50), Vec2(100, 100), Vec2(3, 1), 90);
    expectMaps(m, Vec2(60, 40), Vec2(110, 130), 1e-11);
}

TEST(Affine, Inverse) {
    Affine tiny;
    tiny.setScale(1e-4, 1e-4); // determinant 1e-8
    Affine out(1, 2, 3, 4, 5, 6);
    EXPECT_FALSE(tiny.inverse(out));
    EXPECT_EQ(out, Affine(1, 2, 3, 4, 5, 6));
    EXPECT_EQ(tiny.getInverse(), Affine(true));

    Affine s;
    s.setScale(2, 4);
    EXPECT_EQ(s.getInverse(), Affine(0.5, 0, 0, 0.25, 0, 0));

    const Affine m(1, 2, 3, 4, 5, 6); // det = 1*4 - 3*2 = -2
    Affine inv(false);
    ASSERT_TRUE(m.inverse(inv));
    for (const Vec2& p : {Vec2(0, 0), Vec2(3, -7), Vec2(0.5, 100)}) {
        expectMaps(inv, m.getTransform(p), p, 1e-12);
    }
    // Inverting in place gives the same result as into another object.
    Affine self = m;
    ASSERT_TRUE(self.inverse(self));
    EXPECT_EQ(self, inv);
}

TEST(Affine, AverageScale) {
    struct Row {
        const char* name;
        Affine m;
        double expected;
    };
    Affine s23, s1, r30, r;
    s23.setScale(2, 3);
    s1.setScale(1, 1.00001);
    r30.setRotate(30);
    r.setScale(1.23456, 1.23456);
    const std::vector<Row> rows = {
        {"mean of 2 and 3", s23, 2.5},
        {"four decimals", s1, 1},
        {"rotation keeps unit lengths", r30, 1},
        // 12345.6 rounds to 12346; float(12346) / float(10000) = 1.2345999479293823 (Python struct).
        {"single-precision quotient", r, 1.2345999479293823},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.m.averageScale(), row.expected);
    }
}

TEST(Affine, PointTransformForms) {
    const Affine m(1, 2, 3, 4, 5, 6);
    Vec2 p(1, 1);
    m.transform(p);
    EXPECT_EQ(p, Vec2(9, 12));
    double x = 1, y = 1;
    m.transform(x, y);
    EXPECT_EQ(x, 9);
    EXPECT_EQ(y, 12);
    double ox = 0, oy = 0;
    m.transform(0, 1, &ox, &oy);
    EXPECT_EQ(ox, 8);
    EXPECT_EQ(oy, 10);
}

} // namespace
} // namespace Tavrolin::Fill
