#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "ico_file.h"

namespace lightmatrix::icon_tool {
namespace {

std::vector<std::uint8_t> readFile(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::uint32_t read32(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 |
           static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

TEST(IconFile, TheCommittedIconIsWhatTheGeneratorWrites) {
    const std::vector<std::uint8_t> committed = readFile(LIGHTMATRIX_COMMITTED_ICON);
    ASSERT_FALSE(committed.empty()) << LIGHTMATRIX_COMMITTED_ICON << " cannot be read";
    EXPECT_EQ(committed, encodeIco(drawIcon()))
        << "regenerate it: lightmatrix_make_icon " << LIGHTMATRIX_COMMITTED_ICON;
}

TEST(IconFile, OneImageOf32By32In24BitColourShowingTheDrawing) {
    IconImage icon = drawIcon();
    const std::vector<std::uint8_t> file = encodeIco(icon);
    ASSERT_EQ(file.size(), 6u + 16u + 40u + 32u * 32u * 3u + 32u * 4u);
    EXPECT_EQ(file[4], 1);                 // one image
    EXPECT_EQ(file[6], 32);                // 32 wide
    EXPECT_EQ(file[7], 32);                // 32 high
    EXPECT_EQ(file[12], 24);               // 24 bits per pixel
    EXPECT_EQ(read32(file, 18), 22u);      // the image follows the directory
    EXPECT_EQ(read32(file, 22 + 8), 64u);  // colour rows and mask rows
    EXPECT_EQ(file[22 + 14], 24);

    // Pixel (x, y) of the drawing, read back from the bottom-up rows.
    const std::size_t colours = 22 + 40;
    const std::size_t mask = colours + 32 * 32 * 3;
    int opaque = 0;
    int blue = 0;
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            const auto i = static_cast<std::size_t>(y * 32 + x);
            const std::size_t p = colours + static_cast<std::size_t>((31 - y) * 96 + x * 3);
            const bool transparent = (file[mask + static_cast<std::size_t>((31 - y) * 4 + x / 8)] &
                                      (0x80 >> (x % 8))) != 0;
            EXPECT_EQ(transparent, !icon.opaque[i]) << x << ", " << y;
            if (transparent) continue;
            ++opaque;
            const Colour c = rgb(file[p + 2], file[p + 1], file[p]);
            EXPECT_EQ(c, icon.pixels[i]) << x << ", " << y;
            blue += blueOf(c) > 150 && redOf(c) < 60;
        }
    }
    // A monitor with a blue screen on a transparent ground.
    EXPECT_GT(opaque, 32 * 16);
    EXPECT_LT(opaque, 32 * 32);
    EXPECT_GT(blue, 16 * 16);
}

}  // namespace
}  // namespace lightmatrix::icon_tool
