#pragma once

#include "math/Vec2.h"

namespace Tavrolin::Fill {

// 2D affine transform [[a, c, e], [b, d, f], [0, 0, 1]], mapping (x, y) to
// (a x + c y + e, b x + d y + f). Stored row by row; the six-value constructor and
// set() take a, b, c, d, e, f (column by column). Angles are in degrees.
class Affine {
public:
    double a;
    double c;
    double e;
    double b;
    double d;
    double f;

    // Identity when true, all zeros when false.
    explicit Affine(bool identity = true);
    Affine(double a, double b, double c, double d, double e, double f);
    Affine(const Affine& o);
    Affine& operator=(const Affine& o);

    bool operator==(const Affine& o) const;
    bool operator!=(const Affine& o) const { return !(*this == o); }

    void set(double a, double b, double c, double d, double e, double f);
    // Layer transform T(position) R(degrees) S(scale) T(-anchor): the anchor lands on position.
    void set(Vec2 anchor, Vec2 position, Vec2 scale, double degrees);
    void setTranslate(double x, double y);
    void setScale(double x, double y);
    void setSkewX(double degrees);
    void setSkewY(double degrees);
    void setRotate(double degrees);

    // Each of these is this = this * X: X acts first on a point.
    void translate(double x, double y);
    void scale(double x, double y);
    void skewX(double degrees);
    void skewY(double degrees);
    void rotate(double degrees);

    // this = o * this: o acts after this (the operand goes on the left).
    void multiply(const Affine& o);
    // this = this * o: o acts before this (the operand goes on the right).
    void premultiply(const Affine& o);

    // False, leaving out untouched, when |det| < 1e-6; out may be this object.
    bool inverse(Affine& out) const;
    // The inverse, or the identity when |det| < 1e-6.
    Affine getInverse() const;
    // Mean length of the two columns to four decimals, at single-precision accuracy.
    double averageScale() const;

    void transform(Vec2& p) const;
    Vec2 getTransform(const Vec2& p) const;
    void transform(double x, double y, double* outX, double* outY) const;
    void transform(double& x, double& y) const;
};

} // namespace Tavrolin::Fill
