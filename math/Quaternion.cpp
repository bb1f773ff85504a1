#include "math/Quaternion.h"

#include "math/Mat4.h"

#include <cmath>

namespace Tavrolin::Fill {

Quaternion::Quaternion(const Vec3& axis, double angle) {
    const double s = std::sin(angle / 2);
    set(axis.x * s, axis.y * s, axis.z * s, std::cos(angle / 2));
}

Quaternion::Quaternion(const Vec3& from, const Vec3& to) : Quaternion() { setWithDirection(from, to); }

void Quaternion::set(const Vec3& axis, double angle) {
    Vec3 n = axis;
    n.normalize();
    *this = Quaternion(n, angle);
}

void Quaternion::setWithArray(const double* array, int offset) {
    set(array[offset], array[offset + 1], array[offset + 2], array[offset + 3]);
}

void Quaternion::toArray(double* array, int offset) const {
    array[offset] = x;
    array[offset + 1] = y;
    array[offset + 2] = z;
    array[offset + 3] = w;
}

void Quaternion::setWithMat4(const Mat4& m) {
    auto at = [&m](int r, int c) { return m.e[4 * c + r]; };
    const double m00 = at(0, 0), m01 = at(0, 1), m02 = at(0, 2);
    const double m10 = at(1, 0), m11 = at(1, 1), m12 = at(1, 2);
    const double m20 = at(2, 0), m21 = at(2, 1), m22 = at(2, 2);
    const double trace = m00 + m11 + m22;
    if (trace > 0) {
        const double s = 0.5 / std::sqrt(trace + 1);
        set((m21 - m12) * s, (m02 - m20) * s, (m10 - m01) * s, 0.25 / s);
    } else if (m00 > m11 && m00 > m22) {
        const double s = 2 * std::sqrt(1 + m00 - m11 - m22);
        set(0.25 * s, (m01 + m10) / s, (m02 + m20) / s, (m21 - m12) / s);
    } else if (m11 > m22) {
        const double s = 2 * std::sqrt(1 + m11 - m00 - m22);
        set((m01 + m10) / s, 0.25 * s, (m12 + m21) / s, (m02 - m20) / s);
    } else {
        const double s = 2 * std::sqrt(1 + m22 - m00 - m11);
        set((m02 + m20) / s, (m12 + m21) / s, 0.25 * s, (m10 - m01) / s);
    }
}

void Quaternion::setWithEuler(const Euler& e) {
    const float c1 = static_cast<float>(std::cos(e.x / 2));
    const float s1 = static_cast<float>(std::sin(e.x / 2));
    const float c2 = static_cast<float>(std::cos(e.y / 2));
    const float s2 = static_cast<float>(std::sin(e.y / 2));
    const float c3 = static_cast<float>(std::cos(e.z / 2));
    const float s3 = static_cast<float>(std::sin(e.z / 2));
    // Products and sums stay in single precision, as they always have.
    const float a = s1 * c2 * c3, b = c1 * s2 * s3; // x terms
    const float c = c1 * s2 * c3, d = s1 * c2 * s3; // y terms
    const float f = c1 * c2 * s3, g = s1 * s2 * c3; // z terms
    const float h = c1 * c2 * c3, k = s1 * s2 * s3; // w terms
    float qx, qy, qz, qw;
    switch (e.order) {
    case Euler::XYZ: qx = a + b; qy = c - d; qz = f + g; qw = h - k; break;
    case Euler::YZX: qx = a + b; qy = c + d; qz = f - g; qw = h - k; break;
    case Euler::ZXY: qx = a - b; qy = c + d; qz = f + g; qw = h - k; break;
    case Euler::XZY: qx = a - b; qy = c - d; qz = f + g; qw = h + k; break;
    case Euler::YXZ: qx = a + b; qy = c - d; qz = f - g; qw = h + k; break;
    case Euler::ZYX: qx = a - b; qy = c + d; qz = f - g; qw = h + k; break;
    case Euler::Unspecified: qx = qy = qz = qw = 0; break;
    default: return;
    }
    set(qx, qy, qz, qw);
}

void Quaternion::setWithDirection(const Vec3& from, const Vec3& to) {
    double r = from.dot(to) + 1;
    Vec3 axis;
    if (r < 1e-12) {
        // Opposite directions: any axis perpendicular to `from` will do.
        r = 0;
        if (std::fabs(from.x) > std::fabs(from.z)) {
            axis.set(-from.y, from.x, 0);
        } else {
            axis.set(0, -from.z, from.y);
        }
    } else {
        axis = from.cross(to);
    }
    set(axis.x, axis.y, axis.z, r);
    normalize();
}

double Quaternion::length() const { return std::sqrt(lengthSq()); }

void Quaternion::normalize() {
    const double l = length();
    if (l == 0) {
        set(0, 0, 0, 1);
        return;
    }
    const double inv = 1 / l;
    set(x * inv, y * inv, z * inv, w * inv);
}

void Quaternion::setInverse() {
    conjugate();
    normalize();
}

double Quaternion::getRotationAngle() const { return 2 * std::acos(w) * Vec2::kRadToDeg; }

Vec3 Quaternion::getRotationAxis() const {
    const double s2 = 1 - w * w;
    if (s2 < 1e-12) {
        return Vec3(0, 0, 1);
    }
    const double s = std::sqrt(s2);
    return Vec3(x / s, y / s, z / s);
}

void Quaternion::multiply(const Quaternion& q) { multiplyQuaternions(*this, q); }

void Quaternion::premultiply(const Quaternion& q) { multiplyQuaternions(q, *this); }

void Quaternion::multiplyQuaternions(const Quaternion& a, const Quaternion& b) {
    const double nx = a.x * b.w + a.w * b.x + a.y * b.z - a.z * b.y;
    const double ny = a.y * b.w + a.w * b.y + a.z * b.x - a.x * b.z;
    const double nz = a.z * b.w + a.w * b.z + a.x * b.y - a.y * b.x;
    const double nw = a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z;
    set(nx, ny, nz, nw);
}

Vec3 Quaternion::quaternionMulVec3(const Quaternion& q, const Vec3& v) {
    const Vec3 u(q.x, q.y, q.z);
    const Vec3 t = u.cross(v);
    const Vec3 s = u.cross(t);
    return v + (t * q.w + s) * 2.0;
}

void Quaternion::slerp(const Quaternion& target, double t) {
    if (t == 0) {
        return;
    }
    if (t == 1) {
        *this = target;
        return;
    }
    const Quaternion start = *this;
    double cosTheta = w * target.w + x * target.x + y * target.y + z * target.z;
    Quaternion b = target;
    if (cosTheta < 0) {
        // Take the shorter arc.
        b.set(-target.x, -target.y, -target.z, -target.w);
        cosTheta = -cosTheta;
    }
    if (cosTheta >= 1) {
        return;
    }
    const double sinTheta = std::sqrt(1 - cosTheta * cosTheta);
    if (std::fabs(sinTheta) < 0.001) {
        set(0.5 * (start.x + b.x), 0.5 * (start.y + b.y), 0.5 * (start.z + b.z), 0.5 * (start.w + b.w));
        return;
    }
    const double theta = std::atan2(sinTheta, cosTheta);
    const double ra = std::sin((1 - t) * theta) / sinTheta;
    const double rb = std::sin(t * theta) / sinTheta;
    set(start.x * ra + b.x * rb, start.y * ra + b.y * rb, start.z * ra + b.z * rb,
        start.w * ra + b.w * rb);
}

Quaternion Quaternion::lerp(const Quaternion& a, const Quaternion& b, double t) {
    if (a == b) {
        return a;
    }
    Quaternion r = a;
    r.slerp(b, t);
    return r;
}

} // namespace Tavrolin::Fill
