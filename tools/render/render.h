#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "common/raster.h"
#include "render_request.h"

namespace lightmatrix::render {

struct Rendering {
    Raster frame;
    // Every light whose fill colour is not the window's background, by index.
    std::vector<std::pair<Int16, Colour>> lit;
    // The run-time error that stopped the operations, with the operation.
    std::optional<std::string> error;
    // Set when the program ended (a click on the window) before the last operation.
    std::optional<std::string> endedAt;
};

// Starts the program on an in-memory window, runs the animation and then the
// operations, and returns the frame as it stands at the end.
Rendering renderFrame(const Request& request);

}  // namespace lightmatrix::render
