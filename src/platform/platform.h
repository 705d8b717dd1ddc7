#pragma once

#include "platform/clock.h"
#include "platform/events.h"
#include "platform/generator.h"
#include "platform/instance_check.h"
#include "platform/lights.h"
#include "platform/picture_panel.h"
#include "platform/program.h"
#include "platform/timers.h"
#include "platform/win32_calls.h"
#include "platform/window.h"

namespace lightmatrix {

// Everything the program's logic needs of the window system, one facility each.
// A backend (Win32, X11, memory) provides all of them.
struct Platform {
    Program& program;
    InstanceCheck& instanceCheck;
    Window& window;
    Lights& lights;
    Timers& timers;
    PicturePanel& picturePanel;
    Events& events;
    Clock& clock;
    Generator& generator;
    User32& user32;
    Gdi32& gdi32;
};

}  // namespace lightmatrix
