#include "common/constants.h"
#include "shell/saver.h"

namespace lightmatrix {

// Builds the matrix once, at start-up: light n for the cell in row y, column x
// is n = y * colCount + x + 1, each a copy of the template light 0, a solid
// disc in the top-left cell.
void Saver::createLights() {
    Lights& lights = window_.lights();
    lights.place(0, {0, 0, kLightSizeTwips, kLightSizeTwips});

    Int16 y = 0;
    Int16 n = 1;
    for (Int16 row = 1; row <= rowCount; row = checkedAdd<Int16>(row, 1)) {
        Int16 x = 0;
        for (Int16 column = 1; column <= colCount; column = checkedAdd<Int16>(column, 1)) {
            lights.add(n);
            // The steps come from light 1, which exists from the first cell on.
            const TwipsRect& first = lights.cell(1);
            const double left = checkedProduct(x, first.width());
            const double top = checkedProduct(y, first.height());
            const TwipsRect& cell = lights.cell(n);
            lights.place(n, {left, top, left + cell.width(), top + cell.height()});
            x = checkedAdd<Int16>(x, 1);
            n = checkedAdd<Int16>(n, 1);
        }
        y = checkedAdd<Int16>(y, 1);
    }
}

}  // namespace lightmatrix
