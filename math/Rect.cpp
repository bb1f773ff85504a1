#include "math/Rect.h"

#include <algorithm>
#include <cmath>

namespace Tavrolin::Fill {

namespace {
constexpr double kTolerance = 1e-12;
} // namespace

bool Rect::operator==(const Rect& o) const {
    return std::fabs(x - o.x) <= kTolerance && std::fabs(y - o.y) <= kTolerance &&
           std::fabs(width - o.width) <= kTolerance && std::fabs(height - o.height) <= kTolerance;
}

bool Rect::containsPoint(Vec2 p) const {
    return x <= p.x && p.x <= x + width && y <= p.y && p.y <= y + height;
}

bool Rect::containsRect(Rect r) const {
    return r.x >= x && r.y >= y && x + width >= r.x + r.width && y + height >= r.y + r.height;
}

bool Rect::intersects(Rect r) const {
    return x < r.x + r.width && y < r.y + r.height && r.x < x + width && r.y < y + height;
}

bool Rect::touches(Rect r) const {
    return x <= r.x + r.width && y <= r.y + r.height && r.x <= x + width && r.y <= y + height;
}

Rect Rect::intersect(Rect r) const {
    const double left = std::max(x, r.x);
    const double top = std::max(y, r.y);
    return Rect(left, top, std::min(getRight(), r.getRight()) - left,
                std::min(getBottom(), r.getBottom()) - top);
}

Rect Rect::unite(Rect r) const {
    const double left = std::min(x, r.x);
    const double top = std::min(y, r.y);
    return Rect(left, top, std::max(getRight(), r.getRight()) - left,
                std::max(getBottom(), r.getBottom()) - top);
}

void Rect::include(Vec2 p) {
    const double left = std::min(p.x, x);
    const double top = std::min(p.y, y);
    const double right = std::max(x + width, p.x);
    const double bottom = std::max(y + height, p.y);
    *this = Rect(left, top, right - left, bottom - top);
}

Rect Rect::getInclude(Vec2 p) const {
    Rect r(*this);
    r.include(p);
    return r;
}

Rect Rect::expand(Vec2 d) const { return Rect(x - d.x, y - d.y, width + 2 * d.x, height + 2 * d.y); }

Rect Rect::expand(float s) const {
    const double d = s;
    return Rect(x - d, y - d, width + 2 * d, height + 2 * d);
}

Rect Rect::scale(float sx, float sy) const {
    const double gx = static_cast<double>(sx) * width - width;
    const double gy = static_cast<double>(sy) * height - height;
    return Rect(x - gx, y - gy, width + 2 * gx, height + 2 * gy);
}

} // namespace Tavrolin::Fill
