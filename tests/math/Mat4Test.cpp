#include "math/Mat4.h"
#include "math/Quaternion.h"
#include "tests/math/MathTestUtil.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace Tavrolin::Fill {
namespace {

Mat4 counting(bool columnMajor) {
    return Mat4(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, columnMajor);
}

TEST(Mat4, StorageAndConstructionOrders) {
    const Mat4 col = counting(true);
    EXPECT_EQ(col.e[1], 2); // row 1, column 0
    EXPECT_EQ(col.e[4], 5);
    const Mat4 row = counting(false);
    EXPECT_EQ(row.e[1], 5);
    EXPECT_EQ(row.e[4], 2);
    Mat4 s(false);
    s.set(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16);
    EXPECT_EQ(s, row);
    const double values[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    EXPECT_EQ(Mat4(values, true), col);
    EXPECT_EQ(Mat4(values, false), row);
    EXPECT_EQ(row.getRow(0), Vec4(1, 2, 3, 4));
    EXPECT_EQ(row.getColumn(0), Vec4(1, 5, 9, 13));

    const Vec4 a(1, 2, 3, 4), b(5, 6, 7, 8), c(9, 10, 11, 12), d(13, 14, 15, 16);
    // The Vec4 form's flag runs the other way: true means rows.
    EXPECT_EQ(Mat4(a, b, c, d, true).getRow(0), a);
    EXPECT_EQ(Mat4(a, b, c, d, true), row);
    EXPECT_EQ(Mat4(a, b, c, d, false).getColumn(0), a);
    EXPECT_EQ(Mat4(a, b, c, d, false), col);

    Mat4 m(false);
    m.setRow(2, Vec4(1, 2, 3, 4));
    EXPECT_EQ(m.e[2], 1);
    EXPECT_EQ(m.e[14], 4);
    m.setColumn(1, Vec4(5, 6, 7, 8));
    EXPECT_EQ(m.e[4], 5);
    EXPECT_EQ(m.e[7], 8);
    Mat4 z(false);
    for (double v : z.e) {
        EXPECT_EQ(v, 0);
    }
    EXPECT_EQ(Mat4::identity(), Mat4(true));
}

TEST(Mat4, ElementWiseArithmetic) {
    Mat4 i(true);
    i.subtract(Mat4(true));
    EXPECT_EQ(i, Mat4(false));
    const Mat4 start = counting(true);
    Mat4 m = start;
    m.add(counting(false));
    m.subtract(counting(false));
    EXPECT_EQ(m, start);
    Mat4 out(false);
    Mat4::add(start, start, out);
    EXPECT_EQ(out, start * 2.0);
    Mat4::subtract(start, start, out);
    EXPECT_EQ(out, Mat4(false));
    EXPECT_EQ((start + start) - start, start);
    Mat4 near(false);
    near.e[7] = 1e-12;
    EXPECT_EQ(near, Mat4(false));
    near.e[7] = 2e-12;
    EXPECT_NE(near, Mat4(false));
}

TEST(Mat4, ProductOrderAndAliasing) {
    Mat4 t;
    t.setTranslate(10, 0, 0);
    Mat4 s;
    s.setScale(2, 2, 2);
    // t s: scale first, then translate.
    expectNear((t * s) * Vec3(1, 0, 0), Vec3(12, 0, 0), 0);
    expectNear((s * t) * Vec3(1, 0, 0), Vec3(22, 0, 0), 0);
    Mat4 a = t;
    Mat4::mult(a, s, a); // out aliases a
    EXPECT_EQ(a, t * s);
    Mat4 b = s;
    Mat4::mult(t, b, b); // out aliases b
    EXPECT_EQ(b, t * s);
    Mat4 c = t;
    c.mult(s);
    EXPECT_EQ(c, t * s);
    // Hand product of the counting matrices (row-major reading): row 0 of A times column 0.
    const Mat4 p = counting(false) * counting(false);
    EXPECT_EQ(p.getRow(0), Vec4(90, 100, 110, 120));
    EXPECT_EQ(p.getRow(3), Vec4(426, 484, 542, 600));
}

TEST(Mat4, VectorProducts) {
    Mat4 m;
    m.setTranslate(1, 2, 3);
    EXPECT_EQ(m * Vec4(1, 1, 1, 0), Vec4(1, 1, 1, 0));
    EXPECT_EQ(m.mult(Vec4(1, 1, 1, 2)), Vec4(3, 5, 7, 2));
    EXPECT_EQ(m * Vec3(1, 1, 1), Vec3(2, 3, 4));
    EXPECT_EQ(m.mult(Vec3(0, 0, 0)), Vec3(1, 2, 3));
    EXPECT_EQ(m.multWithoutTranslate(Vec3(1, 1, 1)), Vec3(1, 1, 1));
    Mat4 w;
    w.e[15] = 2;
    EXPECT_EQ(w.multAndProject(Vec3(2, 4, 6)), Vec3(1, 2, 3));
    EXPECT_EQ(w * Vec3(2, 4, 6), Vec3(2, 4, 6)); // no divide
}

TEST(Mat4, RotationBuilders) {
    struct Row {
        const char* name;
        Mat4 m;
        Vec3 in, out;
    };
    Mat4 rx, ry, rz, axisZ, axisScaled, zeroAxis;
    rx.setXRotation(M_PI / 2);
    ry.setYRotation(M_PI / 2);
    rz.setZRotation(M_PI / 2);
    axisZ.setRotation(M_PI / 2, Vec3(0, 0, 1));
    axisScaled.setRotation(M_PI / 2, 0, 0, 5); // axis normalised first
    zeroAxis.setRotation(M_PI / 2, Vec3()); // zero axis becomes x
    const std::vector<Row> rows = {
        {"x: y to z", rx, {0, 1, 0}, {0, 0, 1}},
        {"y: z to x", ry, {0, 0, 1}, {1, 0, 0}},
        {"z: x to y", rz, {1, 0, 0}, {0, 1, 0}},
        {"axis z", axisZ, {1, 0, 0}, {0, 1, 0}},
        {"unnormalised axis", axisScaled, {1, 0, 0}, {0, 1, 0}},
        {"zero axis is x", zeroAxis, {0, 1, 0}, {0, 0, 1}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        expectNear(r.m * r.in, r.out, 1e-15);
    }
    // The axis-angle builder about (1, 1, 1) permutes the axes at 120 degrees.
    Mat4 diag;
    diag.setRotation(2 * M_PI / 3, 1, 1, 1);
    expectNear(diag * Vec3(1, 0, 0), Vec3(0, 1, 0), 1e-15);
}

TEST(Mat4, RightMultiplyingModifiers) {
    Mat4 m;
    m.setScale(2, 2, 2);
    m.translate(1, 0, 0); // translate acts first
    expectNear(m * Vec3(0, 0, 0), Vec3(2, 0, 0), 0);
    Mat4 n;
    n.setTranslate(1, 0, 0);
    n.scale(Vec3(2, 3, 4)); // scale acts first
    expectNear(n * Vec3(1, 1, 1), Vec3(3, 3, 4), 0);
    n.translate(Vec4(1, 1, 1, 99)); // w ignored
    expectNear(n * Vec3(0, 0, 0), Vec3(3, 3, 4), 0);
    Mat4 r;
    r.setTranslate(5, 0, 0);
    r.rotateZ(M_PI / 2); // (1,0,0) -> (0,1,0) -> (5,1,0)
    expectNear(r * Vec3(1, 0, 0), Vec3(5, 1, 0), 1e-15);
    Mat4 r2;
    r2.setTranslate(5, 0, 0);
    r2.rotate(M_PI / 2, Vec3(0, 0, 2));
    EXPECT_EQ(r2, r);
    Mat4 r3;
    r3.rotateX(M_PI / 2);
    r3.rotateY(M_PI / 2);
    Mat4 x, y;
    x.setXRotation(M_PI / 2);
    y.setYRotation(M_PI / 2);
    EXPECT_EQ(r3, x * y);
}

TEST(Mat4, Projections) {
    Mat4 o;
    o.setOrtho(0, 100, 0, 50, -1, 1);
    expectNear(o * Vec3(100, 50, 0), Vec3(1, -1, 0), 1e-15);
    expectNear(o * Vec3(0, 0, 0), Vec3(-1, 1, 0), 1e-15);
    Mat4 p;
    p.setPerspective(M_PI / 2, 2, 1, 3);
    // tan(45 deg) = 1: m00 = 1/2, m11 = 1; the near plane maps to z = -1, the far to +1.
    expectNear(p.multAndProject(Vec3(2, 1, -1)), Vec3(1, 1, -1), 1e-15);
    expectNear(p.multAndProject(Vec3(0, 0, -3)), Vec3(0, 0, 1), 1e-15);
    EXPECT_EQ(p.e[15], 0);
    Mat4 f;
    f.setFrustum(-1, 1, -2, 2, 1, 3);
    expectNear(f.multAndProject(Vec3(1, 2, -1)), Vec3(1, 1, -1), 1e-15);
    expectNear(f.multAndProject(Vec3(-3, -6, -3)), Vec3(-1, -1, 1), 1e-15);
}

TEST(Mat4, LookAt) {
    Mat4 m;
    m.setTranslate(4, 5, 6);
    m.setLookAt(Vec3(0, 0, 0), Vec3(0, 0, -1), Vec3(0, 1, 0));
    EXPECT_EQ(m, [] { Mat4 t; t.setTranslate(4, 5, 6); return t; }()); // looking down -z: no turn
    Mat4 side;
    side.setLookAt(0, 0, 0, 1, 0, 0, 0, 1, 0); // looking down +x
    EXPECT_EQ(side.getColumn(2).getVec3(), Vec3(-1, 0, 0)); // z = eye - target
    EXPECT_EQ(side.getColumn(0).getVec3(), Vec3(0, 0, 1));  // up x z
    // Up parallel to the view: the zero cross product normalises to (1, 0, 0), which
    // still completes an orthonormal basis.
    Mat4 up;
    up.setLookAt(Vec3(0, 0, 0), Vec3(0, 1, 0), Vec3(0, 1, 0));
    EXPECT_EQ(up.getColumn(0).getVec3(), Vec3(1, 0, 0));
    EXPECT_EQ(up.getColumn(1).getVec3(), Vec3(0, 0, 1));
    EXPECT_EQ(up.getColumn(2).getVec3(), Vec3(0, -1, 0));
}

TEST(Mat4, InverseAndDeterminant) {
    Mat4 singular = counting(false);
    singular.setRow(2, Vec4(0, 0, 0, 0));
    Mat4 out = counting(true);
    EXPECT_FALSE(singular.getInverse(out));
    EXPECT_EQ(out, Mat4(true));
    EXPECT_EQ(counting(false).determinant(), 0); // rows in arithmetic progression

    Mat4 s;
    s.setScale(2, 4, 8);
    ASSERT_TRUE(s.getInverse(out));
    Mat4 d;
    d.setScale(0.5, 0.25, 0.125);
    EXPECT_EQ(out, d);
    EXPECT_EQ(s.determinant(), 64);

    Mat4 m;
    m.compose(Vec3(1, -2, 3), Quaternion(Vec3(1, 2, 2) * (1.0 / 3), 0.7), Vec3(2, 0.5, 3));
    m.e[3] = 0.1; // not affine either
    Mat4 inv;
    ASSERT_TRUE(m.getInverse(inv));
    expectNear(m * inv, Mat4(true), 1e-14);
    expectNear(inv * m, Mat4(true), 1e-14);
    // det of the composed matrix: 2 * 0.5 * 3 for the affine part, then the 0.1
    // perturbation; checked against the determinant of the inverse instead.
    EXPECT_NEAR(m.determinant() * inv.determinant(), 1, 1e-13);
    Mat4 self = m;
    ASSERT_TRUE(self.getInverse(self)); // out may be this
    EXPECT_EQ(self, inv);
}

TEST(Mat4, TransposeAndScale) {
    Mat4 t = counting(true);
    t.setTranspose();
    EXPECT_EQ(t, counting(false));
    Mat4 out;
    counting(false).transpose(out);
    EXPECT_EQ(out, counting(true));
    Mat4 s;
    s.setScale(1, -3, 2);
    EXPECT_EQ(s.getMaxScaleOnAxis(), 3);
}

TEST(Mat4, AffineBridgeAndHostConversion) {
    const Affine a(1, 2, 3, 4, 5, 6);
    Mat4 m = counting(true);
    m.setWithAffine(a);
    // a c e in row 0, b d f in row 1, the rest identity.
    EXPECT_EQ(m, Mat4(1, 3, 0, 5, 2, 4, 0, 6, 0, 0, 1, 0, 0, 0, 0, 1, false));
    EXPECT_EQ(m.getAffine(), a);
    Mat4 noisy = m;
    noisy.e[2] = 9;
    EXPECT_EQ(noisy.getAffine(), a);

    const Mat4 c = Mat4::getAEToGLConversionMatrix(1920, 1080);
    EXPECT_EQ(c * Vec3(0, 0, 0), Vec3(-960, 540, 0));
    EXPECT_EQ(c * Vec3(1920, 1080, 0), Vec3(960, -540, 0));
    EXPECT_EQ(c * Vec3(0, 0, 5), Vec3(-960, 540, -5));
}

TEST(Mat4, QuaternionMatrixMatchesAxisAngle) {
    const Vec3 axis = Vec3(2, -1, 2) * (1.0 / 3);
    Mat4 fromQ;
    fromQ.setWithQuaternion(Quaternion(axis, 1.1));
    Mat4 fromAxis;
    fromAxis.setRotation(1.1, axis);
    expectNear(fromQ, fromAxis, 1e-15);
    Mat4 id = counting(true);
    id.setWithQuaternion(Quaternion());
    EXPECT_EQ(id, Mat4(true));
}

TEST(Mat4, ComposeDecomposeRoundTrip) {
    const Quaternion q(Vec3(0.6, 0, 0.8), 0.9);
    struct Row {
        const char* name;
        Vec3 position, scale;
        bool pivot;
    };
    const std::vector<Row> rows = {
        {"plain", {1, 2, 3}, {2, 3, 4}, false},
        {"unit scale", {-5, 0, 7}, {1, 1, 1}, false},
        {"pivot", {1, 2, 3}, {2, 0.5, 1}, true},
        {"pivot, unit scale", {10, -2, 0}, {1, 1, 1}, true},
    };
    const Vec3 pivot(4, -3, 2);
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        Mat4 m;
        if (r.pivot) {
            m.compose(pivot, r.position, q, r.scale);
            // The pivot lands on the position.
            expectNear(m * pivot, r.position, 1e-13);
        } else {
            m.compose(r.position, q, r.scale);
        }
        Vec3 p, s;
        Quaternion back(0, 0, 0, 0);
        if (r.pivot) {
            m.decompose(pivot, p, back, s);
        } else {
            m.decompose(p, back, s);
        }
        expectNear(p, r.position, 1e-13);
        expectNear(s, r.scale, 1e-13);
        const double sign = back.w * q.w < 0 ? -1 : 1;
        EXPECT_NEAR(back.x, sign * q.x, 1e-13);
        EXPECT_NEAR(back.y, sign * q.y, 1e-13);
        EXPECT_NEAR(back.z, sign * q.z, 1e-13);
        EXPECT_NEAR(back.w, sign * q.w, 1e-13);
    }
}

TEST(Mat4, ComposeWithPivotMeaning) {
    // v -> position + R (scale * (v - pivot)), worked by hand for a quarter turn about z.
    Mat4 m;
    m.compose(Vec3(1, 1, 1), Vec3(10, 0, 0), Quaternion(Vec3(0, 0, 1), M_PI / 2), Vec3(2, 3, 1));
    // v = (2, 1, 1): v - pivot = (1, 0, 0), scaled (2, 0, 0), turned (0, 2, 0).
    expectNear(m * Vec3(2, 1, 1), Vec3(10, 2, 0), 1e-14);
    // v = (1, 2, 1): (0, 1, 0) -> (0, 3, 0) -> (-3, 0, 0).
    expectNear(m * Vec3(1, 2, 1), Vec3(7, 0, 0), 1e-14);
}

TEST(Mat4, DecomposeMirroredAndFlat) {
    Mat4 mirror;
    mirror.setScale(-2, 3, 4);
    Vec3 p, s;
    Quaternion q;
    mirror.decompose(p, q, s);
    expectNear(s, Vec3(-2, 3, 4), 1e-15);
    EXPECT_NEAR(std::fabs(q.w), 1, 1e-15);

    Mat4 flat;
    flat.setScale(2, 0, 5);
    flat.decompose(p, q, s);
    expectNear(s, Vec3(2, 1e-6, 5), 0);
}

} // namespace
} // namespace Tavrolin::Fill
