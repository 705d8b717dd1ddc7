#include "common/constants.h"
#include "shell/preview_embedding.h"
#include "shell/saver.h"

namespace lightmatrix {

// Runs once, after the window is made and before it is first shown.
bool Saver::load(std::string_view commandLine, InstanceCheck& instances) {
    if (instances.anotherInstanceRunning()) return false;
    rowCount = kRows;
    colCount = kColumns;
    window_.setBackColour(kBackground);
    window_.maximise();
    createLights();
    window_.show();

    // Only an exact, case-sensitive "/p" asks for the preview.
    if (commandLine.substr(0, 2) == "/p") attachToPreview(window_, commandLine);
    return true;
}

}  // namespace lightmatrix
