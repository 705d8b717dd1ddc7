#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "common/raster.h"
#include "platform/framebuffer/dirty_areas.h"

struct wl_buffer;
struct wl_shm;

namespace lightmatrix {

// The pixel buffers of one surface, in shared memory (wl_shm, XRGB8888). The
// compositor reads a buffer from its commit until it releases it, so a frame
// is drawn into one it does not hold; that buffer first takes whatever changed
// since it was last shown, copied from the surface's picture of its screen.
class ShmBuffers {
  public:
    explicit ShmBuffers(wl_shm* shm);
    ShmBuffers(const ShmBuffers&) = delete;
    ShmBuffers& operator=(const ShmBuffers&) = delete;
    ~ShmBuffers();

    // Buffers of `width` x `height` pixels from now on.
    void resize(Int32 width, Int32 height);
    // `area` of the screen changed since the last frame.
    void changed(const PixelRect& area);
    bool anyChange() const { return !changes_.empty(); }
    // A buffer that shows `screen` (of the buffers' size) with every change,
    // and the changes it carries; nullptr when the compositor holds every
    // buffer, and the changes wait for the next frame.
    wl_buffer* frame(const Raster& screen, std::vector<PixelRect>& damage);
    // A buffer all in one colour, or nullptr as above.
    wl_buffer* filled(Colour colour);

  private:
    struct Buffer;
    Buffer* freeBuffer();

    wl_shm* shm_;
    Int32 width_ = 0;
    Int32 height_ = 0;
    DirtyAreas changes_;
    std::vector<std::unique_ptr<Buffer>> buffers_;
};

}  // namespace lightmatrix
