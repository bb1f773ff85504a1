#include "bench/FillScene.h"

#include <algorithm>
#include <stdexcept>

#include "host/lib/HeadlessHost.h"
#include "plugin/ParamTable.h"

namespace Tavrolin::Fill::Bench {

namespace {

// A palette with light and dark entries, so that Multiply differs from Normal.
constexpr PF_Pixel8 kPalette[] = {
    {255, 230, 40, 40},  {255, 250, 200, 30}, {255, 40, 180, 70},  {255, 20, 60, 200},
    {255, 150, 40, 190}, {255, 240, 240, 240}, {255, 20, 20, 20},  {255, 255, 130, 0},
    {255, 0, 200, 220},  {255, 110, 80, 50},  {255, 200, 120, 160},
};

}  // namespace

const std::vector<std::string>& SceneNames() {
  static const std::vector<std::string> kNames = {"Solid", "Linear2", "Radial11", "Sweep4"};
  return kNames;
}

FillScene MakeScene(const std::string& fill, int blendMode, int width, int height) {
  FillScene s;
  s.name = fill;
  s.blendMode = blendMode;
  const double w = width, h = height;
  if (fill == "Solid") {
    s.fillType = kFillSolid;
    s.solid = PF_Pixel8{200, 30, 140, 220};  // partly transparent: the fill's alpha reaches the composite
  } else if (fill == "Linear2") {
    s.fillType = kFillLinear;
    s.start = {0.1 * w, 0.25 * h};
    s.end = {0.9 * w, 0.75 * h};
    s.stops = {{kPalette[3], 100, 0}, {kPalette[1], 60, 100}};
  } else if (fill == "Radial11") {
    s.fillType = kFillRadial;
    s.center = {0.5 * w, 0.5 * h};
    s.radius = 0.45 * std::min(w, h);
    s.focalAngle = 30;
    s.focalDistance = 40;
    for (int n = 0; n < 11; ++n) s.stops.push_back({kPalette[n], 100.0 - 5.0 * n, 10.0 * n});
  } else if (fill == "Sweep4") {
    s.fillType = kFillSweep;
    s.center = {0.5 * w, 0.5 * h};
    s.stops = {{kPalette[0], 100, 0}, {kPalette[2], 80, 30}, {kPalette[4], 100, 65}, {kPalette[7], 90, 100}};
  } else {
    throw std::invalid_argument("unknown fill " + fill);
  }
  return s;
}

void ApplyScene(HeadlessHost& host, const FillScene& s) {
  using namespace ParamIndex;
  // Pop-up values are 1-based choices.
  host.setValue(kFillType, ParamValue::scalar(s.fillType + 1));
  host.setValue(kBlendMode, ParamValue::scalar(s.blendMode + 1));
  host.setValue(kSolidColor, ParamValue::color(s.solid));
  host.setValue(kGradientStart, ParamValue::point(s.start.x, s.start.y));
  host.setValue(kGradientEnd, ParamValue::point(s.end.x, s.end.y));
  host.setValue(kRadialRadius, ParamValue::scalar(s.radius));
  host.setValue(kRadialCenter, ParamValue::point(s.center.x, s.center.y));
  host.setValue(kFocalOffsetAngle, ParamValue::scalar(s.focalAngle));
  host.setValue(kFocalOffsetDistance, ParamValue::scalar(s.focalDistance));
  host.setValue(kSweepCenter, ParamValue::point(s.center.x, s.center.y));
  if (s.stops.empty()) return;
  // "Color Stop Amount" offers "2" to "11": choice 1 is two stops.
  host.setValue(kColorStopAmount, ParamValue::scalar(double(s.stops.size()) - 1));
  for (std::size_t i = 0; i < s.stops.size(); ++i) {
    const int n = int(i) + 1;
    host.setValue(StopColor(n), ParamValue::color(s.stops[i].color));
    host.setValue(StopOpacity(n), ParamValue::scalar(s.stops[i].opacity));
    host.setValue(StopPosition(n), ParamValue::scalar(s.stops[i].position));
  }
}

void PaintLayer(std::uint8_t* argb, std::size_t rowbytes, int width, int height) {
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = argb + std::size_t(y) * rowbytes;
    for (int x = 0; x < width; ++x) {
      std::uint8_t* p = row + std::size_t(x) * 4;
      const bool clearQuarter = x >= width - width / 4;
      if (clearQuarter && y >= height / 2) {
        p[0] = p[1] = p[2] = p[3] = 0;
        continue;
      }
      p[0] = clearQuarter ? 224 : 255;
      p[1] = std::uint8_t(width > 1 ? x * 255 / (width - 1) : 0);
      p[2] = std::uint8_t(height > 1 ? y * 255 / (height - 1) : 0);
      p[3] = ((x / 32 + y / 32) % 2) ? 210 : 40;
    }
  }
}

}  // namespace Tavrolin::Fill::Bench
