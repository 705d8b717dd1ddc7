#pragma once

#include <string>

#include "shell/saver.h"

namespace lightmatrix {

// The one way in to the saver's private operations, for tests and tools: the
// picture mosaic and createLights, which the running screen saver does not
// call from outside.
struct SaverInternals {
    static void drawPicture(Saver& saver, PicturePanel& panel, const std::string& path) {
        saver.drawPicture(panel, path);
    }
    static void drawPicture(Saver& saver, const std::string& path) {
        saver.drawPicture(saver.panel_, path);
    }
    static void createLights(Saver& saver) { saver.createLights(); }
};

}  // namespace lightmatrix
