#pragma once

#include "math/Vec2.h"

namespace Tavrolin::Fill {

class Mat4;
class Quaternion;

// Three-dimensional vector of doubles: points and directions. Angles are radians.
class Vec3 {
public:
    double x;
    double y;
    double z;

    Vec3() : x(0), y(0), z(0) {}
    explicit Vec3(double s) : x(s), y(s), z(s) {}
    Vec3(Vec2 v, double z) : x(v.x), y(v.y), z(z) {}
    Vec3(double x, double y, double z) : x(x), y(y), z(z) {}
    Vec3(const Vec3& o) : x(o.x), y(o.y), z(o.z) {}
    Vec3& operator=(const Vec3& o) {
        x = o.x;
        y = o.y;
        z = o.z;
        return *this;
    }

    void set(Vec2 v, double nz) { set(v.x, v.y, nz); }
    void set(double nx, double ny, double nz) {
        x = nx;
        y = ny;
        z = nz;
    }
    // 0 sets x, 1 sets y, any other index (negative ones included) sets z.
    void set(int index, double value);
    void setZero() { x = y = z = 0; }
    void fromArray(const double* array, int offset);
    void toArray(double* array, int offset) const;
    Vec2 getVec2() const { return Vec2(x, y); }

    bool operator==(const Vec3& o) const;
    bool operator!=(const Vec3& o) const { return !(*this == o); }
    bool equal(const Vec3& o, double tolerance) const;
    bool isZero() const { return x == 0 && y == 0 && z == 0; }
    // Index of the largest absolute component; ties go to the later index.
    int largestAbsComponent() const;

    void add(const Vec3& o) { x += o.x; y += o.y; z += o.z; }
    void add(double s) { x += s; y += s; z += s; }
    void sub(const Vec3& o) { x -= o.x; y -= o.y; z -= o.z; }
    void sub(double s) { x -= s; y -= s; z -= s; }
    void mult(const Vec3& o) { x *= o.x; y *= o.y; z *= o.z; }
    void mult(double s) { x *= s; y *= s; z *= s; }
    void divide(const Vec3& o) { x /= o.x; y /= o.y; z /= o.z; }
    void divide(double s) { x /= s; y /= s; z /= s; }
    Vec3& operator+=(const Vec3& o) { add(o); return *this; }
    Vec3& operator+=(double s) { add(s); return *this; }
    Vec3& operator-=(const Vec3& o) { sub(o); return *this; }
    Vec3& operator-=(double s) { sub(s); return *this; }
    Vec3& operator*=(const Vec3& o) { mult(o); return *this; }
    Vec3& operator*=(double s) { mult(s); return *this; }
    Vec3& operator/=(const Vec3& o) { divide(o); return *this; }
    Vec3& operator/=(double s) { divide(s); return *this; }
    Vec3 operator+(const Vec3& o) const { return Vec3(x + o.x, y + o.y, z + o.z); }
    Vec3 operator+(double s) const { return Vec3(x + s, y + s, z + s); }
    Vec3 operator-(const Vec3& o) const { return Vec3(x - o.x, y - o.y, z - o.z); }
    Vec3 operator-(double s) const { return Vec3(x - s, y - s, z - s); }
    Vec3 operator*(const Vec3& o) const { return Vec3(x * o.x, y * o.y, z * o.z); }
    Vec3 operator*(double s) const { return Vec3(x * s, y * s, z * s); }
    Vec3 operator/(const Vec3& o) const { return Vec3(x / o.x, y / o.y, z / o.z); }
    Vec3 operator/(double s) const { return Vec3(x / s, y / s, z / s); }

    Vec3 negate() const { return Vec3(-x, -y, -z); }
    void setNegate() { set(-x, -y, -z); }
    Vec3 invert() const { return Vec3(1 / x, 1 / y, 1 / z); }
    void setInvert() { set(1 / x, 1 / y, 1 / z); }
    Vec3 floor() const;

    double dot(const Vec3& o) const { return (x * o.x + y * o.y) + z * o.z; }
    Vec3 cross(const Vec3& o) const {
        return Vec3(y * o.z - z * o.y, z * o.x - x * o.z, x * o.y - y * o.x);
    }
    double length() const;
    double lengthSquare() const { return x * x + y * y + z * z; }
    double distance(const Vec3& o) const { return (*this - o).length(); }
    double distanceSquare(const Vec3& o) const { return (*this - o).lengthSquare(); }
    // Radians; the cosine is not clamped, so rounding beyond +-1 gives NaN.
    double angleBetween(const Vec3& o) const;
    // The zero vector becomes (1, 0, 0).
    void normalize();
    void setLength(double length);
    static Vec3 lerp(Vec3 a, Vec3 b, double t) { return a * (1 - t) + b * t; }
    void getMin(Vec3 o);
    void getMax(Vec3 o);
    // When min > max the min bound wins.
    void clamp(Vec3 min, Vec3 max);
    // Plain component-wise difference, no wrapping.
    Vec3 rotationalDifference(const Vec3& o) const { return *this - o; }
    // A unit vector orthogonal to v (for a non-zero v), the axis chosen from v.
    void ortho(const Vec3& v);

    // Transforms by matrices and quaternions.
    void applyMatrix4(const Mat4& m);
    void applyProjection(const Mat4& m);
    void transformDirection(const Mat4& m);
    void setFromMatrixPosition(const Mat4& m);
    void setFromMatrixColumn(const Mat4& m, int index);
    void applyQuaternion(const Quaternion& q);
};

} // namespace Tavrolin::Fill
