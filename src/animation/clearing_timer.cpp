#include "common/constants.h"
#include "shell/frm_main.h"

namespace lightmatrix {

// Counts the clearing timer's ticks and clears the matrix on every sixth.
void frmMain::tmrClearTick() {
    clearTicks = checkedAdd<Int16>(clearTicks, 1);
    if (clearTicks > kClearingTicksBeforeClear) {
        clearTicks = 0;
        clear();
    }
}

}  // namespace lightmatrix
