#include <string>

#include "common/constants.h"
#include "shell/frm_main.h"
#include "shell/module1.h"

namespace lightmatrix {

// The load step: runs once, while the window is created and before it shows.
void frmMain::formLoad() {
    if (platform_.instanceCheck.anotherInstanceRunning()) {
        platform_.program.end();
        return;
    }
    rowCount = kRows;
    colCount = kColumns;
    platform_.window.setBackColor(kBackground);
    platform_.window.setMaximized();
    createLights();
    platform_.window.show();

    const std::string commandLine = platform_.program.commandLine();
    if (commandLine.compare(0, 2, "/p") == 0) attachToPreview(*this);
}

}  // namespace lightmatrix
