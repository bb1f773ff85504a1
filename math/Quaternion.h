#pragma once

#include "math/Euler.h"
#include "math/Vec3.h"

namespace Tavrolin::Fill {

class Mat4;

// Rotation quaternion (x, y, z, w), scalar last; the identity is (0, 0, 0, 1).
// a (x) b applies b first, then a. Angles are radians except getRotationAngle.
class Quaternion {
public:
    double x;
    double y;
    double z;
    double w;

    Quaternion() : x(0), y(0), z(0), w(1) {}
    Quaternion(double x, double y, double z) : x(x), y(y), z(z), w(1) {}
    Quaternion(double x, double y, double z, double w) : x(x), y(y), z(z), w(w) {}
    // The axis is used as given, not normalised.
    Quaternion(const Vec3& axis, double angle);
    Quaternion(const Vec3& from, const Vec3& to);
    Quaternion(const Quaternion& o) : x(o.x), y(o.y), z(o.z), w(o.w) {}
    Quaternion& operator=(const Quaternion& o) {
        x = o.x;
        y = o.y;
        z = o.z;
        w = o.w;
        return *this;
    }

    // Exact comparison, no tolerance.
    bool operator==(const Quaternion& o) const { return x == o.x && y == o.y && z == o.z && w == o.w; }
    bool operator!=(const Quaternion& o) const { return !(*this == o); }

    void set(double nx, double ny, double nz) {
        x = nx;
        y = ny;
        z = nz;
    }
    void set(double nx, double ny, double nz, double nw) {
        set(nx, ny, nz);
        w = nw;
    }
    // The axis is normalised first (a zero axis becomes (1, 0, 0)).
    void set(const Vec3& axis, double angle);
    void setWithArray(const double* array, int offset);
    void toArray(double* array, int offset) const;
    // From the upper-left 3x3 block of a pure rotation matrix.
    void setWithMat4(const Mat4& m);
    // Computed in single precision; Unspecified gives (0, 0, 0, 0), an unknown order
    // leaves the quaternion unchanged.
    void setWithEuler(const Euler& e);
    // The rotation turning unit vector `from` onto unit vector `to`.
    void setWithDirection(const Vec3& from, const Vec3& to);

    // A zero quaternion becomes the identity.
    void normalize();
    void conjugate() { set(-x, -y, -z); }
    void setInverse();
    double dot(const Quaternion& o) const { return x * o.x + y * o.y + z * o.z + w * o.w; }
    double lengthSq() const { return x * x + y * y + z * z + w * w; }
    double length() const;
    // Degrees; w is not clamped.
    double getRotationAngle() const;
    Vec3 getRotationAxis() const;

    // this = this (x) q.
    void multiply(const Quaternion& q);
    // this = q (x) this.
    void premultiply(const Quaternion& q);
    // this = a (x) b.
    void multiplyQuaternions(const Quaternion& a, const Quaternion& b);
    static Vec3 quaternionMulVec3(const Quaternion& q, const Vec3& v);

    // Spherical interpolation towards target; not normalised, t not clamped.
    void slerp(const Quaternion& target, double t);
    static Quaternion lerp(const Quaternion& a, const Quaternion& b, double t);
};

} // namespace Tavrolin::Fill
