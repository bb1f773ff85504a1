#pragma once

#include "math/Vec3.h"

namespace Tavrolin::Fill {

// Four-component vector of doubles: homogeneous points and the storage of Rect.
// Equality is Euclidean (squared distance below 1e-24), unlike Vec2 and Vec3.
class Vec4 {
public:
    double x;
    double y;
    double z;
    double w;

    Vec4() : x(0), y(0), z(0), w(0) {}
    Vec4(double x, double y, double z, double w) : x(x), y(y), z(z), w(w) {}
    Vec4(const Vec3& v, double w) : x(v.x), y(v.y), z(v.z), w(w) {}
    Vec4(const Vec4& o) : x(o.x), y(o.y), z(o.z), w(o.w) {}
    Vec4& operator=(const Vec4& o) {
        x = o.x;
        y = o.y;
        z = o.z;
        w = o.w;
        return *this;
    }

    void set(double nx, double ny, double nz, double nw) {
        x = nx;
        y = ny;
        z = nz;
        w = nw;
    }
    void setZero() { x = y = z = w = 0; }
    Vec3 getVec3() const { return Vec3(x, y, z); }

    bool operator==(const Vec4& o) const { return equal(o, 1e-12); }
    bool operator!=(const Vec4& o) const { return !(*this == o); }
    // Squared distance strictly below tolerance squared.
    bool equal(const Vec4& o, double tolerance) const;
    bool isZero() const { return x == 0 && y == 0 && z == 0 && w == 0; }

    void add(const Vec4& o) { x += o.x; y += o.y; z += o.z; w += o.w; }
    void add(double s) { x += s; y += s; z += s; w += s; }
    void sub(const Vec4& o) { x -= o.x; y -= o.y; z -= o.z; w -= o.w; }
    void sub(double s) { x -= s; y -= s; z -= s; w -= s; }
    void mult(const Vec4& o) { x *= o.x; y *= o.y; z *= o.z; w *= o.w; }
    void mult(double s) { x *= s; y *= s; z *= s; w *= s; }
    void divide(const Vec4& o) { x /= o.x; y /= o.y; z /= o.z; w /= o.w; }
    void divide(double s) { x /= s; y /= s; z /= s; w /= s; }
    Vec4& operator+=(const Vec4& o) { add(o); return *this; }
    Vec4& operator+=(double s) { add(s); return *this; }
    Vec4& operator-=(const Vec4& o) { sub(o); return *this; }
    Vec4& operator-=(double s) { sub(s); return *this; }
    Vec4& operator*=(const Vec4& o) { mult(o); return *this; }
    Vec4& operator*=(double s) { mult(s); return *this; }
    Vec4& operator/=(const Vec4& o) { divide(o); return *this; }
    Vec4& operator/=(double s) { divide(s); return *this; }
    Vec4 operator+(const Vec4& o) const { return Vec4(x + o.x, y + o.y, z + o.z, w + o.w); }
    Vec4 operator+(double s) const { return Vec4(x + s, y + s, z + s, w + s); }
    Vec4 operator-(const Vec4& o) const { return Vec4(x - o.x, y - o.y, z - o.z, w - o.w); }
    Vec4 operator-(double s) const { return Vec4(x - s, y - s, z - s, w - s); }
    Vec4 operator*(const Vec4& o) const { return Vec4(x * o.x, y * o.y, z * o.z, w * o.w); }
    Vec4 operator*(double s) const { return Vec4(x * s, y * s, z * s, w * s); }
    Vec4 operator/(const Vec4& o) const { return Vec4(x / o.x, y / o.y, z / o.z, w / o.w); }
    Vec4 operator/(double s) const { return Vec4(x / s, y / s, z / s, w / s); }
    Vec4 negate() const { return Vec4(-x, -y, -z, -w); }
    Vec4 invert() const { return Vec4(1 / x, 1 / y, 1 / z, 1 / w); }

    double dot(const Vec4& o) const { return x * o.x + y * o.y + z * o.z + w * o.w; }
    double length() const;
    double lengthSquare() const { return x * x + y * y + z * z + w * w; }
    double lengthManhattan() const;
    double distance(const Vec4& o) const { return (*this - o).length(); }
    // The zero vector becomes (1, 0, 0, 0).
    void normalize();
    void setLength(double length);
    // Normalised spherical interpolation along the shorter arc, with single-precision
    // weights; t exactly 0 or 1 returns a or b unchanged.
    static Vec4 lerp(Vec4 a, Vec4 b, double t);
};

} // namespace Tavrolin::Fill
