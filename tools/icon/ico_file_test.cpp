#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "ico_file.h"

namespace lightmatrix::icon_tool {
namespace {

// What the Windows build and its tests read: one 32 x 32 image in 24-bit
// colour, drawn by drawIcon(); the program file's icon is checked against it.
TEST(IconFile, TheCommittedIconIsWhatTheGeneratorWrites) {
    std::ifstream in(LIGHTMATRIX_COMMITTED_ICON, std::ios::binary);
    const std::vector<std::uint8_t> committed{std::istreambuf_iterator<char>(in),
                                              std::istreambuf_iterator<char>()};
    EXPECT_EQ(committed, encodeIco(drawIcon()))
        << "regenerate it: lightmatrix_make_icon " << LIGHTMATRIX_COMMITTED_ICON;
}

}  // namespace
}  // namespace lightmatrix::icon_tool
