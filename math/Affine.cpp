#include "math/Affine.h"

#include <cmath>

namespace Tavrolin::Fill {

namespace {
constexpr double kTolerance = 1e-12;
constexpr double kSingular = 1e-6;

double radians(double degrees) { return degrees * Vec2::kDegToRad; }

// this * o for [[a, c, e], [b, d, f]] matrices.
Affine product(const Affine& l, const Affine& r) {
    return Affine(l.a * r.a + l.c * r.b, l.b * r.a + l.d * r.b, l.a * r.c + l.c * r.d,
                  l.b * r.c + l.d * r.d, l.a * r.e + l.c * r.f + l.e, l.b * r.e + l.d * r.f + l.f);
}
} // namespace

Affine::Affine(bool identity)
    : a(identity ? 1 : 0), c(0), e(0), b(0), d(identity ? 1 : 0), f(0) {}

Affine::Affine(double a, double b, double c, double d, double e, double f)
    : a(a), c(c), e(e), b(b), d(d), f(f) {}

Affine::Affine(const Affine& o) : a(o.a), c(o.c), e(o.e), b(o.b), d(o.d), f(o.f) {}

Affine& Affine::operator=(const Affine& o) {
    set(o.a, o.b, o.c, o.d, o.e, o.f);
    return *this;
}

bool Affine::operator==(const Affine& o) const {
    return std::fabs(a - o.a) <= kTolerance && std::fabs(b - o.b) <= kTolerance &&
           std::fabs(c - o.c) <= kTolerance && std::fabs(d - o.d) <= kTolerance &&
           std::fabs(e - o.e) <= kTolerance && std::fabs(f - o.f) <= kTolerance;
}

void Affine::set(double na, double nb, double nc, double nd, double ne, double nf) {
    a = na;
    b = nb;
    c = nc;
    d = nd;
    e = ne;
    f = nf;
}

void Affine::set(Vec2 anchor, Vec2 position, Vec2 scale, double degrees) {
    const double t = radians(degrees);
    const double s = std::sin(t);
    const double k = std::cos(t);
    a = scale.x * k;
    c = -scale.y * s;
    b = scale.x * s;
    d = scale.y * k;
    e = position.x - (scale.x * k * anchor.x - scale.y * s * anchor.y);
    f = position.y - (scale.x * s * anchor.x + scale.y * k * anchor.y);
}

void Affine::setTranslate(double x, double y) { set(1, 0, 0, 1, x, y); }

void Affine::setScale(double x, double y) { set(x, 0, 0, y, 0, 0); }

void Affine::setSkewX(double degrees) { set(1, 0, std::tan(radians(degrees)), 1, 0, 0); }

void Affine::setSkewY(double degrees) { set(1, std::tan(radians(degrees)), 0, 1, 0, 0); }

void Affine::setRotate(double degrees) {
    const double t = radians(degrees);
    const double s = std::sin(t);
    const double k = std::cos(t);
    set(k, s, -s, k, 0, 0);
}

void Affine::translate(double x, double y) {
    e += a * x + c * y;
    f += b * x + d * y;
}

void Affine::scale(double x, double y) {
    a *= x;
    b *= x;
    c *= y;
    d *= y;
}

void Affine::skewX(double degrees) {
    const double t = std::tan(radians(degrees));
    c += a * t;
    d += b * t;
}

void Affine::skewY(double degrees) {
    const double t = std::tan(radians(degrees));
    a += c * t;
    b += d * t;
}

void Affine::rotate(double degrees) {
    const double t = radians(degrees);
    const double s = std::sin(t);
    const double k = std::cos(t);
    const double na = a * k + c * s;
    const double nc = -a * s + c * k;
    const double nb = b * k + d * s;
    const double nd = -b * s + d * k;
    a = na;
    c = nc;
    b = nb;
    d = nd;
}

void Affine::multiply(const Affine& o) { *this = product(o, *this); }

void Affine::premultiply(const Affine& o) { *this = product(*this, o); }

bool Affine::inverse(Affine& out) const {
    const double det = a * d - c * b;
    if (det > -kSingular && det < kSingular) {
        return false;
    }
    const double r = 1 / det;
    // All six are computed before out is written, so out may be this object.
    const Affine inv(d * r, -b * r, -c * r, a * r, (c * f - d * e) * r, (b * e - a * f) * r);
    out = inv;
    return true;
}

Affine Affine::getInverse() const {
    Affine out(true);
    if (!inverse(out)) {
        return Affine(true);
    }
    return out;
}

double Affine::averageScale() const {
    const double sx = std::sqrt(a * a + b * b);
    const double sy = std::sqrt(c * c + d * d);
    const double m = (sx + sy) * 0.5 * 10000;
    return static_cast<double>(std::round(static_cast<float>(m)) / 10000.0f);
}

void Affine::transform(Vec2& p) const { transform(p.x, p.y); }

Vec2 Affine::getTransform(const Vec2& p) const {
    return Vec2(a * p.x + c * p.y + e, b * p.x + d * p.y + f);
}

void Affine::transform(double x, double y, double* outX, double* outY) const {
    const double nx = a * x + c * y + e;
    const double ny = b * x + d * y + f;
    *outX = nx;
    *outY = ny;
}

void Affine::transform(double& x, double& y) const { transform(x, y, &x, &y); }

} // namespace Tavrolin::Fill
