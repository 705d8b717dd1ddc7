#pragma once

#include <X11/Xlib.h>

#include <vector>

#include "common/geometry.h"

namespace lightmatrix {

// The monitors that show `screen`, in root-window pixels, the primary first:
// as RandR reports them, else Xinerama, else the whole screen as one.
std::vector<PixelRect> monitorsOf(Display* display, int screen);

// How many frames a second the display shows, as RandR reports it; 60 where
// it reports none.
double refreshRateOf(Display* display, int screen);

}  // namespace lightmatrix
