#include "math/Color.h"

#include <cmath>
#include <cstdint>
#include <cstdio>

namespace Tavrolin::Fill {

namespace {

// Channel values have always been divided in single precision: "80" gives
// 0.501960813999176, not 128/255 in double.
double channel(uint64_t value, unsigned int shift, unsigned int mask, float divisor) {
    return static_cast<double>(static_cast<float>((value >> shift) & mask) / divisor);
}

constexpr double kTolerance = 1e-12;

int toByte(double c) {
    // NaN and values below 0 become 0, values above 1 become 255.
    const double clamped = c > 1 ? 1 : (c >= 0 ? c : 0);
    return static_cast<int>(clamped * 255);
}

} // namespace

Color::Color(const std::string& text) : Color() {
    if (text.empty() || text[0] != '#') {
        return;
    }
    const std::string rest = text.substr(1);
    // The caller's contract: std::stoull's exceptions are not caught here.
    const uint64_t v = std::stoull(rest, nullptr, 16);
    switch (rest.size()) {
    case 4:
        mA = channel(v, 12, 0xF, 15.0f);
        [[fallthrough]];
    case 3:
        mR = channel(v, 8, 0xF, 15.0f);
        mG = channel(v, 4, 0xF, 15.0f);
        mB = channel(v, 0, 0xF, 15.0f);
        break;
    case 8:
        mA = channel(v, 24, 0xFF, 255.0f);
        [[fallthrough]];
    case 6:
        mR = channel(v, 16, 0xFF, 255.0f);
        mG = channel(v, 8, 0xFF, 255.0f);
        mB = channel(v, 0, 0xFF, 255.0f);
        break;
    default:
        break;
    }
}

Color::Color(unsigned int packed)
    : mR(channel(packed, 16, 0xFF, 255.0f)),
      mG(channel(packed, 8, 0xFF, 255.0f)),
      mB(channel(packed, 0, 0xFF, 255.0f)),
      mA(channel(packed, 24, 0xFF, 255.0f)) {}

bool Color::operator==(const Color& o) const {
    if (isNil() && o.isNil()) {
        return true;
    }
    return std::fabs(mR - o.mR) <= kTolerance && std::fabs(mG - o.mG) <= kTolerance &&
           std::fabs(mB - o.mB) <= kTolerance && std::fabs(mA - o.mA) <= kTolerance;
}

Color Color::lerp(const Color& from, const Color& to, double t) {
    if (t < 0) {
        t = 0;
    } else if (t > 1) {
        t = 1;
    }
    const double w = static_cast<double>(static_cast<float>(1 - t));
    return Color(from.mR * w + to.mR * t, from.mG * w + to.mG * t, from.mB * w + to.mB * t,
                 from.mA * w + to.mA * t);
}

std::string Color::toHexString(bool withAlpha) const {
    char text[10];
    if (withAlpha) {
        std::snprintf(text, sizeof text, "#%02X%02X%02X%02X", toByte(mA), toByte(mR), toByte(mG),
                      toByte(mB));
    } else {
        std::snprintf(text, sizeof text, "#%02X%02X%02X", toByte(mR), toByte(mG), toByte(mB));
    }
    return text;
}

} // namespace Tavrolin::Fill
