#pragma once

#include <string_view>

#include "common/checked.h"
#include "platform/window.h"

namespace lightmatrix {

// Whether the command line asks for the preview: its first two characters
// are exactly "/p", upper and lower case distinct.
bool isPreviewCommandLine(std::string_view commandLine);

// Reads the pane handle from a "/p" command line: everything from the fourth
// character on, as an optionally signed decimal with blanks around it.
Int32 paneHandleFromCommandLine(std::string_view commandLine);

// Makes the window a child of the preview pane named on the command line,
// fitted to the pane's client area.
void attachToPreview(Window& window, std::string_view commandLine);

}  // namespace lightmatrix
