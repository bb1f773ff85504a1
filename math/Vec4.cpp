#include "math/Vec4.h"

#include <cmath>

namespace Tavrolin::Fill {

bool Vec4::equal(const Vec4& o, double tolerance) const {
    const double dx = o.x - x, dy = o.y - y, dz = o.z - z, dw = o.w - w;
    return dx * dx + dy * dy + dz * dz + dw * dw < tolerance * tolerance;
}

double Vec4::length() const { return std::sqrt(lengthSquare()); }

double Vec4::lengthManhattan() const {
    return std::fabs(x) + std::fabs(y) + std::fabs(z) + std::fabs(w);
}

void Vec4::normalize() {
    if (isZero()) {
        set(1, 0, 0, 0);
        return;
    }
    mult(1.0 / length());
}

void Vec4::setLength(double newLength) {
    if (isZero()) {
        set(newLength, 0, 0, 0);
        return;
    }
    mult(newLength / length());
}

Vec4 Vec4::lerp(Vec4 a, Vec4 b, double t) {
    if (t == 0) {
        return a;
    }
    if (t == 1) {
        return b;
    }
    const double cosTheta = a.dot(b) / (a.length() * b.length());
    if (cosTheta < 0) {
        return lerp(a, b.negate(), t);
    }
    double wa, wb;
    if (1 - cosTheta < static_cast<double>(0.01f)) {
        // Nearly parallel: the sine weights lose precision, linear ones are as good.
        wa = 1 - t;
        wb = t;
    } else {
        const float theta = std::acos(static_cast<float>(cosTheta));
        const float s = std::sin(theta);
        const double inv = static_cast<double>(1.0f / s);
        wa = inv * static_cast<double>(std::sin(static_cast<float>(theta * (1 - t))));
        wb = inv * static_cast<double>(std::sin(static_cast<float>(theta * t)));
    }
    Vec4 r = a * wa + b * wb;
    r.normalize();
    return r;
}

} // namespace Tavrolin::Fill
