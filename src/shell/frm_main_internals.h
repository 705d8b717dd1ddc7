#pragma once

#include <string>

#include "shell/frm_main.h"

namespace lightmatrix {

// The one way in to the window's private operations, for tests and tools:
// the picture mosaic and createLights, which the running screen saver does
// not call from outside.
struct frmMainInternals {
    static void drawPicture(frmMain& form, PicturePanel& panel, const std::string& path) {
        form.drawPicture(panel, path);
    }
    static void createLights(frmMain& form) { form.createLights(); }
};

}  // namespace lightmatrix
