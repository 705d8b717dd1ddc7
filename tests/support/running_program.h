#pragma once

#include <map>
#include <string>
#include <string_view>
#include <utility>

#include "common/constants.h"
#include "matrix/rasteriser.h"
#include "platform/memory/memory_backend.h"
#include "saver/saver.h"
#include "support/probed_panel.h"

namespace lightmatrix::testing_support {

// The saver on the memory backend, its load step run as the program would
// run it (unless `load` is false), drawing with `generator` if one is given.
// Its panel is the memory backend's, every sample of drawPicture recorded.
// `loaded` is false when it found another instance.
struct RunningProgram {
    explicit RunningProgram(MemoryOptions options = {}, std::string_view commandLine = "",
                            bool load = true, Generator* generator = nullptr)
        : memory(options),
          panel(memory.panel()),
          saver(memory.window(), panel, memory, memory.clock(),
                generator ? *generator : memory.generator()),
          loaded(load && saver.load(commandLine, memory)) {}

    MemoryBackend memory;
    ProbedPanel panel;
    Saver saver;
    bool loaded;

    Lights& lights() { return memory.window().lights(); }
    Colour fill(Int16 k) { return lights().colour(k); }
    // The lights not black, by index.
    std::map<Int16, Colour> lit() {
        const auto coloured = lights().coloured(kBlack);
        return {coloured.begin(), coloured.end()};
    }
    // What the screen shows once a round of the loop has drawn the changes
    // made outside any handler.
    const Raster& screen() {
        memory.processPendingEvents();
        return memory.screen();
    }
    // The whole client area drawn afresh from the lights as they stand, at
    // the window's DPI: what the screen shows when the panel is hidden.
    Raster drawnAfresh() {
        const PixelRect client = memory.window().clientArea();
        Raster drawn(client.width(), client.height(), kBlack);
        renderArea(lights(), kBlack, memory.window().mapping(), client, drawn);
        return drawn;
    }
    // The picture mosaic of a file handed to the panel.
    void drawPicture(const std::string& path) { memory.choosePicture(path); }
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
    return screen().at(x, y);
}

}  // namespace lightmatrix::testing_support
