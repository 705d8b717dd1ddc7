#include "common/icon.h"

namespace lightmatrix {

namespace {

void fill(IconImage& icon, int x0, int y0, int x1, int y1, Colour colour) {
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) {
            const auto at = static_cast<std::size_t>(y * IconImage::kSize + x);
            icon.pixels[at] = colour;
            icon.opaque[at] = true;
        }
    }
}

}  // namespace

IconImage drawIcon() {
    IconImage icon;
    const Colour frame = rgb(64, 64, 72);
    const Colour frameLight = rgb(150, 150, 160);
    const Colour stand = rgb(110, 110, 120);

    fill(icon, 1, 2, 30, 23, frame);      // the monitor's case
    fill(icon, 1, 2, 30, 2, frameLight);  // its lit top edge
    fill(icon, 1, 2, 1, 23, frameLight);  // and left edge
    // The screen: blue, lighter towards the top.
    for (int y = 5; y <= 20; ++y)
        fill(icon, 4, y, 27, y, rgb(0, 40 + 4 * (20 - y), 200 + 3 * (20 - y)));
    fill(icon, 28, 21, 28, 21, rgb(0, 220, 0));  // the power light
    fill(icon, 13, 24, 18, 27, stand);           // the neck
    fill(icon, 7, 28, 24, 29, stand);            // the foot
    fill(icon, 7, 28, 24, 28, frameLight);
    return icon;
}

}  // namespace lightmatrix
