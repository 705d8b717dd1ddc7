#pragma once

#include <memory>
#include <string>

#include "common/constants.h"
#include "platform/memory/memory_platform.h"
#include "shell/frm_main.h"
#include "shell/frm_main_internals.h"
#include "shell/program_start.h"

namespace lightmatrix::testing_support {

// The program started on a memory platform, as the window system would start it.
struct RunningProgram {
    explicit RunningProgram(MemoryOptions options = {})
        : memory(std::move(options)), form(startProgram(memory.platform())) {}

    MemoryPlatform memory;
    std::unique_ptr<frmMain> form;

    Colour fill(Int16 index) { return memory.lights().fillColor(index); }
    // The pixel at the centre of light k's disc (k >= 1).
    Colour centreOf(Int16 k) const;
};

// Centre of the cell of matrix light k, in pixels at the window's DPI.
inline std::pair<Int32, Int32> cellCentrePixels(const PixelMapping& mapping, Int16 k) {
    const int row = (k - 1) / kColumns;
    const int column = (k - 1) % kColumns;
    const double s = mapping.pixelsPerTwip();
    return {static_cast<Int32>((column * 100 + 50) * s), static_cast<Int32>((row * 100 + 50) * s)};
}

inline Colour RunningProgram::centreOf(Int16 k) const {
    const auto [x, y] = cellCentrePixels(memory.window().mapping(), k);
    return memory.frame().at(x, y);
}

}  // namespace lightmatrix::testing_support
