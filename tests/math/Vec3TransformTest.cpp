#include "math/Mat4.h"
#include "math/Quaternion.h"
#include "math/Vec3.h"
#include "tests/math/MathTestUtil.h"

#include <gtest/gtest.h>

#include <cmath>

namespace Tavrolin::Fill {
namespace {

TEST(Vec3Transform, MatrixAsPointTransform) {
    Mat4 t;
    t.setTranslate(1, 2, 3);
    Vec3 v;
    v.applyMatrix4(t);
    EXPECT_EQ(v, Vec3(1, 2, 3));
    Vec3 p;
    p.setFromMatrixPosition(t);
    EXPECT_EQ(p, Vec3(1, 2, 3));
    // Row-major (1..16): row 0 (1, 2, 3, 4) . (1, 1, 1, 1) = 10, row 1 26, row 2 42; no divide by row 3.
    const Mat4 m(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, false);
    Vec3 u(1, 1, 1);
    u.applyMatrix4(m);
    EXPECT_EQ(u, Vec3(10, 26, 42));
    Vec3 c;
    c.setFromMatrixColumn(m, 1);
    EXPECT_EQ(c, Vec3(2, 6, 10));
    c.setFromMatrixColumn(m, 3);
    EXPECT_EQ(c, Vec3(4, 8, 12));
}

TEST(Vec3Transform, Projection) {
    // Row 3 (13, 14, 15, 16) . (1, 1, 1, 1) = 58.
    const Mat4 m(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, false);
    Vec3 u(1, 1, 1);
    u.applyProjection(m);
    expectNear(u, Vec3(10.0 / 58, 26.0 / 58, 42.0 / 58), 1e-16);
    Mat4 zeroW(true);
    zeroW.e[15] = 0;
    Vec3 z;
    z.applyProjection(zeroW);
    EXPECT_TRUE(std::isnan(z.x)); // 0 * infinity
}

TEST(Vec3Transform, Direction) {
    Mat4 m;
    m.setTranslate(5, 5, 5);
    m.scale(3, 3, 3);
    Vec3 d(0, 2, 0);
    d.transformDirection(m); // translation ignored, result normalised
    EXPECT_EQ(d, Vec3(0, 1, 0));
    Vec3 zero(1, 2, 3);
    zero.transformDirection(Mat4(false));
    EXPECT_EQ(zero, Vec3(1, 0, 0));
}

TEST(Vec3Transform, Quaternion) {
    Vec3 v(1, 0, 0);
    v.applyQuaternion(Quaternion(0, 0, std::sin(M_PI / 4), std::cos(M_PI / 4)));
    expectNear(v, Vec3(0, 1, 0), 1e-15);
    // Agrees with the matrix of the same quaternion and with quaternionMulVec3.
    const Quaternion q(Vec3(2, -1, 2) * (1.0 / 3), 0.8);
    Mat4 m;
    m.setWithQuaternion(q);
    Vec3 a(0.3, -2, 5);
    a.applyQuaternion(q);
    expectNear(a, m * Vec3(0.3, -2, 5), 1e-14);
    expectNear(a, Quaternion::quaternionMulVec3(q, Vec3(0.3, -2, 5)), 1e-14);
}

} // namespace
} // namespace Tavrolin::Fill
