#include "platform/wayland/shm_buffers.h"

#include <sys/mman.h>
#include <wayland-client.h>

#include <algorithm>

#include "common/runtime_error.h"
#include "platform/linux/unique_fd.h"

namespace lightmatrix {

namespace {
// Two buffers are enough while the compositor keeps to its frames; a third
// bridges one that it holds a little longer.
constexpr std::size_t kMostBuffers = 3;

// A pixel of XRGB8888 with its unused top byte set: some compositors carry
// that byte on as alpha (weston's pixman renderer into its screenshots and
// screen captures), where 0 would make the pixel transparent black.
constexpr std::uint32_t opaque(Colour colour) {
    return 0xFF000000u | toXrgb(colour);
}

}  // namespace

struct ShmBuffers::Buffer {
    Buffer(wl_shm* shm, Int32 w, Int32 h) : width(w), height(h) {
        bytes = static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 4;
        UniqueFd file(memfd_create("lightmatrix-buffer", MFD_CLOEXEC));
        if (!file || ftruncate(file.get(), static_cast<off_t>(bytes)) != 0)
            raise(ErrorKind::Platform, "cannot make a buffer in shared memory");
        void* mapped = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED, file.get(), 0);
        if (mapped == MAP_FAILED) raise(ErrorKind::Platform, "cannot map a buffer");
        pixels = static_cast<std::uint32_t*>(mapped);
        wl_shm_pool* pool = wl_shm_create_pool(shm, file.get(), static_cast<std::int32_t>(bytes));
        buffer = wl_shm_pool_create_buffer(pool, 0, w, h, w * 4, WL_SHM_FORMAT_XRGB8888);
        wl_shm_pool_destroy(pool);
        static const wl_buffer_listener listener{
            [](void* self, wl_buffer*) { static_cast<Buffer*>(self)->held = false; }};
        wl_buffer_add_listener(buffer, &listener, this);
        stale.coverAll({0, 0, w, h});
    }
    ~Buffer() {
        wl_buffer_destroy(buffer);
        munmap(pixels, bytes);
    }
    Buffer(const Buffer&) = delete;
    Buffer& operator=(const Buffer&) = delete;

    // Copies `area` of `screen` into the buffer.
    void copy(const Raster& screen, const PixelRect& area) {
        const PixelRect inside = area.intersect({0, 0, width, height});
        for (Int32 y = inside.top; y < inside.bottom; ++y) {
            std::uint32_t* row = pixels + static_cast<std::size_t>(y) * width;
            for (Int32 x = inside.left; x < inside.right; ++x) row[x] = opaque(screen.at(x, y));
        }
    }

    Int32 width;
    Int32 height;
    std::size_t bytes = 0;
    std::uint32_t* pixels = nullptr;
    wl_buffer* buffer = nullptr;
    bool held = false;  // by the compositor
    DirtyAreas stale;   // what changed on the screen since it was drawn
};

ShmBuffers::ShmBuffers(wl_shm* shm) : shm_(shm) {}

ShmBuffers::~ShmBuffers() = default;

void ShmBuffers::resize(Int32 width, Int32 height) {
    if (width == width_ && height == height_) return;
    width_ = width;
    height_ = height;
    buffers_.clear();
    changes_.coverAll({0, 0, width, height});
}

void ShmBuffers::changed(const PixelRect& area) {
    changes_.add(area.intersect({0, 0, width_, height_}));
}

ShmBuffers::Buffer* ShmBuffers::freeBuffer() {
    for (const auto& buffer : buffers_)
        if (!buffer->held) return buffer.get();
    if (buffers_.size() >= kMostBuffers || width_ <= 0 || height_ <= 0) return nullptr;
    buffers_.push_back(std::make_unique<Buffer>(shm_, width_, height_));
    return buffers_.back().get();
}

wl_buffer* ShmBuffers::frame(const Raster& screen, std::vector<PixelRect>& damage) {
    Buffer* buffer = freeBuffer();
    if (buffer == nullptr) return nullptr;
    damage = changes_.areas();
    for (const auto& other : buffers_)
        for (const PixelRect& area : damage) other->stale.add(area);
    for (const PixelRect& area : buffer->stale.areas()) buffer->copy(screen, area);
    buffer->stale.clear();
    changes_.clear();
    buffer->held = true;
    return buffer->buffer;
}

wl_buffer* ShmBuffers::filled(Colour colour) {
    Buffer* buffer = freeBuffer();
    if (buffer == nullptr) return nullptr;
    std::fill_n(buffer->pixels, buffer->bytes / 4, opaque(colour));
    buffer->held = true;
    changes_.clear();
    return buffer->buffer;
}

}  // namespace lightmatrix
