#include "bench/CpuFill.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "plugin/ParamTable.h"

namespace Tavrolin::Fill::Bench {

namespace {

float Clamp01(float v) { return std::min(std::max(v, 0.0f), 1.0f); }

float Smoothstep(float e0, float e1, float x) {
  const float s = Clamp01((x - e0) / (e1 - e0));
  return s * s * (3.0f - 2.0f * s);
}

// base = layer, blend = fill; Replace composites as Normal and then drops the layer.
float Blend(int mode, float base, float blend) {
  switch (mode) {
    case kBlendMultiply: return base * blend;
    case kBlendAdd: return std::min(base + blend, 1.0f);
    case kBlendScreen: return 1.0f - (1.0f - base) * (1.0f - blend);
    case kBlendOverlay: return base < 0.5f ? 2.0f * base * blend : 1.0f - 2.0f * (1.0f - base) * (1.0f - blend);
    default: return blend;
  }
}

std::uint8_t To8(float v) { return std::uint8_t(Clamp01(v) * 255.0f + 0.5f); }

}  // namespace

CpuFill MakeCpuFill(const FillScene& s) {
  CpuFill f;
  f.fillType = s.fillType;
  f.blendMode = s.blendMode;
  if (s.fillType == kFillSolid) {
    f.stops.push_back({0.0f, s.solid.red / 255.0f, s.solid.green / 255.0f, s.solid.blue / 255.0f,
                       s.solid.alpha / 255.0f});
    return f;
  }
  f.start[0] = float(s.start.x);
  f.start[1] = float(s.start.y);
  f.end[0] = float(s.end.x);
  f.end[1] = float(s.end.y);
  f.center[0] = float(s.center.x);
  f.center[1] = float(s.center.y);
  f.radius = float(s.radius);
  double dist = s.focalDistance / 100.0 * s.radius;
  if (dist == s.radius) dist = s.radius - 1.0;  // keeps the focal point inside the circle
  const double angle = s.focalAngle * 3.14159265358979323846 / 180.0;
  f.focal[0] = float(s.center.x + (s.focalAngle == 0 ? dist : dist * std::cos(angle)));
  f.focal[1] = float(s.center.y + (s.focalAngle == 0 ? 0.0 : dist * std::sin(angle)));

  std::map<float, CpuStop> byPosition;
  for (const SceneStop& stop : s.stops) {
    const float position = float(stop.position / 100.0);
    byPosition[position] = {position, stop.color.red / 255.0f, stop.color.green / 255.0f,
                            stop.color.blue / 255.0f, float(stop.opacity / 100.0)};
  }
  for (const auto& entry : byPosition) f.stops.push_back(entry.second);
  return f;
}

void RenderCpu(const CpuFill& f, const std::uint8_t* src, std::size_t srcRowbytes, std::uint8_t* dst,
               std::size_t dstRowbytes, int width, int height) {
  const std::size_t count = f.stops.size();
  const CpuStop* stops = f.stops.data();
  const float rx = f.start[0] - f.end[0], ry = f.start[1] - f.end[1];
  const float invLength2 = 1.0f / (rx * rx + ry * ry);
  const float fdx = f.focal[0] - f.center[0], fdy = f.focal[1] - f.center[1];
  const float radius2 = f.radius * f.radius;

  for (int y = 0; y < height; ++y) {
    const std::uint8_t* in = src + std::size_t(y) * srcRowbytes;
    std::uint8_t* out = dst + std::size_t(y) * dstRowbytes;
    const float py = y + 0.5f;
    for (int x = 0; x < width; ++x, in += 4, out += 4) {
      const float px = x + 0.5f;

      float t = 0.0f;
      switch (f.fillType) {
        case kFillLinear:
          t = ((f.start[0] - px) * rx + (f.start[1] - py) * ry) * invLength2;
          break;
        case kFillRadial: {
          // Distance from the focal point to the circle along the ray through pt.
          const float dx = f.focal[0] - px, dy = f.focal[1] - py;
          const float length = std::sqrt(dx * dx + dy * dy);
          if (length > 0.0f) {
            const float h = (fdx * -dy + fdy * dx) / length;
            const float along = (fdx * dx + fdy * dy) / length;
            const float toCircle = std::sqrt(std::max(radius2 - h * h, 0.0f)) + along;
            t = std::min(1.0f, length / toCircle);
          }
          break;
        }
        case kFillSweep: {
          const float turn = std::atan2(py - f.center[1], px - f.center[0]) * 0.15915494309f;
          t = Clamp01(turn - std::floor(turn));
          break;
        }
        default: break;
      }

      float cr = stops[0].r, cg = stops[0].g, cb = stops[0].b, ca = stops[0].a;
      for (std::size_t i = 1; i < count; ++i) {
        const float s = Smoothstep(stops[i - 1].position, stops[i].position, t);
        cr += (stops[i].r - cr) * s;
        cg += (stops[i].g - cg) * s;
        cb += (stops[i].b - cb) * s;
        ca += (stops[i].a - ca) * s;
      }

      const float ba = in[0] / 255.0f, br = in[1] / 255.0f, bg = in[2] / 255.0f, bb = in[3] / 255.0f;
      ca *= ba;  // the fill covers the layer only as far as the layer is opaque
      float a = ca + ba * (1.0f - ca);
      float r = cr, g = cg, b = cb;
      if (f.blendMode == kBlendReplace) {
        a = ca;
      } else if (a > 0.0f) {
        const float k = ca / a;
        r = (1.0f - k) * br + k * ((1.0f - ba) * cr + ba * Blend(f.blendMode, br, cr));
        g = (1.0f - k) * bg + k * ((1.0f - ba) * cg + ba * Blend(f.blendMode, bg, cg));
        b = (1.0f - k) * bb + k * ((1.0f - ba) * cb + ba * Blend(f.blendMode, bb, cb));
      }

      const std::uint8_t a8 = To8(a);
      if (a8 == 0) {  // nothing left to show: the colour of a clear pixel is zero
        out[0] = out[1] = out[2] = out[3] = 0;
        continue;
      }
      out[0] = a8;
      out[1] = To8(r);
      out[2] = To8(g);
      out[3] = To8(b);
    }
  }
}

}  // namespace Tavrolin::Fill::Bench
