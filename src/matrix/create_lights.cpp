#include "common/constants.h"
#include "shell/frm_main.h"

namespace lightmatrix {

// Builds the matrix once, at start-up: light n for the cell in row y, column x
// is n = y * colCount + x + 1, each a copy of the template light 0.
void frmMain::createLights() {
    Lights& lights = platform_.lights;

    // The template: a solid disc in the top-left cell on the window's background.
    lights.move(0, 0, 0, kLightSizeTwips, kLightSizeTwips);
    lights.setFillStyle(0, FillStyle::Solid);
    lights.setBackStyle(0, BackStyle::Opaque);
    lights.setBackColor(0, platform_.window.backColor());
    lights.setShape(0, LightShape::Circle);

    Int16 y = 0;
    Int16 n = 1;
    for (Int16 row = 1; row <= rowCount; row = checkedAdd<Int16>(row, 1)) {
        Int16 x = 0;
        for (Int16 column = 1; column <= colCount; column = checkedAdd<Int16>(column, 1)) {
            lights.load(n);
            lights.setVisible(n, true);
            // The steps come from light 1, which exists from the first cell on.
            const double left = checkedProduct(x, lights.width(1));
            const double top = checkedProduct(y, lights.height(1));
            lights.move(n, static_cast<float>(left), static_cast<float>(top), lights.width(n),
                        lights.height(n));
            x = checkedAdd<Int16>(x, 1);
            n = checkedAdd<Int16>(n, 1);
        }
        y = checkedAdd<Int16>(y, 1);
    }
}

}  // namespace lightmatrix
