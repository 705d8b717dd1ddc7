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

// The same colour as 0x00RRGGBB, as DIBs and most X visuals hold it.
constexpr std::uint32_t toXrgb(Colour c) {
    const auto v = static_cast<std::uint32_t>(c);
    return (v & 0xFFu) << 16 | (v & 0xFF00u) | (v >> 16 & 0xFFu);
}

constexpr Colour kBlack = 0;
constexpr Colour kWhite = rgb(255, 255, 255);  // 16777215

}  // namespace lightmatrix
