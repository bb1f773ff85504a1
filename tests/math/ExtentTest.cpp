#include "math/Box3.h"
#include "math/Range.h"
#include "math/Rect.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace Tavrolin::Fill {
namespace {

const double kMax = std::numeric_limits<double>::max();

TEST(Box3, Emptiness) {
    const Box3 empty;
    EXPECT_TRUE(empty.isEmpty());
    EXPECT_EQ(empty.min, Vec3(kMax));
    EXPECT_EQ(empty.max, Vec3(-kMax));
    Box3 point;
    point.expandByPoint(Vec3(-5, -5, -5));
    EXPECT_FALSE(point.isEmpty());
    EXPECT_EQ(point, Box3(Vec3(-5, -5, -5), Vec3(-5, -5, -5)));
    EXPECT_TRUE(Box3(Vec3(0, 0, 0), Vec3(0, 0, 0)).isEmpty());
    EXPECT_FALSE(Box3(Vec3(1, 1, 1), Vec3(1, 1, 1)).isEmpty());
    EXPECT_TRUE(Box3(Vec3(0, 0, 1), Vec3(1, 1, 0)).isEmpty()); // inverted on z
    Box3 b(Vec3(0, 0, 0), Vec3(1, 1, 1));
    b.makeEmpty();
    EXPECT_EQ(b, Box3());
}

TEST(Box3, Accumulation) {
    const float values[] = {1, 2, 3, -1, 5, 0};
    Box3 a(Vec3(9, 9, 9), Vec3(10, 10, 10));
    a.setFromArray(values, 6);
    EXPECT_EQ(a, Box3(Vec3(-1, 2, 0), Vec3(1, 5, 3)));
    a.setFromArray(values, 0);
    EXPECT_TRUE(a.isEmpty());

    const Vec3 points[] = {{1, 2, 3}, {-1, 5, 0}, {0, 0, 4}};
    Box3 p;
    p.setFromPoints(points, 3);
    EXPECT_EQ(p, Box3(Vec3(-1, 0, 0), Vec3(1, 5, 4)));
    p.setFromPoints(points, -2); // a negative count gives the box of the first point
    EXPECT_EQ(p, Box3(points[0], points[0]));
    p.setFromPoints(nullptr, 3);
    EXPECT_EQ(p, Box3());
    p.setFromPoints(points, 0);
    EXPECT_EQ(p, Box3());

    Box3 c;
    c.setFromCenterAndSize(Vec3(1, 1, 1), Vec3(2, 4, 6));
    EXPECT_EQ(c, Box3(Vec3(0, -1, -2), Vec3(2, 3, 4)));
    EXPECT_EQ(c.getCenter(), Vec3(1, 1, 1));
    EXPECT_EQ(c.getSize(), Vec3(2, 4, 6));
    c.expandByVector(Vec3(1, 0, 0));
    EXPECT_EQ(c, Box3(Vec3(-1, -1, -2), Vec3(3, 3, 4)));
    c.expandByScalar(0.5f);
    EXPECT_EQ(c, Box3(Vec3(-1.5, -1.5, -2.5), Vec3(3.5, 3.5, 4.5)));
    c.translate(Vec3(1, 1, 1));
    EXPECT_EQ(c, Box3(Vec3(-0.5, -0.5, -1.5), Vec3(4.5, 4.5, 5.5)));
    Box3 u(Vec3(0, 0, 0), Vec3(1, 1, 1));
    u.unionBox(Box3(Vec3(2, -1, 0.5), Vec3(3, 0, 0.7)));
    EXPECT_EQ(u, Box3(Vec3(0, -1, 0), Vec3(3, 1, 1)));
}

TEST(Box3, IntersectionBoundaries) {
    const Box3 unit(Vec3(0, 0, 0), Vec3(1, 1, 1));
    struct Row {
        const char* name;
        Box3 other;
        bool intersects;
        Box3 intersection;
    };
    const std::vector<Row> rows = {
        {"touching face", {{1, 1, 1}, {2, 2, 2}}, true, {{1, 1, 1}, {1, 1, 1}}},
        {"overlapping", {{0.5, -1, 0.5}, {2, 0.5, 2}}, true, {{0.5, 0, 0.5}, {1, 0.5, 1}}},
        {"disjoint", {{1.5, 0, 0}, {2, 1, 1}}, false, Box3()},
        {"inside", {{0.25, 0.25, 0.25}, {0.5, 0.5, 0.5}}, true, {{0.25, 0.25, 0.25}, {0.5, 0.5, 0.5}}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(unit.intersectsBox(r.other), r.intersects);
        EXPECT_EQ(r.other.intersectsBox(unit), r.intersects);
        Box3 i = unit;
        i.intersects(r.other);
        EXPECT_EQ(i, r.intersection);
    }
}

TEST(Box3, ContainmentAndDistance) {
    const Box3 b(Vec3(0, 0, 0), Vec3(2, 2, 2));
    EXPECT_TRUE(b.containsPoint(Vec3(0, 2, 1)));   // bounds included
    EXPECT_FALSE(b.containsPoint(Vec3(0, 2.0000001, 1)));
    EXPECT_TRUE(b.containsBox(b));
    EXPECT_TRUE(b.containsBox(Box3(Vec3(1, 1, 1), Vec3(2, 2, 2))));
    EXPECT_FALSE(b.containsBox(Box3(Vec3(1, 1, 1), Vec3(2, 2, 3))));
    EXPECT_EQ(b.getParameter(Vec3(1, 0, 2)), Vec3(0.5, 0, 1));
    EXPECT_EQ(b.clampPoint(Vec3(-1, 1, 5)), Vec3(0, 1, 2));
    EXPECT_EQ(b.distanceToPoint(Vec3(1, 1, 1)), 0);
    EXPECT_EQ(b.distanceToPoint(Vec3(5, 6, 1)), 5); // (3, 4, 0) away
    const Vec3 flat = Box3(Vec3(0, 0, 0), Vec3(1, 0, 1)).getParameter(Vec3(0.5, 0, 0.5));
    EXPECT_TRUE(std::isnan(flat.y));
}

TEST(Rect, EdgesAndCenters) {
    Rect r(5, 0, 4, 4);
    EXPECT_EQ(r.getRight(), 9);
    EXPECT_EQ(r.getBottom(), 4);
    r.setRight(15);
    EXPECT_EQ(r, Rect(5, 0, 10, 4));
    Rect c(5, 0, 4, 4);
    c.setCenterX(0);
    EXPECT_EQ(c.x, -2);
    c.setCenterY(10);
    EXPECT_EQ(c, Rect(-2, 8, 4, 4));
    c.setCenter(Vec2(2, 2));
    EXPECT_EQ(c.getCenter(), Vec2(2, 2));
    EXPECT_EQ(c.getPoint(), Vec2(0, 0));
    Rect m(1, 2, 3, 4);
    m.setLeft(10); // moves
    m.setTop(20);
    EXPECT_EQ(m, Rect(10, 20, 3, 4));
    m.setBottom(30.5f); // changes the height
    EXPECT_EQ(m.height, 10.5);
    m.setBottom(0.1f);
    EXPECT_EQ(m.height, static_cast<double>(0.1f) - 20);
    EXPECT_EQ(Rect(1, 2, 3, 4).getTopRight(), Vec2(4, 2));
    EXPECT_EQ(Rect(1, 2, 3, 4).getBottomLeft(), Vec2(1, 6));
    EXPECT_EQ(Rect(1, 2, 3, 4).getBottomRight(), Vec2(4, 6));
    EXPECT_EQ(Rect(1, 2, 3, 4).getTopLeft(), Vec2(1, 2));
    EXPECT_EQ(Rect(1, 2, 3, 4).getArea(), 12);
    EXPECT_EQ(Rect(Vec2(1, 2), Vec2(3, 4)), Rect(1, 2, 3, 4));
    EXPECT_NE(Rect(0, 0, 0, 0), Rect(0, 0, 0, 2e-12));
    EXPECT_EQ(Rect(0, 0, 0, 0), Rect(0, 0, 0, 1e-12));
    Rect s;
    s.setSize(Vec2(7, 8));
    s.setPoint(Vec2(1, 1));
    EXPECT_EQ(s, Rect(1, 1, 7, 8));
    EXPECT_EQ(s.getSize(), Vec2(7, 8));
}

TEST(Rect, EmptinessAndContainment) {
    EXPECT_TRUE(Rect().isEmpty());
    EXPECT_TRUE(Rect(0, 0, 5, 0).isEmpty());
    EXPECT_TRUE(Rect(0, 0, -1, 5).isEmpty());
    EXPECT_FALSE(Rect(0, 0, 1e-9, 1e-9).isEmpty());
    const Rect r(0, 0, 10, 10);
    struct Row {
        Vec2 p;
        bool inside;
    };
    for (const Row& row : std::vector<Row>{{{10, 10}, true}, {{0, 0}, true}, {{10.000001, 5}, false}, {{5, -0.1}, false}}) {
        EXPECT_EQ(r.containsPoint(row.p), row.inside) << row.p.x << "," << row.p.y;
    }
    EXPECT_TRUE(r.containsRect(r));
    EXPECT_TRUE(r.containsRect(Rect(5, 5, 5, 5)));
    EXPECT_FALSE(r.containsRect(Rect(5, 5, 5.5, 5)));
    EXPECT_FALSE(r.containsRect(Rect(-1, 5, 2, 2)));
}

TEST(Rect, IntersectsAndTouchesBoundaries) {
    const Rect r(0, 0, 10, 10);
    struct Row {
        const char* name;
        Rect other;
        bool intersects, touches;
    };
    const std::vector<Row> rows = {
        {"shared right edge", {10, 0, 5, 5}, false, true},
        {"shared corner", {10, 10, 5, 5}, false, true},
        {"shared top edge from above", {0, -5, 5, 5}, false, true},
        {"overlap", {9, 9, 5, 5}, true, true},
        {"apart", {10.5, 0, 5, 5}, false, false},
        {"inside", {2, 2, 1, 1}, true, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(r.intersects(row.other), row.intersects);
        EXPECT_EQ(row.other.intersects(r), row.intersects);
        EXPECT_EQ(r.touches(row.other), row.touches);
    }
}

TEST(Rect, Combinations) {
    const Rect r(0, 0, 10, 10);
    const Rect apart = r.intersect(Rect(20, 20, 5, 5));
    EXPECT_EQ(apart, Rect(20, 20, -10, -10));
    EXPECT_TRUE(apart.isEmpty());
    EXPECT_EQ(r.intersect(Rect(5, -5, 10, 10)), Rect(5, 0, 5, 5));
    EXPECT_EQ(r.unite(Rect(20, 20, 5, 5)), Rect(0, 0, 25, 25));
    EXPECT_EQ(r.unite(Rect(-5, 3, 0, 0)), Rect(-5, 0, 15, 10)); // an empty operand takes part
    Rect inc = r;
    inc.include(Vec2(-3, 20));
    EXPECT_EQ(inc, Rect(-3, 0, 13, 20));
    EXPECT_EQ(r.getInclude(Vec2(5, 5)), r);
    EXPECT_EQ(r.getInclude(Vec2(12, -1)), Rect(0, -1, 12, 11));
    EXPECT_EQ(r.expand(Vec2(1, 2)), Rect(-1, -2, 12, 14));
    EXPECT_EQ(r.expand(1.5f), Rect(-1.5, -1.5, 13, 13));
    // Growth of (factor - 1) * size on each side: 2 on (0, 0, 10, 10) gives (-10, -10, 30, 30).
    EXPECT_EQ(r.scale(2, 2), Rect(-10, -10, 30, 30));
    EXPECT_EQ(r.scale(1, 0.5f), Rect(0, 5, 10, 0));
    // The factor is widened from single precision: float(1.1) * 10 - 10 per side.
    const double g = static_cast<double>(1.1f) * 10 - 10;
    EXPECT_EQ(r.scale(1.1f, 1).x, -g);
    EXPECT_NE(g, 1.0);
}

TEST(Range, Construction) {
    const Range all(true);
    EXPECT_EQ(all.start, 0);
    EXPECT_EQ(all.length, 2147483647);
    const Range none(false);
    EXPECT_EQ(none.length, 0);
    const Range seven(7);
    EXPECT_EQ(seven.start, 7);
    EXPECT_EQ(seven.length, 0);
    Range copy(3, 4);
    copy = Range(copy);
    EXPECT_EQ(copy.start, 3);
    EXPECT_EQ(copy.length, 4);
}

} // namespace
} // namespace Tavrolin::Fill
