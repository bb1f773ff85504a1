#include "math/Euler.h"

#include "math/Mat4.h"
#include "math/Quaternion.h"

#include <algorithm>
#include <cmath>

namespace Tavrolin::Fill {

namespace {
// 0.999999 as a single-precision constant: beyond it the middle angle is treated as
// +-90 degrees (gimbal lock) and one outer angle is set to 0.
const double kGimbal = static_cast<double>(0.999999f);
constexpr double kTolerance = 1e-12;

double clampedAsin(double v) { return std::asin(std::clamp(v, -1.0, 1.0)); }
} // namespace

void Euler::set(double nx, double ny, double nz, RotationOrder newOrder) {
    x = nx;
    y = ny;
    z = nz;
    if (newOrder != Unspecified) {
        order = newOrder;
    }
}

void Euler::setWithMat4(const Mat4& mat, RotationOrder newOrder) {
    if (newOrder != Unspecified) {
        order = newOrder;
    }
    auto m = [&mat](int r, int c) { return mat.e[4 * c + r]; };
    switch (order) {
    case XYZ:
        y = clampedAsin(m(0, 2));
        if (std::fabs(m(0, 2)) < kGimbal) {
            x = std::atan2(-m(1, 2), m(2, 2));
            z = std::atan2(-m(0, 1), m(0, 0));
        } else {
            x = std::atan2(m(2, 1), m(1, 1));
            z = 0;
        }
        break;
    case YZX:
        z = clampedAsin(m(1, 0));
        if (std::fabs(m(1, 0)) < kGimbal) {
            x = std::atan2(-m(1, 2), m(1, 1));
            y = std::atan2(-m(2, 0), m(0, 0));
        } else {
            x = 0;
            y = std::atan2(m(0, 2), m(2, 2));
        }
        break;
    case ZXY:
        x = clampedAsin(m(2, 1));
        if (std::fabs(m(2, 1)) < kGimbal) {
            y = std::atan2(-m(2, 0), m(2, 2));
            z = std::atan2(-m(0, 1), m(1, 1));
        } else {
            y = 0;
            z = std::atan2(m(1, 0), m(0, 0));
        }
        break;
    case XZY:
        z = clampedAsin(-m(0, 1));
        if (std::fabs(m(0, 1)) < kGimbal) {
            x = std::atan2(m(2, 1), m(1, 1));
            y = std::atan2(m(0, 2), m(0, 0));
        } else {
            x = std::atan2(-m(1, 2), m(2, 2));
            y = 0;
        }
        break;
    case YXZ:
        x = clampedAsin(-m(1, 2));
        if (std::fabs(m(1, 2)) < kGimbal) {
            y = std::atan2(m(0, 2), m(2, 2));
            z = std::atan2(m(1, 0), m(1, 1));
        } else {
            y = std::atan2(-m(2, 0), m(0, 0));
            z = 0;
        }
        break;
    case ZYX:
        y = clampedAsin(-m(2, 0));
        if (std::fabs(m(2, 0)) < kGimbal) {
            x = std::atan2(m(2, 1), m(2, 2));
            z = std::atan2(m(1, 0), m(0, 0));
        } else {
            x = 0;
            z = std::atan2(-m(0, 1), m(1, 1));
        }
        break;
    default:
        break;
    }
}

void Euler::setWithQuaternion(const Quaternion& q, RotationOrder newOrder) {
    Mat4 m(true);
    m.setWithQuaternion(q);
    setWithMat4(m, newOrder);
}

bool Euler::operator==(const Euler& o) const {
    return std::fabs(x - o.x) <= kTolerance && std::fabs(y - o.y) <= kTolerance &&
           std::fabs(z - o.z) <= kTolerance && order == o.order;
}

} // namespace Tavrolin::Fill
