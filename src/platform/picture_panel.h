#pragma once

#include <functional>
#include <memory>
#include <string>

#include "common/checked.h"
#include "common/raster.h"

namespace lightmatrix {

using Picture = std::shared_ptr<const Raster>;

// What sample() reads where no pixel can be read (CLR_INVALID).
constexpr Int32 kNoPixel = -1;

// The window's picture panel: a child window, hidden at first, that shows a
// picture from its top-left corner and the button face where the picture
// does not reach. While it is shown, every mouse button pressed on it belongs
// to the panel, not to the window.
class PicturePanel {
  public:
    virtual ~PicturePanel() = default;
    // Decodes a picture file; transparent parts are laid over the button
    // face. Raises CannotLoadPicture for a missing file, one that is not a
    // picture, and one of more than kMaxPicturePixels pixels.
    virtual Picture load(const std::string& path) = 0;
    virtual void setPicture(Picture picture) = 0;
    virtual void setVisible(bool visible) = 0;
    virtual bool visible() const = 0;
    // The inner size, in the panel's scale unit.
    virtual float innerWidth() const = 0;
    virtual float innerHeight() const = 0;
    // The colour value shown at device pixel (x, y) of the panel, or kNoPixel
    // where the panel is not seen: outside it, outside the window, or while
    // either is hidden.
    virtual Int32 sample(Int32 x, Int32 y) = 0;
    // `handler` runs when the panel is clicked: the left mouse button pressed
    // on it and released on it. Another button does nothing.
    virtual void onClick(std::function<void()> handler) = 0;
    // `handler` runs with the path of a picture file that the user handed to
    // the panel, where the backend offers a way to (the page's drop and file
    // chooser). The desktop programs offer none and never run it.
    virtual void onPictureChosen(std::function<void(const std::string& path)> handler) = 0;
};

}  // namespace lightmatrix
