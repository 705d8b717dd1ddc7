#pragma once

#include "platform/common/framebuffer_panel.h"
#include "platform/memory/memory_window.h"

namespace lightmatrix {

// The picture panel in memory: a rectangle of the window without a border,
// drawn over the lights while it is shown. Pictures are decoded with
// gdk-pixbuf.
class MemoryPicturePanel : public FramebufferPanel {
  public:
    MemoryPicturePanel(MemoryWindow& window, const PixelRect& area);

  private:
    void changed() override { window_.expose(area()); }

    MemoryWindow& window_;
};

}  // namespace lightmatrix
