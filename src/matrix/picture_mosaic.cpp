#include "common/constants.h"
#include "shell/frm_main.h"

namespace lightmatrix {

// Loads a picture into the panel, shows it, and copies the top-left pixel of
// every 3 x 3 block onto one light. Two counters, not the pixel coordinates,
// choose the light; they run on past the matrix as described beside them.
void frmMain::drawPicture(PicturePanel& panel, const std::string& path) {
    auto picture = panel.loadPicture(path);
    panel.setPicture(std::move(picture));
    panel.setVisible(true);
    Int16 rowCounter = 0;
    Int16 columnCounter = 0;
    platform_.events.doEvents();

    const Int32 hdc = panel.hDC();
    const Int32 yEnd = roundTo<Int32>(static_cast<double>(panel.scaleHeight()) - 1);
    for (Int32 y = 0; y <= yEnd; y = checkedAdd<Int32>(y, 3)) {
        const Int32 xEnd = roundTo<Int32>(static_cast<double>(panel.scaleWidth()) - 1);
        for (Int32 x = 0; x <= xEnd; x = checkedAdd<Int32>(x, 3)) {
            const Int32 colour = platform_.gdi32.GetPixel(hdc, x, y);
            // CLR_INVALID, or any value with the top bit set, colours nothing.
            if (colour >= 0) highlight(rowCounter, checkedAdd<Int16>(columnCounter, 1), colour);
            // Stops at colCount + 1: later samples of the row all land one further on.
            if (columnCounter <= colCount) columnCounter = checkedAdd<Int16>(columnCounter, 1);
        }
        // Past the last matrix row the column counter is no longer reset.
        if (rowCounter <= rowCount) columnCounter = 0;
        rowCounter = checkedAdd<Int16>(rowCounter, 1);
    }
}

void frmMain::picture1Click() {
    Picture1.setVisible(false);
}

}  // namespace lightmatrix
