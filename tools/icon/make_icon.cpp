// Writes the program's icon, as drawn by drawIcon(), to a .ico file:
//   lightmatrix_make_icon res/lightmatrix.ico

#include <cstdio>

#include "ico_file.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s ICO-FILE\n", argv[0]);
        return 2;
    }
    const auto bytes = lightmatrix::icon_tool::encodeIco(lightmatrix::drawIcon());
    std::FILE* file = std::fopen(argv[1], "wb");
    if (file == nullptr || std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size() ||
        std::fclose(file) != 0) {
        std::perror(argv[1]);
        return 1;
    }
    return 0;
}
