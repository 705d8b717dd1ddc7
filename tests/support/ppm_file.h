#pragma once

#include <fstream>
#include <functional>
#include <string>

#include "common/colour.h"

namespace lightmatrix::testing_support {

// Writes a binary PPM picture of width x height whose pixel (x, y) is colourAt(x, y).
inline void writePpm(const std::string& path, int width, int height,
                     const std::function<Colour(int x, int y)>& colourAt) {
    std::ofstream out(path, std::ios::binary);
    out << "P6\n" << width << ' ' << height << "\n255\n";
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (const int channel :
                 {redOf(colourAt(x, y)), greenOf(colourAt(x, y)), blueOf(colourAt(x, y))})
                out.put(static_cast<char>(channel));
}

}  // namespace lightmatrix::testing_support
