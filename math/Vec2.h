#pragma once

namespace Tavrolin::Fill {

// Two-dimensional vector of doubles. Angles are in degrees; positive angles turn
// counter-clockwise in a y-up frame.
class Vec2 {
public:
    double x;
    double y;

    // Degrees to radians uses this fifteen-digit value, not full-precision pi/180;
    // results (rotate(90) giving x of about 2.6e-14) depend on it.
    static constexpr double kDegToRad = 0.017453292519943;
    static constexpr double kRadToDeg = 57.29577951308232;
    static constexpr double kEpsilon = 1e-12;

    Vec2() : x(0), y(0) {}
    Vec2(double x, double y) : x(x), y(y) {}
    Vec2(const Vec2& o) : x(o.x), y(o.y) {}
    Vec2& operator=(const Vec2& o) {
        x = o.x;
        y = o.y;
        return *this;
    }

    void set(double nx, double ny) {
        x = nx;
        y = ny;
    }
    void set(const Vec2& other) {
        x = other.x;
        y = other.y;
    }
    void setZero() { x = y = 0; }
    // A null array leaves the vector unchanged.
    void fromArray(const double* array, int index);

    bool operator==(const Vec2& o) const;
    bool operator!=(const Vec2& o) const { return !(*this == o); }
    bool equal(const Vec2& o, double tolerance) const;
    bool isZero() const { return x == 0 && y == 0; }
    static bool equalWithTolerance(double x1, double y1, double x2, double y2, double tolerance);
    static bool equalWithTolerance(Vec2 a, Vec2 b, double tolerance);
    bool isCollinear(const Vec2& o) const;
    bool isOrthogonal(const Vec2& o) const;
    bool negligible() const;
    static bool negligible(double value);
    bool nonNegligible() const { return !negligible(); }
    static bool isDuplicate(const Vec2& a, const Vec2& b);

    void add(const Vec2& o) { x += o.x; y += o.y; }
    void add(double s) { x += s; y += s; }
    void sub(const Vec2& o) { x -= o.x; y -= o.y; }
    void sub(double s) { x -= s; y -= s; }
    void mult(const Vec2& o) { x *= o.x; y *= o.y; }
    void mult(double s) { x *= s; y *= s; }
    void divide(const Vec2& o) { x /= o.x; y /= o.y; }
    void divide(double s) { x /= s; y /= s; }
    Vec2& operator+=(const Vec2& o) { add(o); return *this; }
    Vec2& operator+=(double s) { add(s); return *this; }
    Vec2& operator-=(const Vec2& o) { sub(o); return *this; }
    Vec2& operator-=(double s) { sub(s); return *this; }
    Vec2& operator*=(const Vec2& o) { mult(o); return *this; }
    Vec2& operator*=(double s) { mult(s); return *this; }
    Vec2& operator/=(const Vec2& o) { divide(o); return *this; }
    Vec2& operator/=(double s) { divide(s); return *this; }
    Vec2 operator+(const Vec2& o) const { return Vec2(x + o.x, y + o.y); }
    Vec2 operator+(double s) const { return Vec2(x + s, y + s); }
    Vec2 operator-(const Vec2& o) const { return Vec2(x - o.x, y - o.y); }
    Vec2 operator-(double s) const { return Vec2(x - s, y - s); }
    Vec2 operator*(const Vec2& o) const { return Vec2(x * o.x, y * o.y); }
    Vec2 operator*(double s) const { return Vec2(x * s, y * s); }
    Vec2 operator/(const Vec2& o) const { return Vec2(x / o.x, y / o.y); }
    Vec2 operator/(double s) const { return Vec2(x / s, y / s); }
    // Floating remainder with the quotient truncated toward zero (sign of the dividend).
    Vec2 modulo(const Vec2& o) const;
    Vec2 operator%(const Vec2& o) const { return modulo(o); }
    Vec2 negate() const { return Vec2(-x, -y); }

    double dot(const Vec2& o) const { return x * o.x + y * o.y; }
    Vec2 dotProduction(const Vec2& o) const { return Vec2(x * o.x, y * o.y); }
    double cross(const Vec2& o) const { return x * o.y - y * o.x; }
    static double cross(double a, double b, double c, double d) { return a * d - b * c; }
    double length() const;
    double lengthSquare() const { return x * x + y * y; }
    double distance(const Vec2& o) const;
    static double distanceSquared(const Vec2& a, const Vec2& b);
    double slope() const { return y / x; }
    Vec2 project(const Vec2& onto) const;
    double distanceToLine(const Vec2& a, const Vec2& b) const;
    double lineProjectionLength(const Vec2& a, const Vec2& b) const;
    // Twice the signed triangle area, positive counter-clockwise (y up).
    static double signedArea(const Vec2& a, const Vec2& b, const Vec2& c);

    void normalize();
    static double normalize(double* x, double* y);
    void setLength(double length);
    Vec2 normal() const { return Vec2(-y, x); }
    Vec2 perpindicularLeft() const { return Vec2(-y, x); }
    Vec2 perpindicularRight() const { return Vec2(y, -x); }
    void prepen();
    double getAngle() const;
    void setAngle(double degrees);
    double angleBetween(const Vec2& o) const;
    int getQuadrant() const;
    void rotate(double degrees);
    Vec2 rotateRound(double degrees, const Vec2& center) const;
    void rotateAround(double degrees, const Vec2& center);
    static Vec2 lerp(Vec2 a, Vec2 b, double t);
    void getMin(const Vec2& o);
    void getMax(const Vec2& o);
    // When min > max the min bound wins.
    void clamp(const Vec2& min, const Vec2& max);
    void followSigns(const Vec2& reference);

    // Center-relative y-up point <-> top-left-relative y-down point in a frame of `size`.
    static Vec2 centerToTopLefetPoint(const Vec2& point, const Vec2& size);
    static Vec2 topLeftToCenterPoint(const Vec2& point, const Vec2& size);

    static bool intersecting(const Vec2& a, const Vec2& b, const Vec2& c, const Vec2& d);
    static bool oppositeQuadrant(const Vec2& a, const Vec2& b);
    static bool anchorOutwardD(const Vec2& v, const Vec2& p, const Vec2& q);
    static bool anchorOutward(Vec2& v, const Vec2& p, const Vec2& q, bool flag);
    static void anchorInward(Vec2& v, const Vec2& p, const Vec2& q);
    // Intersection of the lines p1-p2 and p3-p4. Codes: 0 parallel, 1 crossing within
    // both segments, 2 coincident (out = midpoint of p1-p2), 3 ua outside [0, 1],
    // 4 ub outside, 5 both outside. ua/ub are written (when not null) for 1, 3, 4, 5.
    static unsigned int intersect(const Vec2& p1, const Vec2& p2, const Vec2& p3, const Vec2& p4,
                                  Vec2& out, double* ua, double* ub);
};

} // namespace Tavrolin::Fill
