// An image buffer of the host: PF_LayerDef over storage this object owns.
#pragma once

#include <cstdint>
#include <vector>

#include "sdk/PFTypes.h"

namespace Tavrolin::Fill {

class World {
public:
  // Bytes per pixel of the three depths: PF_Pixel8, PF_Pixel16, PF_PixelFloat.
  enum Depth { k8 = 4, k16 = 8, k32 = 16 };

  // rowbytes 0 means tightly packed; a larger value pads every row. Padding
  // bytes are filled with `padByte` so a test can see whether they were
  // written. Pixels start as zero.
  World(int width, int height, int rowbytes = 0, Depth depth = k8, uint8_t padByte = 0xA5);
  World(const World& other);
  World& operator=(const World& other);

  PF_LayerDef* def() { return &mDef; }
  const PF_LayerDef* def() const { return &mDef; }

  int width() const { return mDef.width; }
  int height() const { return mDef.height; }
  int rowbytes() const { return mDef.rowbytes; }
  Depth depth() const { return mDepth; }

  PF_Pixel8& at(int x, int y);
  const PF_Pixel8& at(int x, int y) const;
  PF_Pixel16& at16(int x, int y);
  PF_PixelFloat& atFloat(int x, int y);

  void fill(PF_Pixel8 pixel);

  // The whole storage, padding included (rowbytes * height bytes).
  std::vector<uint8_t>& bytes() { return mBytes; }
  const std::vector<uint8_t>& bytes() const { return mBytes; }

  // True when every padding byte still holds `padByte`.
  bool paddingIntact() const;

private:
  void bind();

  Depth mDepth;
  uint8_t mPadByte;
  std::vector<uint8_t> mBytes;
  PF_LayerDef mDef{};
};

}  // namespace Tavrolin::Fill
