#include "math/Box3.h"

#include <limits>

namespace Tavrolin::Fill {

namespace {
constexpr double kHighest = std::numeric_limits<double>::max();
constexpr double kLowest = std::numeric_limits<double>::lowest();
} // namespace

Box3::Box3() : min(kHighest, kHighest, kHighest), max(kLowest, kLowest, kLowest) {}

void Box3::makeEmpty() { *this = Box3(); }

void Box3::setFromArray(const float* array, int count) {
    makeEmpty();
    for (int i = 0; i < count; i += 3) {
        expandByPoint(Vec3(array[i], array[i + 1], array[i + 2]));
    }
}

void Box3::setFromPoints(const Vec3* points, int count) {
    makeEmpty();
    if (!points || count == 0) {
        return;
    }
    min = max = points[0];
    for (int i = 1; i < count; ++i) {
        expandByPoint(points[i]);
    }
}

void Box3::setFromCenterAndSize(Vec3 center, Vec3 size) {
    const Vec3 half = size * 0.5;
    min = center - half;
    max = center + half;
}

void Box3::expandByPoint(Vec3 p) {
    min.getMin(p);
    max.getMax(p);
}

void Box3::expandByVector(Vec3 v) {
    min -= v;
    max += v;
}

void Box3::expandByScalar(float s) {
    min -= static_cast<double>(s);
    max += static_cast<double>(s);
}

void Box3::translate(Vec3 v) {
    min += v;
    max += v;
}

void Box3::unionBox(Box3 b) {
    min.getMin(b.min);
    max.getMax(b.max);
}

void Box3::intersects(Box3 b) {
    min.getMax(b.min);
    max.getMin(b.max);
    if (isEmpty()) {
        makeEmpty();
    }
}

bool Box3::isEmpty() const {
    if (min.x > max.x || min.y > max.y || min.z > max.z) {
        return true;
    }
    return min.isZero() && max.isZero();
}

bool Box3::containsPoint(const Vec3& p) const {
    return min.x <= p.x && p.x <= max.x && min.y <= p.y && p.y <= max.y && min.z <= p.z &&
           p.z <= max.z;
}

bool Box3::containsBox(const Box3& b) const {
    return min.x <= b.min.x && b.max.x <= max.x && min.y <= b.min.y && b.max.y <= max.y &&
           min.z <= b.min.z && b.max.z <= max.z;
}

bool Box3::intersectsBox(const Box3& b) const {
    return !(min.x > b.max.x || b.min.x > max.x || min.y > b.max.y || b.min.y > max.y ||
             min.z > b.max.z || b.min.z > max.z);
}

Vec3 Box3::clampPoint(Vec3 p) const {
    p.clamp(min, max);
    return p;
}

double Box3::distanceToPoint(Vec3 p) const { return (clampPoint(p) - p).length(); }

} // namespace Tavrolin::Fill
