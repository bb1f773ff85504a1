// Element-wise near-equality checks for the math tests; a failure names the
// element that is off.
#pragma once

#include <gtest/gtest.h>

#include "math/Mat4.h"
#include "math/Quaternion.h"
#include "math/Vec3.h"

namespace Tavrolin::Fill {

inline void expectNear(const Vec3& a, const Vec3& b, double tolerance) {
    EXPECT_NEAR(a.x, b.x, tolerance);
    EXPECT_NEAR(a.y, b.y, tolerance);
    EXPECT_NEAR(a.z, b.z, tolerance);
}

inline void expectNear(const Quaternion& a, const Quaternion& b, double tolerance) {
    EXPECT_NEAR(a.x, b.x, tolerance);
    EXPECT_NEAR(a.y, b.y, tolerance);
    EXPECT_NEAR(a.z, b.z, tolerance);
    EXPECT_NEAR(a.w, b.w, tolerance);
}

inline void expectNear(const Mat4& a, const Mat4& b, double tolerance) {
    for (int i = 0; i < 16; ++i) {
        EXPECT_NEAR(a.e[i], b.e[i], tolerance) << "element " << i;
    }
}

}  // namespace Tavrolin::Fill
