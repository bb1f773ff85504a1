#include "FillModel.h"  // this folder; tests include it as "support/FillModel.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace Tavrolin::Fill::Model {

namespace {

constexpr double kPi = 3.14159265358979323846;

double clamp01(double v) { return v < 0.0 ? 0.0 : (v > 1.0 ? 1.0 : v); }

double smoothstep(double e0, double e1, double x) {
    const double s = clamp01((x - e0) / (e1 - e0));
    return s * s * (3.0 - 2.0 * s);
}

double mix(double a, double b, double f) { return a * (1.0 - f) + b * f; }

// The 8-bit value a normalised channel becomes in a render target.
int toByte(double v) { return static_cast<int>(std::floor(clamp01(v) * 255.0 + 0.5)); }

double blendChannel(double base, double blend, int mode) {
    switch (mode) {
    case kMultiply: return base * blend;
    case kAdd: return std::min(base + blend, 1.0);
    case kScreen: return 1.0 - (1.0 - base) * (1.0 - blend);
    case kOverlay: return base < 0.5 ? 2.0 * base * blend : 1.0 - 2.0 * (1.0 - base) * (1.0 - blend);
    default: return blend;  // Normal, Replace
    }
}

}  // namespace

Point focalPoint(Point center, double radius, double degrees, double fraction) {
    double dist = fraction * radius;
    if (dist == radius) dist = radius - 1.0;
    const double rad = degrees * kPi / 180.0;
    return {center.x + dist * std::cos(rad), center.y + dist * std::sin(rad)};
}

std::vector<Stop> stopsOf(const std::vector<StopGroup>& groups) {
    std::vector<Stop> stops;
    for (const StopGroup& g : groups) {
        // Positions travel as single-precision numbers; equal ones are one stop.
        const double pos = static_cast<float>(g.positionPercent / 100.0);
        const Rgba c{g.r / 255.0, g.g / 255.0, g.b / 255.0, g.opacityPercent / 100.0};
        auto same = std::find_if(stops.begin(), stops.end(), [&](const Stop& s) { return s.position == pos; });
        if (same != stops.end())
            same->color = c;
        else
            stops.push_back({pos, c});
    }
    std::sort(stops.begin(), stops.end(), [](const Stop& a, const Stop& b) { return a.position < b.position; });
    return stops;
}

double gradientT(const Fill& fill, double px, double py) {
    switch (fill.type) {
    case kLinear: {
        const double rx = fill.start.x - fill.end.x, ry = fill.start.y - fill.end.y;
        const double len2 = rx * rx + ry * ry;
        if (len2 == 0.0) return 1.0;  // no direction: the last colour everywhere
        return ((fill.start.x - px) * rx + (fill.start.y - py) * ry) / len2;
    }
    case kRadial: {
        if (fill.radius <= 0.0) return 1.0;  // no circle: the last colour everywhere
        // Distance from the focus to pt over the distance from the focus to
        // the circle along the same ray: solve |focal + s*u - center| = R.
        const double dx = px - fill.focal.x, dy = py - fill.focal.y;
        const double len = std::hypot(dx, dy);
        if (len == 0.0) return 0.0;
        const double ux = dx / len, uy = dy / len;
        const double fx = fill.focal.x - fill.center.x, fy = fill.focal.y - fill.center.y;
        const double b = fx * ux + fy * uy;
        const double c = fx * fx + fy * fy - fill.radius * fill.radius;
        const double s = -b + std::sqrt(std::max(0.0, b * b - c));
        return std::min(1.0, len / s);
    }
    case kSweep: {
        const double x = px - fill.sweepCenter.x, y = py - fill.sweepCenter.y;
        if (x == 0.0 && y == 0.0) return 0.0;
        const double turns = std::atan2(y, x) / (2.0 * kPi);
        return turns - std::floor(turns);
    }
    default: return 0.0;
    }
}

Rgba colorAt(const std::vector<Stop>& stops, double t) {
    if (stops.empty()) return {};
    Rgba c = stops[0].color;
    for (size_t i = 1; i < stops.size(); ++i) {
        const double f = smoothstep(stops[i - 1].position, stops[i].position, t);
        const Rgba& n = stops[i].color;
        c = {mix(c.r, n.r, f), mix(c.g, n.g, f), mix(c.b, n.b, f), mix(c.a, n.a, f)};
    }
    return c;
}

Rgba fillColor(const Fill& fill, int x, int y) {
    if (fill.type == kSolid)
        return {fill.solid.r / 255.0, fill.solid.g / 255.0, fill.solid.b / 255.0, fill.solid.a / 255.0};
    return colorAt(stopsOf(fill.groups), gradientT(fill, x + 0.5, y + 0.5));
}

Rgba composite(const Rgba& fill, const Rgba& layer, int blend) {
    // The fill covers the layer only as far as the layer is opaque.
    const double ca = fill.a * layer.a;
    if (blend == kReplace) return {fill.r, fill.g, fill.b, ca};
    const double a = ca + layer.a * (1.0 - ca);
    if (a == 0.0) return {0.0, 0.0, 0.0, 0.0};
    const double k = ca / a;
    auto channel = [&](double base, double over) {
        return (1.0 - k) * base + k * ((1.0 - layer.a) * over + layer.a * blendChannel(base, over, blend));
    };
    return {channel(layer.r, fill.r), channel(layer.g, fill.g), channel(layer.b, fill.b), a};
}

Rgba8 drawnPixel(const Fill& fill, Argb8 layer, int x, int y) {
    const Rgba base{layer.r / 255.0, layer.g / 255.0, layer.b / 255.0, layer.a / 255.0};
    const Rgba out = composite(fillColor(fill, x, y), base, fill.blend);
    auto byte = [](double v) { return static_cast<std::uint8_t>(toByte(v)); };
    return {byte(out.r * out.a), byte(out.g * out.a), byte(out.b * out.a), byte(out.a)};
}

Argb8 renderPixel(const Fill& fill, Argb8 layer, int x, int y) {
    const Rgba base{layer.r / 255.0, layer.g / 255.0, layer.b / 255.0, layer.a / 255.0};
    const Rgba out = composite(fillColor(fill, x, y), base, fill.blend);
    // The drawn target holds premultiplied 8-bit values; the screen pass
    // divides them by their alpha and stores 8 bits again.
    const int qa = toByte(out.a);
    if (qa == 0) return {0, 0, 0, 0};
    auto straight = [&](double c) {
        const int q = toByte(c * out.a);
        return static_cast<std::uint8_t>(toByte((q / 255.0) / (qa / 255.0)));
    };
    return {static_cast<std::uint8_t>(qa), straight(out.r), straight(out.g), straight(out.b)};
}

bool matches(Argb8 rendered, Argb8 expected, int tolerance, std::string* why) {
    bool ok = std::abs(rendered.a - expected.a) <= tolerance;
    const int ch[2][3] = {{rendered.r, rendered.g, rendered.b}, {expected.r, expected.g, expected.b}};
    for (int i = 0; i < 3 && ok; ++i) {
        if (expected.a >= 128)
            ok = std::abs(ch[0][i] - ch[1][i]) <= tolerance;
        else
            ok = std::abs(ch[0][i] * rendered.a - ch[1][i] * expected.a) <= tolerance * 255;
    }
    if (!ok && why) *why = "rendered " + toString(rendered) + ", model " + toString(expected);
    return ok;
}

std::string toString(Argb8 p) {
    char text[48];
    std::snprintf(text, sizeof text, "argb(%d, %d, %d, %d)", p.a, p.r, p.g, p.b);
    return text;
}

}  // namespace Tavrolin::Fill::Model
