#include "host/io/BuiltInPicture.h"

#include <cmath>
#include <cstdint>

namespace Tavrolin::Fill {

ArgbImage BuiltInPicture() {
    constexpr int kWidth = 320, kHeight = 200, kSquare = 20;
    ArgbImage picture(kWidth, kHeight);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            int alpha = 255;
            if (x >= 240)
                alpha = y < kHeight / 2 ? static_cast<int>(std::lround(255.0 * (kWidth - 1 - x) / 79.0)) : 0;
            else if (x >= 160)
                alpha = 128;
            std::uint8_t* p = picture.pixel(x, y);
            p[0] = static_cast<std::uint8_t>(alpha);
            if (alpha == 0) continue;  // transparent pixels keep no colour
            const double dark = ((x / kSquare + y / kSquare) % 2) ? 0.4 : 1.0;
            const double r = static_cast<double>(x) / (kWidth - 1);
            const double g = static_cast<double>(y) / (kHeight - 1);
            p[1] = static_cast<std::uint8_t>(std::lround(255.0 * r * dark));
            p[2] = static_cast<std::uint8_t>(std::lround(255.0 * g * dark));
            p[3] = static_cast<std::uint8_t>(std::lround(255.0 * (1.0 - r) * dark));
        }
    }
    return picture;
}

}  // namespace Tavrolin::Fill
