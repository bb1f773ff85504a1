#pragma once

#include "math/Affine.h"
#include "math/Vec3.h"
#include "math/Vec4.h"

namespace Tavrolin::Fill {

class Quaternion;

// 4x4 matrix of doubles, stored column by column: e[4 * c + r] is row r, column c,
// the order an OpenGL matrix uniform takes untransposed. Vectors are columns
// multiplied on the right (M v); a product A B applies B first. Angles are radians.
class Mat4 {
public:
    double e[16];

    // Identity when true, all zeros when false.
    explicit Mat4(bool identity = true);
    // columnMajor true: value i goes to e[i]; false: value 4 r + c goes to row r, column c.
    Mat4(double v0, double v1, double v2, double v3, double v4, double v5, double v6, double v7,
         double v8, double v9, double v10, double v11, double v12, double v13, double v14,
         double v15, bool columnMajor);
    Mat4(const double* values, bool columnMajor);
    // rows true: a, b, c, d become rows 0 to 3; false: they become columns 0 to 3.
    Mat4(const Vec4& a, const Vec4& b, const Vec4& c, const Vec4& d, bool rows);
    Mat4(const Mat4& o);
    Mat4& operator=(const Mat4& o);

    // Values row by row.
    void set(double v0, double v1, double v2, double v3, double v4, double v5, double v6, double v7,
             double v8, double v9, double v10, double v11, double v12, double v13, double v14,
             double v15);
    void setZero();
    void setIdentity();
    static Mat4 identity();
    void setRow(int r, const Vec4& v);
    void setColumn(int c, const Vec4& v);
    Vec4 getRow(int r) const;
    Vec4 getColumn(int c) const;
    // Writes the translation only.
    void position(const Vec3& p);
    void setWithAffine(const Affine& a);
    Affine getAffine() const;

    bool operator==(const Mat4& o) const;
    bool operator!=(const Mat4& o) const { return !(*this == o); }
    Mat4 operator+(const Mat4& o) const;
    Mat4 operator-(const Mat4& o) const;
    void add(const Mat4& o);
    void subtract(const Mat4& o);
    static void add(const Mat4& a, const Mat4& b, Mat4& out);
    static void subtract(const Mat4& a, const Mat4& b, Mat4& out);
    Mat4 operator*(double s) const;

    // out = a b; out may be a or b.
    static void mult(const Mat4& a, const Mat4& b, Mat4& out);
    Mat4 operator*(const Mat4& m) const;
    void mult(const Mat4& m);
    Vec4 operator*(const Vec4& v) const;
    Vec4 mult(const Vec4& v) const;
    // M (v, 1) without a perspective divide.
    Vec3 operator*(const Vec3& v) const;
    Vec3 mult(const Vec3& v) const;
    Vec3 multWithoutTranslate(const Vec3& v) const;
    Vec3 multAndProject(const Vec3& v) const;

    void setTranslate(const Vec3& t);
    void setTranslate(double x, double y, double z);
    void setScale(const Vec3& s);
    void setScale(double x, double y, double z);
    void setXRotation(double a);
    void setYRotation(double a);
    void setZRotation(double a);
    void setRotation(double angle, const Vec3& axis);
    void setRotation(double angle, double x, double y, double z);
    void setWithQuaternion(const Quaternion& q);
    void setPerspective(double fovy, double aspect, double near, double far);
    void setFrustum(double left, double right, double bottom, double top, double near, double far);
    // y = bottom maps to +1 and y = top to -1.
    void setOrtho(double left, double right, double bottom, double top, double near, double far);
    // Writes the upper-left 3x3 block only.
    void setLookAt(Vec3 eye, Vec3 target, Vec3 up);
    void setLookAt(double eyeX, double eyeY, double eyeZ, double targetX, double targetY,
                   double targetZ, double upX, double upY, double upZ);
    // T(position) R(q) S(scale).
    void compose(const Vec3& position, const Quaternion& q, const Vec3& scale);
    // v -> position + R(q) (scale * (v - pivot)).
    void compose(const Vec3& pivot, const Vec3& position, const Quaternion& q, const Vec3& scale);
    // Host layer frame (top-left origin, y down) to a centered, y-up, z-reversed frame.
    static Mat4 getAEToGLConversionMatrix(double width, double height);

    // this = this X: X acts first on a vector.
    void translate(double x, double y, double z);
    void translate(const Vec3& t);
    void translate(const Vec4& t);
    void scale(double x, double y, double z);
    void scale(const Vec3& s);
    void scale(const Vec4& s);
    void rotate(double angle, double x, double y, double z);
    void rotate(double angle, const Vec3& axis);
    void rotate(double angle, const Vec4& axis);
    void rotateX(double a);
    void rotateY(double a);
    void rotateZ(double a);

    // False, with out set to the identity, when the determinant is exactly 0.
    bool getInverse(Mat4& out) const;
    double determinant() const;
    void setTranspose();
    void transpose(Mat4& out) const;
    double getMaxScaleOnAxis() const;
    void decompose(Vec3& position, Quaternion& q, Vec3& scale) const;
    void decompose(const Vec3& pivot, Vec3& position, Quaternion& q, Vec3& scale) const;

private:
    double& at(int r, int c) { return e[4 * c + r]; }
    double at(int r, int c) const { return e[4 * c + r]; }
};

} // namespace Tavrolin::Fill
