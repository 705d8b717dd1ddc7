#include "common/constants.h"
#include "shell/saver.h"

namespace lightmatrix {

// Counts the clearing timer's ticks and clears the matrix on every sixth.
void Saver::onClearingTick() {
    clearingCount = checkedAdd<Int16>(clearingCount, 1);
    if (clearingCount > kClearingTicksBeforeClear) {
        clearingCount = 0;
        clear();
    }
}

}  // namespace lightmatrix
