#pragma once

#include <string>

namespace Tavrolin::Fill {

// Straight (not premultiplied) RGBA colour of doubles, nominally 0 to 1. Any
// negative channel makes the colour nil. Nothing clamps stored values.
class Color {
public:
    double mR;
    double mG;
    double mB;
    double mA;

    // Opaque white.
    Color() : mR(1), mG(1), mB(1), mA(1) {}
    Color(double r, double g, double b, double a) : mR(r), mG(g), mB(b), mA(a) {}
    Color(const Color& o) : mR(o.mR), mG(o.mG), mB(o.mB), mA(o.mA) {}
    Color& operator=(const Color& o) {
        mR = o.mR;
        mG = o.mG;
        mB = o.mB;
        mA = o.mA;
        return *this;
    }
    // "#RGB", "#ARGB", "#RRGGBB" or "#AARRGGBB"; anything else without a leading "#"
    // or of another length leaves white. A "#" text with no leading hex digit, or
    // one beyond 64 bits, throws std::invalid_argument / std::out_of_range.
    explicit Color(const std::string& text);
    // 0xAARRGGBB.
    explicit Color(unsigned int packed);

    double r() const { return mR; }
    double g() const { return mG; }
    double b() const { return mB; }
    double a() const { return mA; }

    void set(double r, double g, double b, double a) {
        mR = r;
        mG = g;
        mB = b;
        mA = a;
    }
    bool isNil() const { return mR < 0 || mG < 0 || mB < 0 || mA < 0; }
    void setNil() { set(-1, -1, -1, -1); }

    // Two nil colours are equal whatever their channels; otherwise within 1e-12 per channel.
    bool operator==(const Color& o) const;
    bool equal(const Color& o) const { return *this == o; }
    bool operator!=(const Color& o) const { return !(*this == o); }

    Color operator+(const Color& o) const { return Color(mR + o.mR, mG + o.mG, mB + o.mB, mA + o.mA); }
    Color operator-(const Color& o) const { return Color(mR - o.mR, mG - o.mG, mB - o.mB, mA - o.mA); }
    Color operator*(const Color& o) const { return Color(mR * o.mR, mG * o.mG, mB * o.mB, mA * o.mA); }
    Color operator*(const double& factor) const {
        return Color(mR * factor, mG * factor, mB * factor, mA * factor);
    }

    // t is clamped to [0, 1]; the weight of `from` is rounded to single precision.
    static Color lerp(const Color& from, const Color& to, double t);

    // "#AARRGGBB" when withAlpha, else "#RRGGBB"; channels are clamped to 0..255.
    std::string toHexString(bool withAlpha) const;
};

} // namespace Tavrolin::Fill
