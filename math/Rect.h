#pragma once

#include "math/Vec2.h"

namespace Tavrolin::Fill {

// Rectangle in a y-down frame: left edge x, top edge y, then width and height,
// laid out as the four components of a Vec4. Nothing keeps the size non-negative.
class Rect {
public:
    double x;
    double y;
    double width;
    double height;

    Rect() : x(0), y(0), width(0), height(0) {}
    Rect(Vec2 point, Vec2 size) : x(point.x), y(point.y), width(size.x), height(size.y) {}
    Rect(double x, double y, double width, double height) : x(x), y(y), width(width), height(height) {}
    Rect(const Rect& o) : x(o.x), y(o.y), width(o.width), height(o.height) {}
    Rect& operator=(const Rect& o) {
        x = o.x;
        y = o.y;
        width = o.width;
        height = o.height;
        return *this;
    }

    bool operator==(const Rect& o) const;
    bool operator!=(const Rect& o) const { return !(*this == o); }

    Vec2 getPoint() const { return Vec2(x, y); }
    void setPoint(Vec2 p) {
        x = p.x;
        y = p.y;
    }
    Vec2 getSize() const { return Vec2(width, height); }
    void setSize(Vec2 s) {
        width = s.x;
        height = s.y;
    }
    double getLeft() const { return x; }
    // Moves the rectangle.
    void setLeft(double left) { x = left; }
    double getTop() const { return y; }
    // Moves the rectangle.
    void setTop(double top) { y = top; }
    double getRight() const { return x + width; }
    // Changes the width.
    void setRight(double r) { width = r - x; }
    double getBottom() const { return y + height; }
    // Changes the height; takes single precision, unlike the other setters.
    void setBottom(float b) { height = static_cast<double>(b) - y; }
    double getCenterX() const { return x + width * 0.5; }
    void setCenterX(double cx) { x = cx - width * 0.5; }
    double getCenterY() const { return y + height * 0.5; }
    void setCenterY(double cy) { y = cy - height * 0.5; }
    Vec2 getCenter() const { return Vec2(getCenterX(), getCenterY()); }
    void setCenter(Vec2 c) {
        setCenterX(c.x);
        setCenterY(c.y);
    }
    Vec2 getTopLeft() const { return Vec2(x, y); }
    Vec2 getTopRight() const { return Vec2(x + width, y); }
    Vec2 getBottomLeft() const { return Vec2(x, y + height); }
    Vec2 getBottomRight() const { return Vec2(x + width, y + height); }
    double getArea() const { return width * height; }
    bool isEmpty() const { return width <= 0 || height <= 0; }

    // Edges included.
    bool containsPoint(Vec2 p) const;
    bool containsRect(Rect r) const;
    // Strict: sharing only an edge does not intersect.
    bool intersects(Rect r) const;
    // Sharing an edge or a corner counts.
    bool touches(Rect r) const;
    // May have a negative size, which isEmpty reports.
    Rect intersect(Rect r) const;
    Rect unite(Rect r) const;
    void include(Vec2 p);
    Rect getInclude(Vec2 p) const;
    Rect expand(Vec2 d) const;
    Rect expand(float s) const;
    // Grows each side by (factor - 1) times the size.
    Rect scale(float sx, float sy) const;
};

} // namespace Tavrolin::Fill
