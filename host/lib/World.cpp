#include "host/lib/World.h"

#include <cstring>
#include <stdexcept>

namespace Tavrolin::Fill {

World::World(int width, int height, int rowbytes, Depth depth, uint8_t padByte)
    : mDepth(depth), mPadByte(padByte) {
  if (width < 0 || height < 0) throw std::invalid_argument("world size must not be negative");
  const long packed = long(width) * long(depth);
  if (rowbytes == 0) rowbytes = int(packed);
  if (rowbytes < packed) throw std::invalid_argument("rowbytes smaller than a row of pixels");
  mBytes.assign(size_t(rowbytes) * size_t(height), padByte);
  for (int y = 0; y < height; ++y) std::memset(mBytes.data() + size_t(y) * size_t(rowbytes), 0, size_t(packed));
  mDef.width = width;
  mDef.height = height;
  mDef.rowbytes = rowbytes;
  mDef.extent_hint = PF_Rect{0, 0, width, height};
  mDef.pix_aspect_ratio = PF_RationalScale{1, 1};
  bind();
}

World::World(const World& other) : mDepth(other.mDepth), mPadByte(other.mPadByte), mBytes(other.mBytes), mDef(other.mDef) {
  bind();
}

World& World::operator=(const World& other) {
  if (this != &other) {
    mDepth = other.mDepth;
    mPadByte = other.mPadByte;
    mBytes = other.mBytes;
    mDef = other.mDef;
    bind();
  }
  return *this;
}

void World::bind() { mDef.data = mBytes.empty() ? nullptr : reinterpret_cast<PF_PixelPtr>(mBytes.data()); }

PF_Pixel8& World::at(int x, int y) {
  return *reinterpret_cast<PF_Pixel8*>(mBytes.data() + size_t(y) * size_t(mDef.rowbytes) + size_t(x) * 4);
}

const PF_Pixel8& World::at(int x, int y) const {
  return *reinterpret_cast<const PF_Pixel8*>(mBytes.data() + size_t(y) * size_t(mDef.rowbytes) + size_t(x) * 4);
}

PF_Pixel16& World::at16(int x, int y) {
  return *reinterpret_cast<PF_Pixel16*>(mBytes.data() + size_t(y) * size_t(mDef.rowbytes) + size_t(x) * 8);
}

PF_PixelFloat& World::atFloat(int x, int y) {
  return *reinterpret_cast<PF_PixelFloat*>(mBytes.data() + size_t(y) * size_t(mDef.rowbytes) + size_t(x) * 16);
}

void World::fill(PF_Pixel8 pixel) {
  for (int y = 0; y < height(); ++y)
    for (int x = 0; x < width(); ++x) at(x, y) = pixel;
}

bool World::paddingIntact() const {
  const size_t packed = size_t(width()) * size_t(mDepth);
  for (int y = 0; y < height(); ++y) {
    const uint8_t* row = mBytes.data() + size_t(y) * size_t(rowbytes());
    for (size_t i = packed; i < size_t(rowbytes()); ++i)
      if (row[i] != mPadByte) return false;
  }
  return true;
}

}  // namespace Tavrolin::Fill
