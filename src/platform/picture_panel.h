#pragma once

#include <functional>
#include <memory>
#include <string>

#include "common/checked.h"
#include "platform/picture.h"

namespace lightmatrix {

// The window's picture panel, a child window that shows a picture from its
// top-left corner. Its scale unit is the pixel.
class PicturePanel {
  public:
    virtual ~PicturePanel() = default;
    // Raises CannotLoadPicture for a missing file or one that is not a picture.
    virtual std::shared_ptr<const Picture> loadPicture(const std::string& path) = 0;
    virtual void setPicture(std::shared_ptr<const Picture> picture) = 0;
    virtual void setVisible(bool visible) = 0;
    virtual bool visible() const = 0;
    // The inner size, in the panel's scale unit.
    virtual float scaleWidth() const = 0;
    virtual float scaleHeight() const = 0;
    // A device context usable with Gdi32::GetPixel.
    virtual Int32 hDC() const = 0;
    virtual void onClick(std::function<void()> handler) = 0;
};

}  // namespace lightmatrix
