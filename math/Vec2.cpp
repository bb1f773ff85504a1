#include "math/Vec2.h"

#include <cmath>

namespace Tavrolin::Fill {

namespace {

int signOf(double v) { return v > 0 ? 1 : (v < 0 ? -1 : 0); }

bool nearZero(double v) { return v > -Vec2::kEpsilon && v < Vec2::kEpsilon; }

// Product of v with (p - q), in the grouping the anchor helpers have always used.
double anchorProduct(const Vec2& v, const Vec2& p, const Vec2& q) {
    return v.x * p.x - v.x * q.x + v.y * p.y - v.y * q.y;
}

} // namespace

void Vec2::fromArray(const double* array, int index) {
    if (!array) {
        return;
    }
    x = array[index];
    y = array[index + 1];
}

bool Vec2::operator==(const Vec2& o) const { return equal(o, kEpsilon); }

bool Vec2::equal(const Vec2& o, double tolerance) const {
    return std::fabs(o.x - x) <= tolerance && std::fabs(o.y - y) <= tolerance;
}

bool Vec2::equalWithTolerance(double x1, double y1, double x2, double y2, double tolerance) {
    const double dx = x2 - x1;
    const double dy = y2 - y1;
    return dx * dx + dy * dy < tolerance * tolerance;
}

bool Vec2::equalWithTolerance(Vec2 a, Vec2 b, double tolerance) {
    return equalWithTolerance(a.x, a.y, b.x, b.y, tolerance);
}

bool Vec2::isCollinear(const Vec2& o) const {
    return std::fabs(x * o.y - y * o.x) <= kEpsilon * std::sqrt(lengthSquare() * o.lengthSquare());
}

bool Vec2::isOrthogonal(const Vec2& o) const {
    return std::fabs(x * o.x + y * o.y) <= kEpsilon * std::sqrt(lengthSquare() * o.lengthSquare());
}

bool Vec2::negligible() const { return nearZero(x) && nearZero(y); }

bool Vec2::negligible(double value) { return nearZero(value); }

bool Vec2::isDuplicate(const Vec2& a, const Vec2& b) {
    return std::fabs(b.x - a.x) < 0.25 && std::fabs(b.y - a.y) < 0.25;
}

Vec2 Vec2::modulo(const Vec2& o) const { return Vec2(std::fmod(x, o.x), std::fmod(y, o.y)); }

double Vec2::length() const { return std::sqrt(x * x + y * y); }

double Vec2::distance(const Vec2& o) const { return std::sqrt(distanceSquared(*this, o)); }

double Vec2::distanceSquared(const Vec2& a, const Vec2& b) {
    const double dx = a.x - b.x;
    const double dy = a.y - b.y;
    return dx * dx + dy * dy;
}

Vec2 Vec2::project(const Vec2& onto) const {
    if (onto.isZero()) {
        return Vec2();
    }
    return onto * (dot(onto) / onto.lengthSquare());
}

double Vec2::distanceToLine(const Vec2& a, const Vec2& b) const {
    const Vec2 d = b - a;
    const double t = (*this - a).dot(d) / d.lengthSquare();
    return (*this - (a + d * t)).length();
}

double Vec2::lineProjectionLength(const Vec2& a, const Vec2& b) const {
    const Vec2 d = b - a;
    const double t = (*this - a).dot(d) / d.lengthSquare();
    return (d * t).length();
}

double Vec2::signedArea(const Vec2& a, const Vec2& b, const Vec2& c) {
    return (b.x - a.x) * (c.y - a.y) - (c.x - a.x) * (b.y - a.y);
}

void Vec2::normalize() {
    if (isZero()) {
        // A direction is needed even for the zero vector; +x is the convention.
        set(1, 0);
        return;
    }
    mult(1.0 / length());
}

double Vec2::normalize(double* px, double* py) {
    const double l = std::sqrt(*px * *px + *py * *py);
    if (l > kEpsilon) {
        const double inv = 1.0 / l;
        *px *= inv;
        *py *= inv;
    }
    return l;
}

void Vec2::setLength(double newLength) {
    if (isZero()) {
        set(newLength, 0);
        return;
    }
    mult(newLength / length());
}

void Vec2::prepen() { set(-y, x); }

double Vec2::getAngle() const {
    // atan2(0, -0) would be 180; the zero vector has angle 0 whatever its zero signs.
    if (isZero()) {
        return 0;
    }
    return std::atan2(y, x) * kRadToDeg;
}

void Vec2::setAngle(double degrees) {
    const double l = length();
    const double t = degrees * kDegToRad;
    set(l * std::cos(t), l * std::sin(t));
}

double Vec2::angleBetween(const Vec2& o) const {
    return std::atan2(x * o.y - y * o.x, x * o.x + y * o.y) * kRadToDeg;
}

int Vec2::getQuadrant() const {
    if (x >= 0) {
        return y >= 0 ? 1 : 4;
    }
    return y >= 0 ? 2 : 3;
}

void Vec2::rotate(double degrees) {
    if (degrees == 0) {
        return;
    }
    const double t = degrees * kDegToRad;
    const double c = std::cos(t);
    const double s = std::sin(t);
    set(x * c - y * s, x * s + y * c);
}

Vec2 Vec2::rotateRound(double degrees, const Vec2& center) const {
    Vec2 r(*this);
    r.rotateAround(degrees, center);
    return r;
}

void Vec2::rotateAround(double degrees, const Vec2& center) {
    if (degrees == 0) {
        return;
    }
    Vec2 d = *this - center;
    d.rotate(degrees);
    set(d + center);
}

Vec2 Vec2::lerp(Vec2 a, Vec2 b, double t) { return a * (1 - t) + b * t; }

void Vec2::getMin(const Vec2& o) {
    x = o.x < x ? o.x : x;
    y = o.y < y ? o.y : y;
}

void Vec2::getMax(const Vec2& o) {
    x = x > o.x ? x : o.x;
    y = y > o.y ? y : o.y;
}

namespace {
double clampComponent(double v, double lo, double hi) {
    const double capped = v < hi ? v : hi;
    return capped < lo ? lo : capped;
}
} // namespace

void Vec2::clamp(const Vec2& min, const Vec2& max) {
    x = clampComponent(x, min.x, max.x);
    y = clampComponent(y, min.y, max.y);
}

void Vec2::followSigns(const Vec2& reference) {
    if ((x > 0) != (reference.x > 0)) {
        x = -x;
    }
    if ((y > 0) != (reference.y > 0)) {
        y = -y;
    }
}

Vec2 Vec2::centerToTopLefetPoint(const Vec2& point, const Vec2& size) {
    return Vec2(point.x + size.x / 2, size.y / 2 - point.y);
}

Vec2 Vec2::topLeftToCenterPoint(const Vec2& point, const Vec2& size) {
    return Vec2(point.x - size.x / 2, size.y / 2 - point.y);
}

bool Vec2::intersecting(const Vec2& a, const Vec2& b, const Vec2& c, const Vec2& d) {
    const Vec2 ab = b - a;
    const double s1 = ab.cross(c - a);
    const double s2 = ab.cross(d - a);
    return (s1 > 0) != (s2 > 0);
}

bool Vec2::oppositeQuadrant(const Vec2& a, const Vec2& b) {
    const int ax = signOf(a.x), bx = signOf(b.x);
    const int ay = signOf(a.y), by = signOf(b.y);
    const bool xDiffer = ax != bx;
    const bool yDiffer = ay != by;
    const bool xBothZero = ax == 0 && bx == 0;
    const bool yBothZero = ay == 0 && by == 0;
    return (xDiffer && yDiffer) || (xDiffer && yBothZero) || (xBothZero && yDiffer);
}

bool Vec2::anchorOutwardD(const Vec2& v, const Vec2& p, const Vec2& q) {
    return anchorProduct(v, p, q) > 0;
}

bool Vec2::anchorOutward(Vec2& v, const Vec2& p, const Vec2& q, bool flag) {
    if ((anchorProduct(v, p, q) > 0) == flag) {
        v = v.negate();
        return true;
    }
    return false;
}

void Vec2::anchorInward(Vec2& v, const Vec2& p, const Vec2& q) {
    if (anchorProduct(v, p, q) > 0) {
        v = v.negate();
    }
}

unsigned int Vec2::intersect(const Vec2& p1, const Vec2& p2, const Vec2& p3, const Vec2& p4,
                             Vec2& out, double* ua, double* ub) {
    const double d = (p2.x - p1.x) * (p4.y - p3.y) - (p2.y - p1.y) * (p4.x - p3.x);
    const double na = (p1.y - p3.y) * (p4.x - p3.x) - (p1.x - p3.x) * (p4.y - p3.y);
    const double nb = (p1.y - p3.y) * (p2.x - p1.x) - (p1.x - p3.x) * (p2.y - p1.y);
    if (nearZero(na) && nearZero(nb) && nearZero(d)) {
        out.set((p1.x + p2.x) * 0.5, (p1.y + p2.y) * 0.5);
        return 2;
    }
    if (nearZero(d)) {
        out.setZero();
        return 0;
    }
    const double a = na / d;
    const double b = nb / d;
    if (ua) {
        *ua = a;
    }
    if (ub) {
        *ub = b;
    }
    out.set(p1.x + a * (p2.x - p1.x), p1.y + a * (p2.y - p1.y));
    const bool aOut = a < 0 || a > 1;
    const bool bOut = b < 0 || b > 1;
    if (aOut && bOut) {
        return 5;
    }
    if (aOut) {
        return 3;
    }
    if (bOut) {
        return 4;
    }
    return 1;
}

} // namespace Tavrolin::Fill
