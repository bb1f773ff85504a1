#include "math/Mat4.h"

#include "math/Quaternion.h"

#include <algorithm>
#include <cmath>

namespace Tavrolin::Fill {

namespace {
constexpr double kTolerance = 1e-12;

// Determinant of the 3x3 matrix left of m without row r and column c.
double minor3(const Mat4& m, int r, int c) {
    int rows[3], cols[3];
    for (int i = 0, k = 0; i < 4; ++i) {
        if (i != r) {
            rows[k++] = i;
        }
    }
    for (int i = 0, k = 0; i < 4; ++i) {
        if (i != c) {
            cols[k++] = i;
        }
    }
    auto v = [&](int i, int j) { return m.e[4 * cols[j] + rows[i]]; };
    return v(0, 0) * (v(1, 1) * v(2, 2) - v(1, 2) * v(2, 1)) -
           v(0, 1) * (v(1, 0) * v(2, 2) - v(1, 2) * v(2, 0)) +
           v(0, 2) * (v(1, 0) * v(2, 1) - v(1, 1) * v(2, 0));
}

double cofactor(const Mat4& m, int r, int c) {
    const double s = ((r + c) % 2 == 0) ? 1.0 : -1.0;
    return s * minor3(m, r, c);
}
} // namespace

Mat4::Mat4(bool identity) {
    if (identity) {
        setIdentity();
    } else {
        setZero();
    }
}

Mat4::Mat4(double v0, double v1, double v2, double v3, double v4, double v5, double v6, double v7,
           double v8, double v9, double v10, double v11, double v12, double v13, double v14,
           double v15, bool columnMajor) {
    const double v[16] = {v0, v1, v2, v3, v4, v5, v6, v7, v8, v9, v10, v11, v12, v13, v14, v15};
    *this = Mat4(v, columnMajor);
}

Mat4::Mat4(const double* values, bool columnMajor) {
    for (int i = 0; i < 16; ++i) {
        if (columnMajor) {
            e[i] = values[i];
        } else {
            at(i / 4, i % 4) = values[i];
        }
    }
}

Mat4::Mat4(const Vec4& a, const Vec4& b, const Vec4& c, const Vec4& d, bool rows) {
    const Vec4* v[4] = {&a, &b, &c, &d};
    for (int i = 0; i < 4; ++i) {
        if (rows) {
            setRow(i, *v[i]);
        } else {
            setColumn(i, *v[i]);
        }
    }
}

Mat4::Mat4(const Mat4& o) { std::copy(o.e, o.e + 16, e); }

Mat4& Mat4::operator=(const Mat4& o) {
    std::copy(o.e, o.e + 16, e);
    return *this;
}

void Mat4::set(double v0, double v1, double v2, double v3, double v4, double v5, double v6,
               double v7, double v8, double v9, double v10, double v11, double v12, double v13,
               double v14, double v15) {
    *this = Mat4(v0, v1, v2, v3, v4, v5, v6, v7, v8, v9, v10, v11, v12, v13, v14, v15, false);
}

void Mat4::setZero() { std::fill(e, e + 16, 0.0); }

void Mat4::setIdentity() {
    setZero();
    e[0] = e[5] = e[10] = e[15] = 1;
}

Mat4 Mat4::identity() { return Mat4(true); }

void Mat4::setRow(int r, const Vec4& v) {
    at(r, 0) = v.x;
    at(r, 1) = v.y;
    at(r, 2) = v.z;
    at(r, 3) = v.w;
}

void Mat4::setColumn(int c, const Vec4& v) {
    at(0, c) = v.x;
    at(1, c) = v.y;
    at(2, c) = v.z;
    at(3, c) = v.w;
}

Vec4 Mat4::getRow(int r) const { return Vec4(at(r, 0), at(r, 1), at(r, 2), at(r, 3)); }

Vec4 Mat4::getColumn(int c) const { return Vec4(at(0, c), at(1, c), at(2, c), at(3, c)); }

void Mat4::position(const Vec3& p) {
    e[12] = p.x;
    e[13] = p.y;
    e[14] = p.z;
}

void Mat4::setWithAffine(const Affine& a) {
    setIdentity();
    at(0, 0) = a.a;
    at(0, 1) = a.c;
    at(0, 3) = a.e;
    at(1, 0) = a.b;
    at(1, 1) = a.d;
    at(1, 3) = a.f;
}

Affine Mat4::getAffine() const {
    return Affine(at(0, 0), at(1, 0), at(0, 1), at(1, 1), at(0, 3), at(1, 3));
}

bool Mat4::operator==(const Mat4& o) const {
    for (int i = 0; i < 16; ++i) {
        if (!(std::fabs(e[i] - o.e[i]) <= kTolerance)) {
            return false;
        }
    }
    return true;
}

Mat4 Mat4::operator+(const Mat4& o) const {
    Mat4 r(false);
    add(*this, o, r);
    return r;
}

Mat4 Mat4::operator-(const Mat4& o) const {
    Mat4 r(false);
    subtract(*this, o, r);
    return r;
}

void Mat4::add(const Mat4& o) { add(*this, o, *this); }

void Mat4::subtract(const Mat4& o) { subtract(*this, o, *this); }

void Mat4::add(const Mat4& a, const Mat4& b, Mat4& out) {
    for (int i = 0; i < 16; ++i) {
        out.e[i] = a.e[i] + b.e[i];
    }
}

void Mat4::subtract(const Mat4& a, const Mat4& b, Mat4& out) {
    for (int i = 0; i < 16; ++i) {
        out.e[i] = a.e[i] - b.e[i];
    }
}

Mat4 Mat4::operator*(double s) const {
    Mat4 r(*this);
    for (double& v : r.e) {
        v *= s;
    }
    return r;
}

void Mat4::mult(const Mat4& a, const Mat4& b, Mat4& out) {
    double r[16];
    for (int row = 0; row < 4; ++row) {
        for (int col = 0; col < 4; ++col) {
            double sum = 0;
            for (int k = 0; k < 4; ++k) {
                sum += a.e[4 * k + row] * b.e[4 * col + k];
            }
            r[4 * col + row] = sum;
        }
    }
    std::copy(r, r + 16, out.e);
}

Mat4 Mat4::operator*(const Mat4& m) const {
    Mat4 r(false);
    mult(*this, m, r);
    return r;
}

void Mat4::mult(const Mat4& m) { mult(*this, m, *this); }

Vec4 Mat4::operator*(const Vec4& v) const { return mult(v); }

Vec4 Mat4::mult(const Vec4& v) const {
    double r[4];
    for (int row = 0; row < 4; ++row) {
        r[row] = at(row, 0) * v.x + at(row, 1) * v.y + at(row, 2) * v.z + at(row, 3) * v.w;
    }
    return Vec4(r[0], r[1], r[2], r[3]);
}

Vec3 Mat4::operator*(const Vec3& v) const { return mult(v); }

Vec3 Mat4::mult(const Vec3& v) const { return mult(Vec4(v, 1)).getVec3(); }

Vec3 Mat4::multWithoutTranslate(const Vec3& v) const { return mult(Vec4(v, 0)).getVec3(); }

Vec3 Mat4::multAndProject(const Vec3& v) const {
    const Vec4 r = mult(Vec4(v, 1));
    return r.getVec3() * (1 / r.w);
}

void Mat4::setTranslate(const Vec3& t) { setTranslate(t.x, t.y, t.z); }

void Mat4::setTranslate(double x, double y, double z) {
    setIdentity();
    position(Vec3(x, y, z));
}

void Mat4::setScale(const Vec3& s) { setScale(s.x, s.y, s.z); }

void Mat4::setScale(double x, double y, double z) {
    setZero();
    e[0] = x;
    e[5] = y;
    e[10] = z;
    e[15] = 1;
}

void Mat4::setXRotation(double a) {
    const double c = std::cos(a), s = std::sin(a);
    set(1, 0, 0, 0, 0, c, -s, 0, 0, s, c, 0, 0, 0, 0, 1);
}

void Mat4::setYRotation(double a) {
    const double c = std::cos(a), s = std::sin(a);
    set(c, 0, s, 0, 0, 1, 0, 0, -s, 0, c, 0, 0, 0, 0, 1);
}

void Mat4::setZRotation(double a) {
    const double c = std::cos(a), s = std::sin(a);
    set(c, -s, 0, 0, s, c, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
}

void Mat4::setRotation(double angle, const Vec3& axis) {
    Vec3 n = axis;
    n.normalize();
    const double x = n.x, y = n.y, z = n.z;
    const double c = std::cos(angle), s = std::sin(angle), t = 1 - c;
    set(t * x * x + c, t * x * y - s * z, t * x * z + s * y, 0,
        t * x * y + s * z, t * y * y + c, t * y * z - s * x, 0,
        t * x * z - s * y, t * y * z + s * x, t * z * z + c, 0,
        0, 0, 0, 1);
}

void Mat4::setRotation(double angle, double x, double y, double z) { setRotation(angle, Vec3(x, y, z)); }

void Mat4::setWithQuaternion(const Quaternion& q) {
    const double x = q.x, y = q.y, z = q.z, w = q.w;
    const double x2 = x + x, y2 = y + y, z2 = z + z;
    const double xx = x * x2, xy = x * y2, xz = x * z2;
    const double yy = y * y2, yz = y * z2, zz = z * z2;
    const double wx = w * x2, wy = w * y2, wz = w * z2;
    set(1 - (yy + zz), xy - wz, xz + wy, 0,
        xy + wz, 1 - (xx + zz), yz - wx, 0,
        xz - wy, yz + wx, 1 - (xx + yy), 0,
        0, 0, 0, 1);
}

void Mat4::setPerspective(double fovy, double aspect, double near, double far) {
    const double f = std::tan(fovy * 0.5);
    setZero();
    at(0, 0) = (1 / f) / aspect;
    at(1, 1) = 1 / f;
    at(2, 2) = (near + far) / (near - far);
    at(3, 2) = -1;
    at(2, 3) = 2 * far * near / (near - far);
}

void Mat4::setFrustum(double l, double r, double b, double t, double n, double f) {
    setZero();
    at(0, 0) = 2 * n / (r - l);
    at(1, 1) = 2 * n / (t - b);
    at(0, 2) = (r + l) / (r - l);
    at(1, 2) = (t + b) / (t - b);
    at(2, 2) = -(f + n) / (f - n);
    at(3, 2) = -1;
    at(2, 3) = -2 * f * n / (f - n);
}

void Mat4::setOrtho(double l, double r, double b, double t, double n, double f) {
    setZero();
    at(0, 0) = 2 / (r - l);
    at(1, 1) = 2 / (b - t);
    at(2, 2) = -2 / (f - n);
    at(0, 3) = -(r + l) / (r - l);
    at(1, 3) = -(t + b) / (b - t);
    at(2, 3) = -(n + f) / (f - n);
    at(3, 3) = 1;
}

void Mat4::setLookAt(Vec3 eye, Vec3 target, Vec3 up) {
    Vec3 z = eye - target;
    z.normalize();
    if (z.dot(z) == 0) {
        z.z = 1;
    }
    Vec3 x = up.cross(z);
    x.normalize();
    if (x.dot(x) == 0) {
        z.z += static_cast<double>(0.0001f);
        x = up.cross(z);
        x.normalize();
    }
    const Vec3 y = z.cross(x);
    const Vec3* axes[3] = {&x, &y, &z};
    for (int c = 0; c < 3; ++c) {
        at(0, c) = axes[c]->x;
        at(1, c) = axes[c]->y;
        at(2, c) = axes[c]->z;
    }
}

void Mat4::setLookAt(double eyeX, double eyeY, double eyeZ, double targetX, double targetY,
                     double targetZ, double upX, double upY, double upZ) {
    setLookAt(Vec3(eyeX, eyeY, eyeZ), Vec3(targetX, targetY, targetZ), Vec3(upX, upY, upZ));
}

void Mat4::compose(const Vec3& pos, const Quaternion& q, const Vec3& s) {
    setWithQuaternion(q);
    const double f[3] = {s.x, s.y, s.z};
    for (int c = 0; c < 3; ++c) {
        for (int r = 0; r < 4; ++r) {
            at(r, c) *= f[c];
        }
    }
    position(pos);
}

void Mat4::compose(const Vec3& pivot, const Vec3& pos, const Quaternion& q, const Vec3& s) {
    const Vec3 p = pivot * s;
    setWithQuaternion(q);
    position(pos);
    translate(-p.x, -p.y, -p.z);
    const double f[3] = {s.x, s.y, s.z};
    for (int c = 0; c < 3; ++c) {
        if (f[c] != 1) {
            for (int r = 0; r < 3; ++r) {
                at(r, c) *= f[c];
            }
        }
    }
}

Mat4 Mat4::getAEToGLConversionMatrix(double width, double height) {
    return Mat4(1, 0, 0, -width * 0.5,
                0, -1, 0, height * 0.5,
                0, 0, -1, 0,
                0, 0, 0, 1, false);
}

void Mat4::translate(double x, double y, double z) {
    for (int r = 0; r < 4; ++r) {
        at(r, 3) += x * at(r, 0) + y * at(r, 1) + z * at(r, 2);
    }
}

void Mat4::translate(const Vec3& t) { translate(t.x, t.y, t.z); }

void Mat4::translate(const Vec4& t) { translate(t.x, t.y, t.z); }

void Mat4::scale(double x, double y, double z) {
    for (int r = 0; r < 4; ++r) {
        at(r, 0) *= x;
        at(r, 1) *= y;
        at(r, 2) *= z;
    }
}

void Mat4::scale(const Vec3& s) { scale(s.x, s.y, s.z); }

void Mat4::scale(const Vec4& s) { scale(s.x, s.y, s.z); }

void Mat4::rotate(double angle, double x, double y, double z) {
    Mat4 r;
    r.setRotation(angle, x, y, z);
    mult(r);
}

void Mat4::rotate(double angle, const Vec3& axis) { rotate(angle, axis.x, axis.y, axis.z); }

void Mat4::rotate(double angle, const Vec4& axis) { rotate(angle, axis.x, axis.y, axis.z); }

void Mat4::rotateX(double a) {
    Mat4 r;
    r.setXRotation(a);
    mult(r);
}

void Mat4::rotateY(double a) {
    Mat4 r;
    r.setYRotation(a);
    mult(r);
}

void Mat4::rotateZ(double a) {
    Mat4 r;
    r.setZRotation(a);
    mult(r);
}

bool Mat4::getInverse(Mat4& out) const {
    // adj(M)[c][r] = cofactor(r, c); all cofactors are taken before out is written.
    double adj[16];
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            adj[4 * r + c] = cofactor(*this, r, c); // row c, column r of the adjugate
        }
    }
    // Expansion along column 0.
    const double det = at(0, 0) * adj[0] + at(1, 0) * adj[4] + at(2, 0) * adj[8] + at(3, 0) * adj[12];
    if (det == 0) {
        out.setIdentity();
        return false;
    }
    const double inv = 1 / det;
    for (int i = 0; i < 16; ++i) {
        out.e[i] = adj[i] * inv;
    }
    return true;
}

double Mat4::determinant() const {
    double det = 0;
    for (int c = 0; c < 4; ++c) {
        det += at(3, c) * cofactor(*this, 3, c);
    }
    return det;
}

void Mat4::setTranspose() { transpose(*this); }

void Mat4::transpose(Mat4& out) const {
    double t[16];
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            t[4 * r + c] = at(r, c);
        }
    }
    std::copy(t, t + 16, out.e);
}

double Mat4::getMaxScaleOnAxis() const {
    double m = 0;
    for (int c = 0; c < 3; ++c) {
        const double s = at(0, c) * at(0, c) + at(1, c) * at(1, c) + at(2, c) * at(2, c);
        m = std::max(m, s);
    }
    return std::sqrt(m);
}

void Mat4::decompose(Vec3& pos, Quaternion& q, Vec3& s) const {
    double f[3];
    for (int c = 0; c < 3; ++c) {
        f[c] = Vec3(at(0, c), at(1, c), at(2, c)).length();
    }
    if (determinant() < 0) {
        f[0] = -f[0];
    }
    for (double& v : f) {
        // Never divide by a zero scale below.
        if (v == 0) {
            v = 1e-6;
        }
    }
    pos.set(e[12], e[13], e[14]);
    Mat4 rot(*this);
    for (int c = 0; c < 3; ++c) {
        const double inv = 1 / f[c];
        for (int r = 0; r < 3; ++r) {
            rot.at(r, c) *= inv;
        }
    }
    q.setWithMat4(rot);
    s.set(f[0], f[1], f[2]);
}

void Mat4::decompose(const Vec3& pivot, Vec3& pos, Quaternion& q, Vec3& s) const {
    decompose(pos, q, s);
    pos += multWithoutTranslate(pivot);
}

} // namespace Tavrolin::Fill
