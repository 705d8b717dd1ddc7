#include "shell/frm_main.h"

namespace lightmatrix {

// Any key or mouse button closes the window, which ends the program.
void frmMain::formKeyDown(Int16 /*keyCode*/, Int16 /*shift*/) {
    platform_.window.close();
}

void frmMain::formMouseDown(Int16 /*button*/, Int16 /*shift*/, float /*x*/, float /*y*/) {
    platform_.window.close();
}

}  // namespace lightmatrix
