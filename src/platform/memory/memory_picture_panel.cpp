#include "platform/memory/memory_picture_panel.h"

#include "platform/gdkpixbuf/picture_file.h"

namespace lightmatrix {

MemoryPicturePanel::MemoryPicturePanel(MemoryWindow& window, const PixelRect& area)
    : FramebufferPanel(window, area, &loadPictureFile), window_(window) {
    window.attach(*this);
}

}  // namespace lightmatrix
