#include "math/Euler.h"
#include "math/Mat4.h"
#include "math/Quaternion.h"
#include "tests/math/MathTestUtil.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

namespace Tavrolin::Fill {
namespace {

Mat4 rotationOf(const Quaternion& q) {
    Mat4 m;
    m.setWithQuaternion(q);
    return m;
}

// The matrix an order stands for, built from the single-axis matrices.
Mat4 orderMatrix(Euler::RotationOrder order, double x, double y, double z) {
    Mat4 rx, ry, rz;
    rx.setXRotation(x);
    ry.setYRotation(y);
    rz.setZRotation(z);
    switch (order) {
    case Euler::XYZ: return rx * ry * rz;
    case Euler::YZX: return ry * rz * rx;
    case Euler::ZXY: return rz * rx * ry;
    case Euler::XZY: return rx * rz * ry;
    case Euler::YXZ: return ry * rx * rz;
    case Euler::ZYX: return rz * ry * rx;
    default: return Mat4(false);
    }
}

struct OrderRow {
    const char* name;
    Euler::RotationOrder order;
    int middle;    // 0 x, 1 y, 2 z: the angle taken with asin
    int zeroed;    // the angle the gimbal-lock case sets to 0
};

const std::vector<OrderRow> kOrders = {
    {"XYZ", Euler::XYZ, 1, 2}, {"YZX", Euler::YZX, 2, 0}, {"ZXY", Euler::ZXY, 0, 1},
    {"XZY", Euler::XZY, 2, 1}, {"YXZ", Euler::YXZ, 0, 2}, {"ZYX", Euler::ZYX, 1, 0},
};

double angle(const Euler& e, int i) { return i == 0 ? e.x : (i == 1 ? e.y : e.z); }

TEST(Quaternion, Construction) {
    const Quaternion a(1, 2, 3);
    EXPECT_EQ(a, Quaternion(1, 2, 3, 1));
    Quaternion b(0, 0, 0, 5);
    b.set(1, 2, 3);
    EXPECT_EQ(b, Quaternion(1, 2, 3, 5));
    EXPECT_EQ(Quaternion(), Quaternion(0, 0, 0, 1));
    // The constructor keeps the axis as given; set() normalises it.
    EXPECT_EQ(Quaternion(Vec3(0, 0, 2), M_PI), Quaternion(0, 0, 2, std::cos(M_PI / 2)));
    Quaternion c;
    c.set(Vec3(0, 0, 2), M_PI);
    EXPECT_EQ(c, Quaternion(0, 0, 1, std::cos(M_PI / 2)));
    Quaternion zero;
    zero.set(Vec3(), M_PI);
    EXPECT_EQ(zero, Quaternion(1, 0, 0, std::cos(M_PI / 2)));
    EXPECT_FALSE(Quaternion(0, 0, 0, 1) == Quaternion(1e-15, 0, 0, 1));
    EXPECT_TRUE(Quaternion(0, 0, 0, 1) != Quaternion(1e-15, 0, 0, 1));
    const double in[] = {9, 1, 2, 3, 4};
    Quaternion d;
    d.setWithArray(in, 1);
    EXPECT_EQ(d, Quaternion(1, 2, 3, 4));
    double out[5] = {};
    d.toArray(out, 1);
    EXPECT_EQ(out[4], 4);
    EXPECT_EQ(out[1], 1);
}

TEST(Quaternion, LengthsInverseAndAxisAngle) {
    Quaternion n(0, 0, 3, 4);
    n.normalize();
    expectNear(n, Quaternion(0, 0, 0.6, 0.8), 1e-15);
    Quaternion z(0, 0, 0, 0);
    z.normalize();
    EXPECT_EQ(z, Quaternion());
    Quaternion c(1, -2, 3, 4);
    c.conjugate();
    EXPECT_EQ(c, Quaternion(-1, 2, -3, 4));
    Quaternion i(0, 0, 3, 4);
    i.setInverse();
    expectNear(i, Quaternion(0, 0, -0.6, 0.8), 1e-15);
    EXPECT_TRUE(std::signbit(i.x));
    EXPECT_EQ(Quaternion(1, 2, 2, 4).length(), 5);
    EXPECT_EQ(Quaternion(1, 2, 2, 4).lengthSq(), 25);
    EXPECT_EQ(Quaternion(1, 2, 3, 4).dot(Quaternion(1, 1, 1, 1)), 10);

    EXPECT_EQ(Quaternion().getRotationAxis(), Vec3(0, 0, 1));
    const Quaternion q45(0, 0, std::sin(M_PI / 4), std::cos(M_PI / 4));
    EXPECT_NEAR(q45.getRotationAngle(), 90, 1e-12);
    EXPECT_EQ(q45.getRotationAxis(), Vec3(0, 0, 1));
    EXPECT_TRUE(std::isnan(Quaternion(0, 0, 0, 2).getRotationAngle()));
}

TEST(Quaternion, FromDirections) {
    struct Row {
        const char* name;
        Vec3 from, to;
        Quaternion expected;
    };
    const double h = std::sqrt(0.5);
    const std::vector<Row> rows = {
        {"opposite along x", {1, 0, 0}, {-1, 0, 0}, {0, 1, 0, 0}},
        {"opposite along z", {0, 0, 1}, {0, 0, -1}, {0, -1, 0, 0}},
        {"same direction", {0, 1, 0}, {0, 1, 0}, {0, 0, 0, 1}},
        // cross = (0, 0, 1), r = 1: normalised (0, 0, h, h), a quarter turn about z.
        {"quarter turn", {1, 0, 0}, {0, 1, 0}, {0, 0, h, h}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        expectNear(Quaternion(r.from, r.to), r.expected, 1e-15);
        Quaternion q;
        q.setWithDirection(r.from, r.to);
        Vec3 v = r.from;
        v.applyQuaternion(q);
        EXPECT_NEAR(v.x, r.to.x, 1e-15);
        EXPECT_NEAR(v.y, r.to.y, 1e-15);
        EXPECT_NEAR(v.z, r.to.z, 1e-15);
    }
}

TEST(Quaternion, HamiltonProductOrder) {
    const Quaternion rx(Vec3(1, 0, 0), M_PI / 2);
    const Quaternion rz(Vec3(0, 0, 1), M_PI / 2);
    Quaternion ab;
    ab.multiplyQuaternions(rx, rz); // rz first, then rx
    // (1, 0, 0) -> rz -> (0, 1, 0) -> rx -> (0, 0, 1).
    const Vec3 v = Quaternion::quaternionMulVec3(ab, Vec3(1, 0, 0));
    EXPECT_NEAR(v.x, 0, 1e-15);
    EXPECT_NEAR(v.y, 0, 1e-15);
    EXPECT_NEAR(v.z, 1, 1e-15);
    Quaternion m = rx;
    m.multiply(rz);
    EXPECT_EQ(m, ab);
    Quaternion p = rz;
    p.premultiply(rx);
    EXPECT_EQ(p, ab);
    // i j = k.
    Quaternion ij;
    ij.multiplyQuaternions(Quaternion(1, 0, 0, 0), Quaternion(0, 1, 0, 0));
    EXPECT_EQ(ij, Quaternion(0, 0, 1, 0));
}

TEST(Quaternion, MatrixRoundTripOnEveryBranch) {
    // Turns whose matrices take each branch of the conversion: positive trace, and
    // half turns whose largest diagonal entry is x, y or z.
    const std::vector<Quaternion> qs = {
        Quaternion(Vec3(0.6, 0, 0.8), 0.5), Quaternion(1, 0, 0, 0), Quaternion(0, 1, 0, 0),
        Quaternion(0, 0, 1, 0), Quaternion(Vec3(2, 1, 2) * (1.0 / 3), 3.0),
        Quaternion(Vec3(1, 2, 2) * (1.0 / 3), -2.9), Quaternion(Vec3(2, 2, 1) * (1.0 / 3), 3.1)};
    for (const Quaternion& q : qs) {
        Quaternion back;
        back.setWithMat4(rotationOf(q));
        const double sign = back.dot(q) < 0 ? -1 : 1;
        EXPECT_NEAR(back.x, sign * q.x, 1e-14);
        EXPECT_NEAR(back.y, sign * q.y, 1e-14);
        EXPECT_NEAR(back.z, sign * q.z, 1e-14);
        EXPECT_NEAR(back.w, sign * q.w, 1e-14);
    }
}

TEST(Quaternion, Slerp) {
    const Quaternion start(0.1, 1.0 / 3.0, 0.2, 0.7);
    Quaternion same = start;
    same.slerp(Quaternion(), 0);
    EXPECT_EQ(std::memcmp(&same, &start, sizeof start), 0);
    Quaternion end = start;
    end.slerp(Quaternion(1, 0, 0, 0), 1);
    EXPECT_EQ(end, Quaternion(1, 0, 0, 0));

    Quaternion q;
    q.slerp(Quaternion(0, 0, 0, -1), 0.5); // -q: cos becomes 1, q stays
    EXPECT_EQ(q, Quaternion());

    Quaternion half;
    half.slerp(Quaternion(Vec3(0, 0, 1), M_PI / 2), 0.5);
    expectNear(half, Quaternion(Vec3(0, 0, 1), M_PI / 4), 1e-15);

    // Shorter arc: the target's negation is used.
    Quaternion neg;
    neg.slerp(Quaternion(0, 0, -std::sin(M_PI / 4), -std::cos(M_PI / 4)), 0.5);
    expectNear(neg, Quaternion(Vec3(0, 0, 1), M_PI / 4), 1e-15);

    // Less than 0.001 apart in sine: the plain midpoint of the two, whatever t is.
    const Quaternion near(0, 0, std::sin(0.0004), std::cos(0.0004));
    Quaternion close;
    close.slerp(near, 0.3);
    expectNear(close, Quaternion(0, 0, 0.5 * near.z, 0.5 * (1 + near.w)), 1e-18);

    EXPECT_EQ(Quaternion::lerp(start, start, 0.5), start);
    expectNear(Quaternion::lerp(Quaternion(), Quaternion(Vec3(0, 0, 1), M_PI / 2), 0.5),
               Quaternion(Vec3(0, 0, 1), M_PI / 4), 1e-15);
}

TEST(Quaternion, EulerOrdersMatchTheirMatrices) {
    for (const OrderRow& row : kOrders) {
        SCOPED_TRACE(row.name);
        Quaternion q;
        q.setWithEuler(Euler(0.3, -0.4, 0.5, row.order));
        // Single-precision composition.
        expectNear(rotationOf(q), orderMatrix(row.order, 0.3, -0.4, 0.5), 3e-7);
    }
    Quaternion u(1, 2, 3, 4);
    u.setWithEuler(Euler(0.3, 0.4, 0.5, Euler::Unspecified));
    EXPECT_EQ(u, Quaternion(0, 0, 0, 0));
    Quaternion k(1, 2, 3, 4);
    k.setWithEuler(Euler(0.3, 0.4, 0.5, static_cast<Euler::RotationOrder>(9)));
    EXPECT_EQ(k, Quaternion(1, 2, 3, 4));
    Quaternion n(1, 2, 3, 4);
    n.setWithEuler(Euler(0.3, 0.4, 0.5, static_cast<Euler::RotationOrder>(-1)));
    EXPECT_EQ(n, Quaternion(1, 2, 3, 4));
}

TEST(Quaternion, SetWithEulerRoundsToSinglePrecision) {
    Quaternion q;
    q.setWithEuler(Euler(0.3, 0, 0, Euler::XYZ));
    EXPECT_EQ(q.x, static_cast<double>(static_cast<float>(std::sin(0.15))));
    EXPECT_EQ(q.w, static_cast<double>(static_cast<float>(std::cos(0.15))));
    EXPECT_NE(q.x, std::sin(0.15));
}

TEST(Euler, OrdersSurviveQuaternionAndMatrix) {
    for (const OrderRow& row : kOrders) {
        SCOPED_TRACE(row.name);
        Quaternion q;
        q.setWithEuler(Euler(0.3, -0.4, 0.5, row.order));
        Euler e;
        e.setWithMat4(rotationOf(q), row.order);
        EXPECT_EQ(e.order, row.order);
        EXPECT_NEAR(e.x, 0.3, 3e-7);
        EXPECT_NEAR(e.y, -0.4, 3e-7);
        EXPECT_NEAR(e.z, 0.5, 3e-7);
        Euler viaQ;
        viaQ.setWithQuaternion(q, row.order);
        EXPECT_EQ(viaQ, e);
    }
}

TEST(Euler, GimbalLockReproducesTheMatrix) {
    for (const OrderRow& row : kOrders) {
        SCOPED_TRACE(row.name);
        double a[3] = {0.3, -0.4, 0.5};
        a[row.middle] = M_PI / 2;
        const Mat4 m = orderMatrix(row.order, a[0], a[1], a[2]);
        Euler e;
        e.setWithMat4(m, row.order);
        EXPECT_NEAR(angle(e, row.middle), M_PI / 2, 1e-7);
        EXPECT_EQ(angle(e, row.zeroed), 0);
        expectNear(orderMatrix(row.order, e.x, e.y, e.z), m, 1e-7);
        // And through the single-precision quaternion, as a caller would go. Near 1 the
        // arc sine turns the entry's float error e (~3e-8) into sqrt(2e) ~ 2.5e-4 in the
        // middle angle, so only that accuracy can come back.
        Quaternion q;
        q.setWithEuler(Euler(a[0], a[1], a[2], row.order));
        Euler viaQ;
        viaQ.setWithQuaternion(q, row.order);
        EXPECT_EQ(angle(viaQ, row.zeroed), 0);
        expectNear(orderMatrix(row.order, viaQ.x, viaQ.y, viaQ.z), m, 5e-4);
    }
}

TEST(Euler, OrderHandling) {
    EXPECT_EQ(Euler().order, Euler::XYZ);
    EXPECT_EQ(Euler::mDefaultOrder, Euler::XYZ);
    Euler e(0, 0, 0, Euler::YXZ);
    e.set(1, 2, 3, Euler::Unspecified);
    EXPECT_EQ(e, Euler(1, 2, 3, Euler::YXZ));
    e.set(1, 2, 3, Euler::ZYX);
    EXPECT_EQ(e.order, Euler::ZYX);

    // Order 0 uses the stored order.
    Mat4 m = orderMatrix(Euler::ZYX, 0.1, 0.2, 0.3);
    Euler s(0, 0, 0, Euler::ZYX);
    s.setWithMat4(m, Euler::Unspecified);
    EXPECT_EQ(s.order, Euler::ZYX);
    EXPECT_NEAR(s.x, 0.1, 1e-15);
    EXPECT_NEAR(s.z, 0.3, 1e-15);

    // An unknown order is stored but changes no angle.
    Euler u(7, 8, 9, Euler::XYZ);
    u.setWithMat4(m, static_cast<Euler::RotationOrder>(12));
    EXPECT_EQ(u.order, 12);
    EXPECT_EQ(u.x, 7);
    EXPECT_EQ(u.z, 9);

    EXPECT_NE(Euler(0, 0, 0, Euler::XYZ), Euler(0, 0, 0, Euler::ZYX));
    EXPECT_EQ(Euler(0, 0, 0, Euler::XYZ), Euler(1e-12, 0, 0, Euler::XYZ));
    EXPECT_NE(Euler(0, 0, 0, Euler::XYZ), Euler(2e-12, 0, 0, Euler::XYZ));
}

} // namespace
} // namespace Tavrolin::Fill
