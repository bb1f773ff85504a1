#pragma once

#include "math/Vec2.h"

#include <cmath>
#include <cstdint>

namespace Tavrolin::Fill {

// Two-dimensional vector of 32-bit integers. Division or remainder by a zero
// component and overflowing arithmetic are the caller's to avoid.
class Vec2i {
public:
    int32_t x;
    int32_t y;

    Vec2i() : x(0), y(0) {}
    Vec2i(int x, int y) : x(x), y(y) {}
    Vec2i(const Vec2i& o) : x(o.x), y(o.y) {}
    Vec2i& operator=(const Vec2i& o) {
        x = o.x;
        y = o.y;
        return *this;
    }

    bool operator==(const Vec2i& o) const { return x == o.x && y == o.y; }
    bool equal(const Vec2i& o) const { return *this == o; }
    bool operator!=(const Vec2i& o) const { return !(*this == o); }
    bool isZero() const { return x == 0 && y == 0; }

    void set(int nx, int ny) {
        x = nx;
        y = ny;
    }
    void set(const Vec2i& other) { set(other.x, other.y); }
    void setZero() { x = y = 0; }
    // A null array leaves the vector unchanged.
    void fromArray(const int* array, int index) {
        if (!array) {
            return;
        }
        x = array[index];
        y = array[index + 1];
    }

    void add(const Vec2i& o) { x += o.x; y += o.y; }
    void add(int s) { x += s; y += s; }
    void sub(const Vec2i& o) { x -= o.x; y -= o.y; }
    void sub(int s) { x -= s; y -= s; }
    void mult(const Vec2i& o) { x *= o.x; y *= o.y; }
    void mult(int s) { x *= s; y *= s; }
    void divide(const Vec2i& o) { x /= o.x; y /= o.y; }
    void divide(int s) { x /= s; y /= s; }
    Vec2i& operator+=(const Vec2i& o) { add(o); return *this; }
    Vec2i& operator+=(int s) { add(s); return *this; }
    Vec2i& operator-=(const Vec2i& o) { sub(o); return *this; }
    Vec2i& operator-=(int s) { sub(s); return *this; }
    Vec2i& operator*=(const Vec2i& o) { mult(o); return *this; }
    Vec2i& operator/=(const Vec2i& o) { divide(o); return *this; }
    Vec2i operator+(const Vec2i& o) const { return Vec2i(x + o.x, y + o.y); }
    Vec2i operator+(int s) const { return Vec2i(x + s, y + s); }
    Vec2i operator-(const Vec2i& o) const { return Vec2i(x - o.x, y - o.y); }
    Vec2i operator-(int s) const { return Vec2i(x - s, y - s); }
    Vec2i operator*(const Vec2i& o) const { return Vec2i(x * o.x, y * o.y); }
    Vec2i operator/(const Vec2i& o) const { return Vec2i(x / o.x, y / o.y); }
    Vec2i operator/(int s) const { return Vec2i(x / s, y / s); }

    // Scaling by a double is computed in double and truncated toward zero.
    Vec2i operator*(double s) const {
        return Vec2i(static_cast<int>(x * s), static_cast<int>(y * s));
    }
    Vec2i& operator*=(double s) {
        *this = *this * s;
        return *this;
    }

    Vec2i modulo(const Vec2i& o) const { return Vec2i(x % o.x, y % o.y); }
    Vec2i operator%(const Vec2i& o) const { return modulo(o); }

    int lengthSquare() const { return x * x + y * y; }
    double length() const { return std::sqrt(static_cast<double>(lengthSquare())); }
    double distance(const Vec2i& o) const {
        const int dx = x - o.x;
        const int dy = y - o.y;
        return std::sqrt(static_cast<double>(dx * dx + dy * dy));
    }
    Vec2 toVec2() const { return Vec2(static_cast<double>(x), static_cast<double>(y)); }
};

} // namespace Tavrolin::Fill
