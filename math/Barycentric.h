#pragma once

#include "math/Color.h"
#include "math/Vec2.h"
#include "math/Vec3.h"
#include "math/Vec4.h"

namespace Tavrolin::Fill {

// Barycentric coordinates: u, v, w weigh a triangle's first, second and third corner.
// A degenerate triangle gives non-finite weights.
class Barycentric {
public:
    double u;
    double v;
    double w;

    Barycentric(double u, double v, double w) : u(u), v(v), w(w) {}
    // Coordinates of p in the triangle a, b, c (p projected onto its plane).
    Barycentric(const Vec2& a, const Vec2& b, const Vec2& c, const Vec2& p);
    Barycentric(const Vec3& a, const Vec3& b, const Vec3& c, const Vec3& p);
    Barycentric(const Vec4& a, const Vec4& b, const Vec4& c, const Vec4& p);
    // The colours' (r, g, b, a) taken as 4D points.
    Barycentric(const Color& a, const Color& b, const Color& c, const Color& p);

    bool isInside() const { return u >= 0 && u <= 1 && v >= 0 && v <= 1 && w >= 0; }

    Vec2 interpolate(const Vec2& a, const Vec2& b, const Vec2& c) const { return (a * u + b * v) + c * w; }
    Vec3 interpolate(const Vec3& a, const Vec3& b, const Vec3& c) const { return (a * u + b * v) + c * w; }
    Vec4 interpolate(const Vec4& a, const Vec4& b, const Vec4& c) const { return (a * u + b * v) + c * w; }
    Color interpolate(const Color& a, const Color& b, const Color& c) const {
        return (a * u + b * v) + c * w;
    }
};

// Signed difference a - b on a circle of the given period, wrapped once at most.
double cyclicDifference(double a, double b, double period);

} // namespace Tavrolin::Fill
