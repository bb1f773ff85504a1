#include "math/Vec3.h"

#include "math/Mat4.h"
#include "math/Quaternion.h"

#include <cmath>

namespace Tavrolin::Fill {

namespace {
constexpr double kEpsilon = 1e-12;

double clampComponent(double v, double lo, double hi) {
    const double capped = v < hi ? v : hi;
    return capped < lo ? lo : capped;
}
} // namespace

void Vec3::set(int index, double value) {
    if (index == 0) {
        x = value;
    } else if (index == 1) {
        y = value;
    } else {
        z = value;
    }
}

void Vec3::fromArray(const double* array, int offset) {
    set(array[offset], array[offset + 1], array[offset + 2]);
}

void Vec3::toArray(double* array, int offset) const {
    array[offset] = x;
    array[offset + 1] = y;
    array[offset + 2] = z;
}

bool Vec3::operator==(const Vec3& o) const { return equal(o, kEpsilon); }

bool Vec3::equal(const Vec3& o, double tolerance) const {
    return std::fabs(o.x - x) <= tolerance && std::fabs(o.y - y) <= tolerance &&
           std::fabs(o.z - z) <= tolerance;
}

int Vec3::largestAbsComponent() const {
    const double ax = std::fabs(x), ay = std::fabs(y), az = std::fabs(z);
    return ax > ay ? (ax > az ? 0 : 2) : (ay > az ? 1 : 2);
}

Vec3 Vec3::floor() const { return Vec3(std::floor(x), std::floor(y), std::floor(z)); }

double Vec3::length() const { return std::sqrt(lengthSquare()); }

double Vec3::angleBetween(const Vec3& o) const { return std::acos(dot(o) / (length() * o.length())); }

void Vec3::normalize() {
    if (isZero()) {
        set(1, 0, 0);
        return;
    }
    mult(1.0 / length());
}

void Vec3::setLength(double newLength) {
    if (isZero()) {
        set(newLength, 0, 0);
        return;
    }
    mult(newLength / length());
}

void Vec3::getMin(Vec3 o) {
    x = o.x < x ? o.x : x;
    y = o.y < y ? o.y : y;
    z = o.z < z ? o.z : z;
}

void Vec3::getMax(Vec3 o) {
    x = x > o.x ? x : o.x;
    y = y > o.y ? y : o.y;
    z = z > o.z ? z : o.z;
}

void Vec3::clamp(Vec3 min, Vec3 max) {
    x = clampComponent(x, min.x, max.x);
    y = clampComponent(y, min.y, max.y);
    z = clampComponent(z, min.z, max.z);
}

void Vec3::ortho(const Vec3& v) {
    // Crossing v with the axis after its largest component (x -> z, y -> x, z -> y)
    // can never give zero for a non-zero v.
    const int k = (v.largestAbsComponent() + 2) % 3;
    const Vec3 axis(k == 0 ? 1 : 0, k == 1 ? 1 : 0, k == 2 ? 1 : 0);
    *this = v.cross(axis);
    normalize();
}

void Vec3::applyMatrix4(const Mat4& m) {
    const double* e = m.e;
    const double px = x, py = y, pz = z;
    x = e[0] * px + e[4] * py + e[8] * pz + e[12];
    y = e[1] * px + e[5] * py + e[9] * pz + e[13];
    z = e[2] * px + e[6] * py + e[10] * pz + e[14];
}

void Vec3::applyProjection(const Mat4& m) {
    const double* e = m.e;
    const double px = x, py = y, pz = z;
    const double d = 1 / (e[3] * px + e[7] * py + e[11] * pz + e[15]);
    x = (e[0] * px + e[4] * py + e[8] * pz + e[12]) * d;
    y = (e[1] * px + e[5] * py + e[9] * pz + e[13]) * d;
    z = (e[2] * px + e[6] * py + e[10] * pz + e[14]) * d;
}

void Vec3::transformDirection(const Mat4& m) {
    const double* e = m.e;
    const double px = x, py = y, pz = z;
    x = e[0] * px + e[4] * py + e[8] * pz;
    y = e[1] * px + e[5] * py + e[9] * pz;
    z = e[2] * px + e[6] * py + e[10] * pz;
    normalize();
}

void Vec3::setFromMatrixPosition(const Mat4& m) { set(m.e[12], m.e[13], m.e[14]); }

void Vec3::setFromMatrixColumn(const Mat4& m, int index) {
    set(m.e[4 * index], m.e[4 * index + 1], m.e[4 * index + 2]);
}

void Vec3::applyQuaternion(const Quaternion& q) {
    const double qx = q.x, qy = q.y, qz = q.z, qw = q.w;
    const double ix = qw * x + qy * z - qz * y;
    const double iy = qw * y + qz * x - qx * z;
    const double iz = qw * z + qx * y - qy * x;
    const double iw = -qx * x - qy * y - qz * z;
    x = ix * qw + iw * -qx + iy * -qz - iz * -qy;
    y = iy * qw + iw * -qy + iz * -qx - ix * -qz;
    z = iz * qw + iw * -qz + ix * -qy - iy * -qx;
}

} // namespace Tavrolin::Fill
