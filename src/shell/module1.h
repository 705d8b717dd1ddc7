#pragma once

#include <string_view>

#include "common/checked.h"

namespace lightmatrix {

class frmMain;

// Reads the pane handle from a "/p" command line: everything from the fourth
// character on, as an optionally signed decimal with blanks around it.
Int32 paneHandleFromCommandLine(std::string_view commandLine);

// Makes the window a child of the preview pane named on the command line and
// fits it to the pane's client area.
void attachToPreview(frmMain& frm);

}  // namespace lightmatrix
