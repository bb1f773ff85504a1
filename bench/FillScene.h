// The frames the benchmark renders: a layer picture and a fill described in
// the user's units (pixels, degrees, percent, 0..255 colours), handed to the
// effect through the host's parameters and to the CPU peer as plain values.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "sdk/PFTypes.h"

namespace Tavrolin::Fill {
class HeadlessHost;
}

namespace Tavrolin::Fill::Bench {

struct ScenePoint {
  double x = 0, y = 0;
};

struct SceneStop {
  PF_Pixel8 color{};     // alpha, red, green, blue; the alpha is not used
  double opacity = 100;  // percent
  double position = 0;   // percent
};

// Fill types and blend modes are the effect's 0-based values.
struct FillScene {
  std::string name;
  int fillType = 0;
  int blendMode = 0;
  PF_Pixel8 solid{255, 255, 255, 255};  // its alpha counts
  ScenePoint start, end;                // linear
  ScenePoint center;                    // radial and sweep
  double radius = 0;                    // radial, pixels
  double focalAngle = 0;                // degrees
  double focalDistance = 0;             // percent of the radius
  std::vector<SceneStop> stops;         // 2 to 11 for a gradient
};

// The fills benchmarked, by name: "Solid", "Linear2", "Radial11", "Sweep4",
// laid out for a layer of `width` x `height`.
FillScene MakeScene(const std::string& fill, int blendMode, int width, int height);
const std::vector<std::string>& SceneNames();

// Sets every parameter the scene uses on a host whose parameters are set up.
void ApplyScene(HeadlessHost& host, const FillScene& scene);

// The layer: straight alpha-first 8-bit pixels, rows `rowbytes` apart. The
// left three quarters are opaque; of the last quarter the top half has alpha
// 224 and the bottom half is fully transparent. Red grows to the right,
// green downward, blue alternates in 32-pixel squares. The partial alpha is
// high enough that the GPU's 8-bit premultiplied targets stay within 2/255 of
// a straight computation (at alpha 160 they reach 2 already).
void PaintLayer(std::uint8_t* argb, std::size_t rowbytes, int width, int height);

}  // namespace Tavrolin::Fill::Bench
