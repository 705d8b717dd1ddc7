#include "shell/saver.h"

namespace lightmatrix {

// The runs follow the light index across row ends; nothing clips them and the
// bound that highlight() keeps does not apply.
void Saver::drawHorLine(Int16 row, Int16 col, Int16 length, Colour colour) {
    const Int16 s = checkedAdd<Int16>(checkedMul<Int16>(row, colCount), col);
    const Int16 e = checkedAdd<Int16>(s, length);
    for (Int16 i = s; i <= e; i = checkedAdd<Int16>(i, 1)) window_.lights().setColour(i, colour);
}

void Saver::drawVerLine(Int16 row, Int16 col, Int16 length, Colour colour) {
    Int16 p = checkedAdd<Int16>(checkedMul<Int16>(row, colCount), col);
    for (Int16 k = 1; k <= length; k = checkedAdd<Int16>(k, 1)) {
        window_.lights().setColour(p, colour);
        p = checkedAdd<Int16>(p, colCount);  // after every light, the last one included
    }
}

}  // namespace lightmatrix
