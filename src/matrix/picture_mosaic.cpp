#include "shell/saver.h"

namespace lightmatrix {

// Loads a picture into the panel, shows it, and copies the top-left pixel of
// every 3 x 3 block onto one light. Two counters, not the pixel coordinates,
// choose the light; they run on past the matrix as described beside them.
void Saver::drawPicture(PicturePanel& panel, const std::string& path) {
    Picture picture = panel.load(path);
    panel.setPicture(std::move(picture));
    panel.setVisible(true);
    Int16 rowCounter = 0;
    Int16 columnCounter = 0;
    events_.processPendingEvents();

    const Int32 yEnd = roundTo<Int32>(static_cast<double>(panel.innerHeight()) - 1);
    for (Int32 y = 0; y <= yEnd; y = checkedAdd<Int32>(y, 3)) {
        const Int32 xEnd = roundTo<Int32>(static_cast<double>(panel.innerWidth()) - 1);
        for (Int32 x = 0; x <= xEnd; x = checkedAdd<Int32>(x, 3)) {
            const Int32 colour = panel.sample(x, y);
            // kNoPixel, or any value with the top bit set, colours nothing.
            if (colour >= 0) highlight(rowCounter, checkedAdd<Int16>(columnCounter, 1), colour);
            // Stops at colCount + 1: later samples of the row all land one further on.
            if (columnCounter <= colCount) columnCounter = checkedAdd<Int16>(columnCounter, 1);
        }
        // Past the last matrix row the column counter is no longer reset.
        if (rowCounter <= rowCount) columnCounter = 0;
        rowCounter = checkedAdd<Int16>(rowCounter, 1);
    }
}

void Saver::onPanelClick() {
    panel_.setVisible(false);
}

}  // namespace lightmatrix
