#include "math/Barycentric.h"

namespace Tavrolin::Fill {

namespace {

// The same steps for every point type; c is the origin.
template <typename P>
void solve(const P& a, const P& b, const P& c, const P& p, double& u, double& v, double& w) {
    const P e0 = b - c;
    const P e1 = a - c;
    const P e2 = p - c;
    const double d00 = e0.dot(e0);
    const double d11 = e1.dot(e1);
    const double d01 = e0.dot(e1);
    const double d20 = e2.dot(e0);
    const double d21 = e2.dot(e1);
    const double denom = d11 * d00 - d01 * d01;
    u = (d00 * d21 - d20 * d01) / denom;
    v = (d11 * d20 - d21 * d01) / denom;
    w = 1 - u - v;
}

Vec4 asPoint(const Color& c) { return Vec4(c.r(), c.g(), c.b(), c.a()); }

} // namespace

Barycentric::Barycentric(const Vec2& a, const Vec2& b, const Vec2& c, const Vec2& p) {
    solve(a, b, c, p, u, v, w);
}

Barycentric::Barycentric(const Vec3& a, const Vec3& b, const Vec3& c, const Vec3& p) {
    solve(a, b, c, p, u, v, w);
}

Barycentric::Barycentric(const Vec4& a, const Vec4& b, const Vec4& c, const Vec4& p) {
    solve(a, b, c, p, u, v, w);
}

Barycentric::Barycentric(const Color& a, const Color& b, const Color& c, const Color& p) {
    solve(asPoint(a), asPoint(b), asPoint(c), asPoint(p), u, v, w);
}

double cyclicDifference(double a, double b, double period) {
    const double d = a - b;
    const double half = period * 0.5;
    if (d > half) {
        return d - period;
    }
    if (d < -half) {
        return d + period;
    }
    return d;
}

} // namespace Tavrolin::Fill
