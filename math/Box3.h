#pragma once

#include "math/Vec3.h"

namespace Tavrolin::Fill {

// Axis-aligned 3D box given by its two corners. Empty when min exceeds max on any
// axis, or when both corners are exactly the origin. The empty box used for
// accumulation has min at the largest and max at the lowest finite double.
class Box3 {
public:
    Vec3 min;
    Vec3 max;

    Box3();
    Box3(Vec3 min, Vec3 max) : min(min), max(max) {}
    Box3(const Box3& o) : min(o.min), max(o.max) {}
    Box3& operator=(const Box3& o) {
        min = o.min;
        max = o.max;
        return *this;
    }

    bool operator==(const Box3& o) const { return min == o.min && max == o.max; }
    bool operator!=(const Box3& o) const { return !(*this == o); }

    void set(Vec3 newMin, Vec3 newMax) {
        min = newMin;
        max = newMax;
    }
    void makeEmpty();
    // count is the number of floats (a multiple of 3), not of points.
    void setFromArray(const float* array, int count);
    void setFromPoints(const Vec3* points, int count);
    void setFromCenterAndSize(Vec3 center, Vec3 size);
    void expandByPoint(Vec3 p);
    void expandByVector(Vec3 v);
    void expandByScalar(float s);
    void translate(Vec3 v);
    void unionBox(Box3 b);
    // In place: this becomes the intersection (the empty box when there is none).
    void intersects(Box3 b);
    bool isEmpty() const;
    Vec3 getCenter() const { return (min + max) * 0.5; }
    Vec3 getSize() const { return max - min; }
    bool containsPoint(const Vec3& p) const;
    bool containsBox(const Box3& b) const;
    // Boxes that only touch intersect.
    bool intersectsBox(const Box3& b) const;
    // 0 at min, 1 at max on each axis.
    Vec3 getParameter(const Vec3& p) const { return (p - min) / (max - min); }
    Vec3 clampPoint(Vec3 p) const;
    double distanceToPoint(Vec3 p) const;
};

} // namespace Tavrolin::Fill
