#include "common/constants.h"
#include "shell/frm_main.h"

namespace lightmatrix {

// Every tick gives one pseudo-randomly chosen light a pseudo-random colour.
void frmMain::timer1Tick() {
    Generator& generator = platform_.generator;
    generator.reseed(platform_.clock.secondsSinceMidnight());
    const float a = generator.next();
    const float b = generator.next();
    const Colour white = kWhite;
    const float d = generator.next();

    // Single-precision draws times small integers are exact in double precision.
    const Colour icolor = roundTo<Int32>(checkedProduct(d, white));
    const Int16 c = roundTo<Int16>(checkedProduct(colCount, b));
    const Int16 r = roundTo<Int16>(checkedProduct(rowCount, a));
    highlight(r, c, icolor);
}

}  // namespace lightmatrix
