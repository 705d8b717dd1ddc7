#pragma once

#include <cstdint>

namespace lightmatrix {

// A 24-bit colour as 0x00BBGGRR: red in the low byte, blue in the high one.
using Colour = std::int32_t;

constexpr Colour rgb(int red, int green, int blue) {
    return red + 256 * green + 65536 * blue;
}
constexpr int redOf(Colour c) {
    return c & 0xFF;
}
constexpr int greenOf(Colour c) {
    return (c >> 8) & 0xFF;
}
constexpr int blueOf(Colour c) {
    return (c >> 16) & 0xFF;
}

constexpr Colour kBlack = 0;
constexpr Colour kWhite = rgb(255, 255, 255);  // 16777215

}  // namespace lightmatrix
