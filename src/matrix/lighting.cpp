#include "common/constants.h"
#include "shell/saver.h"

namespace lightmatrix {

void Saver::highlight(Int16 r, Int16 c, Colour colour) {
    Int16 index = checkedMul<Int16>(r, colCount);
    index = checkedAdd<Int16>(index, c);
    // A fixed bound, not recomputed from the matrix size; no lower bound.
    if (index >= kHighlightBound) return;
    window_.lights().setColour(index, colour);
}

// Runs in skip-on-failure mode: a step that fails is abandoned and the next
// one runs, and nothing reaches the caller. The lighting timer is off while
// it runs.
void Saver::clear() {
    try {
        lightingTimer->setEnabled(false);
    } catch (const RuntimeError&) {
    }

    Int16 n = 0;
    bool sized = true;
    try {
        n = checkedMul<Int16>(rowCount, colCount);
    } catch (const RuntimeError&) {
        sized = false;  // with no count the loop has nothing to run over
    }

    if (sized) {
        for (Int16 i = 1; i <= n; ++i) {
            try {
                window_.lights().setColour(i, window_.backColour());
            } catch (const RuntimeError&) {
            }
            if (i == INT16_MAX) break;  // advancing past 32767 fails: go on with the timer
        }
    }

    try {
        lightingTimer->setEnabled(true);
    } catch (const RuntimeError&) {
    }
}

}  // namespace lightmatrix
