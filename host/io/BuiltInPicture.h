#pragma once

// The picture a render uses when it is given no input: 320 x 200 pixels with
// opaque, half-transparent and fully transparent areas, light and dark
// colours side by side, so that every blend mode shows its effect.

#include "host/io/Png.h"

namespace Tavrolin::Fill {

// Left half (x < 160): opaque. x 160..239: alpha 128. x 240..319: alpha falls
// from 255 to 0 across the top half; the bottom half is fully transparent
// (all four channels 0). Colours: red grows to the right, green downward,
// blue to the left, every other 20-pixel square darkened to 40 %.
ArgbImage BuiltInPicture();

}  // namespace Tavrolin::Fill
