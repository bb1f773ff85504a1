#pragma once

// An independent model of what the fill effect means for one pixel, in plain
// double precision: the gradient parameter of each fill type, the smoothstep
// mix of the straight stop colours, the composite over the layer, Replace,
// premultiplication, the screen pass back to the host's order and the 8-bit
// rounding of the two render targets on the way. Tests compare real renders
// with it; it shares no code with the renderer.

#include <cstdint>
#include <string>
#include <vector>

namespace Tavrolin::Fill::Model {

struct Rgba {
    double r = 1.0, g = 1.0, b = 1.0, a = 1.0;
};

// One host pixel, channels in the host's order.
struct Argb8 {
    std::uint8_t a = 0, r = 0, g = 0, b = 0;
};

enum FillKind { kSolid = 0, kLinear = 1, kRadial = 2, kSweep = 3 };
enum BlendKind { kNormal = 0, kMultiply = 1, kAdd = 2, kScreen = 3, kOverlay = 4, kReplace = 5 };

// One colour-stop group as the user sets it: an 8-bit colour (its own alpha
// is ignored by gradients), the opacity and the position, both in percent.
struct StopGroup {
    std::uint8_t r = 255, g = 0, b = 0;
    double opacityPercent = 100.0;
    double positionPercent = 0.0;
};

struct Point {
    double x = 0.0, y = 0.0;
};

// The fill as the parameters describe it, points in layer pixels.
struct Fill {
    int type = kSolid;
    int blend = kNormal;
    Argb8 solid{255, 255, 0, 0};
    Point start, end;            // linear
    Point center;                // radial circle centre
    double radius = 0.0;         // radial, already divided by the downsample factor
    Point focal;                 // radial focal point
    Point sweepCenter;           // sweep
    std::vector<StopGroup> groups;  // the groups in use, in group order
};

struct Stop {
    double position = 0.0;
    Rgba color;
};

// The focal point of a radial gradient: `fraction` of the radius away from the
// centre in the direction `degrees` (toward growing rows for 90); a focus on
// the circle itself is pulled one pixel in.
Point focalPoint(Point center, double radius, double degrees, double fraction);

// The stops a set of groups gives: positions in 0..1 ascending, one per
// distinct position, the later group's colour winning at a shared position.
std::vector<Stop> stopsOf(const std::vector<StopGroup>& groups);

// The gradient parameter at a point (a pixel centre is x + 0.5, y + 0.5).
double gradientT(const Fill& fill, double px, double py);

// The straight colour of the fill at t.
Rgba colorAt(const std::vector<Stop>& stops, double t);

// The fill colour at the centre of pixel (x, y), before compositing.
Rgba fillColor(const Fill& fill, int x, int y);

// The composite of a straight fill colour over a straight layer colour, as
// straight colour with alpha; Replace included.
Rgba composite(const Rgba& fill, const Rgba& layer, int blend);

// One pixel of the drawn render target: premultiplied red, green, blue,
// alpha, 8 bits each, as the fill pass leaves it before the screen pass.
struct Rgba8 {
    std::uint8_t r = 0, g = 0, b = 0, a = 0;
};
Rgba8 drawnPixel(const Fill& fill, Argb8 layer, int x, int y);

// The host pixel the effect writes for pixel (x, y) of a layer pixel.
Argb8 renderPixel(const Fill& fill, Argb8 layer, int x, int y);

// Whether a rendered pixel matches the model within `tolerance` 8-bit steps.
// Where the model's alpha is below half, the straight colour of a pixel is
// only known to about 1/alpha after the round trip through premultiplied
// 8-bit targets, so colour is compared premultiplied there.
bool matches(Argb8 rendered, Argb8 expected, int tolerance, std::string* why = nullptr);

std::string toString(Argb8 pixel);

}  // namespace Tavrolin::Fill::Model
