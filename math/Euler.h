#pragma once

#include <cstdint>

namespace Tavrolin::Fill {

class Mat4;
class Quaternion;

// Three rotation angles in radians and the order in which they combine. With Rx,
// Ry, Rz the single-axis matrices, XYZ stands for Rx Ry Rz (Rz acts first), and so on.
class Euler {
public:
    enum RotationOrder : int32_t {
        Unspecified = 0,
        XYZ = 1,
        YZX = 2,
        ZXY = 3,
        XZY = 4,
        YXZ = 5,
        ZYX = 6,
    };

    static constexpr RotationOrder mDefaultOrder = XYZ;

    double x;
    double y;
    double z;
    RotationOrder order;

    Euler() : x(0), y(0), z(0), order(mDefaultOrder) {}
    Euler(double x, double y, double z, RotationOrder order) : x(x), y(y), z(z), order(order) {}
    Euler(const Euler& o) : x(o.x), y(o.y), z(o.z), order(o.order) {}
    Euler& operator=(const Euler& o) {
        x = o.x;
        y = o.y;
        z = o.z;
        order = o.order;
        return *this;
    }

    // The order is changed only when it is not Unspecified.
    void set(double x, double y, double z, RotationOrder order);
    // From the rotation block of m; Unspecified uses the stored order.
    void setWithMat4(const Mat4& m, RotationOrder order);
    void setWithQuaternion(const Quaternion& q, RotationOrder order);

    bool operator==(const Euler& o) const;
    bool operator!=(const Euler& o) const { return !(*this == o); }
};

} // namespace Tavrolin::Fill
