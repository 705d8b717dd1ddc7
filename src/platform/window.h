#pragma once

#include <functional>

#include "common/checked.h"
#include "common/colour.h"

namespace lightmatrix {

class Lights;

// The program's one window, made hidden. It draws its lights itself: a
// changed light shows at the window's next repaint. Closing it ends the
// program.
class Window {
  public:
    virtual ~Window() = default;

    virtual void setBackColour(Colour colour) = 0;
    virtual Colour backColour() const = 0;
    // Covers the screen: the primary monitor, and every other monitor with a
    // cover in the background colour.
    virtual void maximise() = 0;
    virtual void show() = 0;
    virtual void close() = 0;
    // Makes the window a child of the host's preview pane `pane` (its native
    // handle), at the top-left corner of the pane's client area and of its
    // size, and shows it there without taking the keyboard. False, with
    // nothing changed, when `pane` names no window.
    virtual bool embedIn(Int32 pane) = 0;

    virtual Lights& lights() = 0;

    // `handler` runs whenever a key or a mouse button goes down on the window
    // (or a cover), the shown picture panel excepted.
    virtual void onPress(std::function<void()> handler) = 0;
};

}  // namespace lightmatrix
