#include "platform/win32/dib_blit.h"

namespace lightmatrix {

void blitRaster(HDC dc, const Raster& raster, const PixelRect& area,
                std::vector<std::uint32_t>& scratch) {
    const PixelRect clip = area.intersect(raster.bounds());
    if (clip.empty()) return;
    scratch.resize(static_cast<std::size_t>(clip.width()) *
                   static_cast<std::size_t>(clip.height()));
    std::uint32_t* out = scratch.data();
    for (Int32 y = clip.top; y < clip.bottom; ++y)
        for (Int32 x = clip.left; x < clip.right; ++x) *out++ = toXrgb(raster.at(x, y));
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = clip.width();
    info.bmiHeader.biHeight = -clip.height();  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    SetDIBitsToDevice(dc, clip.left, clip.top, static_cast<DWORD>(clip.width()),
                      static_cast<DWORD>(clip.height()), 0, 0, 0, static_cast<UINT>(clip.height()),
                      scratch.data(), &info, DIB_RGB_COLORS);
}

}  // namespace lightmatrix
