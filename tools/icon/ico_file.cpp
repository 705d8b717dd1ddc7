#include "ico_file.h"

namespace lightmatrix::icon_tool {

namespace {

void put16(std::vector<std::uint8_t>& out, unsigned value) {
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
    out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}

void put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    put16(out, value & 0xFFFF);
    put16(out, value >> 16);
}

}  // namespace

std::vector<std::uint8_t> encodeIco(const IconImage& icon) {
    constexpr int kSize = IconImage::kSize;
    constexpr std::uint32_t kColourBytes = kSize * kSize * 3;  // rows of 96 bytes, 4-aligned
    constexpr std::uint32_t kMaskRowBytes = ((kSize + 31) / 32) * 4;
    constexpr std::uint32_t kMaskBytes = kMaskRowBytes * kSize;
    constexpr std::uint32_t kHeaderBytes = 40;
    constexpr std::uint32_t kImageBytes = kHeaderBytes + kColourBytes + kMaskBytes;
    constexpr std::uint32_t kImageOffset = 6 + 16;

    std::vector<std::uint8_t> out;
    out.reserve(kImageOffset + kImageBytes);
    // The directory: one icon, one entry.
    put16(out, 0);
    put16(out, 1);
    put16(out, 1);
    out.push_back(kSize);
    out.push_back(kSize);
    out.push_back(0);  // no palette
    out.push_back(0);
    put16(out, 1);   // planes
    put16(out, 24);  // bits per pixel
    put32(out, kImageBytes);
    put32(out, kImageOffset);

    // The image: a BITMAPINFOHEADER whose height counts colour and mask rows.
    put32(out, kHeaderBytes);
    put32(out, kSize);
    put32(out, 2 * kSize);
    put16(out, 1);
    put16(out, 24);
    put32(out, 0);  // BI_RGB
    put32(out, kColourBytes + kMaskBytes);
    put32(out, 0);
    put32(out, 0);
    put32(out, 0);
    put32(out, 0);

    auto at = [](int x, int y) { return static_cast<std::size_t>(y * kSize + x); };
    // Colour rows from the bottom up, blue first; transparent pixels are black.
    for (int y = kSize - 1; y >= 0; --y) {
        for (int x = 0; x < kSize; ++x) {
            const Colour c = icon.opaque[at(x, y)] ? icon.pixels[at(x, y)] : kBlack;
            out.push_back(static_cast<std::uint8_t>(blueOf(c)));
            out.push_back(static_cast<std::uint8_t>(greenOf(c)));
            out.push_back(static_cast<std::uint8_t>(redOf(c)));
        }
    }
    // Mask rows from the bottom up, leftmost pixel in the high bit: 1 is transparent.
    for (int y = kSize - 1; y >= 0; --y) {
        for (std::uint32_t byte = 0; byte < kMaskRowBytes; ++byte) {
            std::uint8_t bits = 0;
            for (int bit = 0; bit < 8; ++bit) {
                const int x = static_cast<int>(byte) * 8 + bit;
                if (x < kSize && !icon.opaque[at(x, y)])
                    bits = static_cast<std::uint8_t>(bits | (0x80 >> bit));
            }
            out.push_back(bits);
        }
    }
    return out;
}

}  // namespace lightmatrix::icon_tool
