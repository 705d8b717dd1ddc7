#include "common/constants.h"
#include "shell/saver.h"

namespace lightmatrix {

// Every tick gives one pseudo-randomly chosen light a pseudo-random colour:
// the first draw after the reseed picks the row, the second the column, the
// third the colour.
void Saver::onLightingTick() {
    generator_.reseed(clock_.secondsSinceMidnight());
    const float rowDraw = generator_.next();
    const float columnDraw = generator_.next();
    const float colourDraw = generator_.next();

    // Single-precision draws times small integers are exact in double precision.
    const Colour colour = roundTo<Int32>(checkedProduct(colourDraw, kWhite));
    const Int16 c = roundTo<Int16>(checkedProduct(colCount, columnDraw));
    const Int16 r = roundTo<Int16>(checkedProduct(rowCount, rowDraw));
    highlight(r, c, colour);
}

}  // namespace lightmatrix
