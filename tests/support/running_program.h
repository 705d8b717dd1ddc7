#pragma once

#include <string_view>
#include <utility>

#include "common/constants.h"
#include "platform/memory/memory_backend.h"
#include "shell/saver.h"
#include "shell/saver_internals.h"

namespace lightmatrix::testing_support {

// The saver on the memory backend, its load step run as the program would
// run it (unless `load` is false). `loaded` is false when it found another
// instance.
struct RunningProgram {
    explicit RunningProgram(MemoryOptions options = {}, std::string_view commandLine = "",
                            bool load = true)
        : memory(options),
          saver(memory.window(), memory.panel(), memory, memory.clock(), memory.generator()),
          loaded(load && saver.load(commandLine, memory)) {}

    MemoryBackend memory;
    Saver saver;
    bool loaded;

    Lights& lights() { return memory.window().lights(); }
    Colour fill(Int16 index) { return lights().colour(index); }
    // The pixel at the centre of light k's disc (k >= 1).
    Colour centreOf(Int16 k);
};

// Centre of the cell of matrix light k, in pixels at the window's DPI.
inline std::pair<Int32, Int32> cellCentrePixels(const PixelMapping& mapping, Int16 k) {
    const double s = mapping.pixelsPerTwip();
    return {static_cast<Int32>(((k - 1) % kColumns * 100 + 50) * s),
            static_cast<Int32>(((k - 1) / kColumns * 100 + 50) * s)};
}

inline Colour RunningProgram::centreOf(Int16 k) {
    const auto [x, y] = cellCentrePixels(memory.window().mapping(), k);
    return memory.screen().at(x, y);
}

}  // namespace lightmatrix::testing_support
