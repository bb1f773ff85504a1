// The CPU peer: the effect's fill and blend written as one plain
// single-threaded loop over 8-bit straight alpha-first pixels, for timing
// beside the GPU path and for checking that the GPU did the same work.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "bench/FillScene.h"

namespace Tavrolin::Fill::Bench {

struct CpuStop {
  float position = 0;         // 0..1
  float r = 0, g = 0, b = 0;  // straight, 0..1
  float a = 1;
};

// The scene reduced to what the per-pixel work reads, in frame pixels.
struct CpuFill {
  int fillType = 0;
  int blendMode = 0;
  float start[2]{}, end[2]{};  // linear
  float center[2]{};           // radial circle, sweep center
  float focal[2]{};            // radial
  float radius = 0;
  std::vector<CpuStop> stops;  // ascending, distinct positions
};

// As the effect reads its parameters: a solid colour keeps its own alpha; a
// gradient stop takes its opacity as alpha; stops at one position merge, the
// later one winning; a focal point on the circle moves one pixel inside.
CpuFill MakeCpuFill(const FillScene& scene);

// Fills `dst` from `src`, both `width` x `height`, rows `*Rowbytes` apart.
// Pixel (x, y) is sampled at its center (x + 0.5, y + 0.5).
void RenderCpu(const CpuFill& fill, const std::uint8_t* src, std::size_t srcRowbytes, std::uint8_t* dst,
               std::size_t dstRowbytes, int width, int height);

}  // namespace Tavrolin::Fill::Bench
