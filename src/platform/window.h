#pragma once

#include <functional>

#include "common/checked.h"
#include "common/colour.h"

namespace lightmatrix {

using KeyDownHandler = std::function<void(Int16 keyCode, Int16 shift)>;
// x and y are the pointer's position on the window, in twips.
using MouseDownHandler = std::function<void(Int16 button, Int16 shift, float x, float y)>;

// The program's one window. It starts hidden; closing it ends the program.
class Window {
  public:
    virtual ~Window() = default;
    virtual void setBackColor(Colour colour) = 0;
    virtual Colour backColor() const = 0;
    virtual void setMaximized() = 0;
    virtual void show() = 0;
    virtual void close() = 0;
    // The native window handle, as a 32-bit value.
    virtual Int32 handle() const = 0;

    virtual void onKeyDown(KeyDownHandler handler) = 0;
    virtual void onMouseDown(MouseDownHandler handler) = 0;
};

}  // namespace lightmatrix
