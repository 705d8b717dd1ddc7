#include "shell/frm_main.h"

namespace lightmatrix {

// The runs follow the light index across row ends; nothing clips them and the
// bound that highlight() keeps does not apply.
void frmMain::drawHorLine(Int16 row, Int16 col, Int16 length, Colour icolor) {
    const Int16 s = checkedAdd<Int16>(checkedMul<Int16>(row, colCount), col);
    const Int16 e = checkedAdd<Int16>(s, length);
    for (Int16 i = s; i <= e; i = checkedAdd<Int16>(i, 1)) {
        light(i).setFillColor(icolor);
    }
}

void frmMain::drawVerLine(Int16 row, Int16 col, Int16 length, Colour icolor) {
    Int16 p = checkedAdd<Int16>(checkedMul<Int16>(row, colCount), col);
    for (Int16 k = 1; k <= length; k = checkedAdd<Int16>(k, 1)) {
        light(p).setFillColor(icolor);
        p = checkedAdd<Int16>(p, colCount);  // after every light, the last one included
    }
}

}  // namespace lightmatrix
