#include "matrix/rasteriser.h"

#include <algorithm>
#include <cmath>

namespace lightmatrix {

namespace {

void paintLight(const Light& light, const PixelMapping& mapping, const PixelRect& clip,
                Raster& raster) {
    const PixelRect area = mapping.toPixels(light.cell).intersect(clip);
    if (area.empty()) return;
    const double s = mapping.pixelsPerTwip();
    const double cx = (light.cell.left + light.cell.right) / 2 * s;
    const double cy = (light.cell.top + light.cell.bottom) / 2 * s;
    const double rx = light.cell.width() / 2.0 * s;
    const double ry = light.cell.height() / 2.0 * s;
    if (rx <= 0 || ry <= 0) return;
    for (Int32 y = area.top; y < area.bottom; ++y) {
        const double dy = (y + 0.5 - cy) / ry;
        const double reach = 1.0 - dy * dy;
        if (reach < 0) continue;
        // The run of pixel centres inside the circle on this row.
        const double half = std::sqrt(reach) * rx;
        const Int32 x0 = std::max(area.left, firstCentreAtOrAfter(cx - half));
        const Int32 x1 = std::min(area.right, floorToPixel(cx + half - 0.5) + 1);
        if (x1 > x0) std::fill_n(&raster.at(x0, y), x1 - x0, light.colour);
    }
}

// Whether a light in the background colour would change anything: only where
// a light below it shows another colour.
bool coversAnything(const Lights& lights, Int16 index, const Light& light, Colour background,
                    std::vector<Int16>& nearby) {
    lights.lightsNear(light.cell, nearby);
    for (const Int16 below : nearby) {
        if (below >= index) break;
        if (lights.find(below)->colour != background) return true;
    }
    return false;
}

// A large area: every light in index order, except those that would paint
// background over background. After clear() that is nearly all of them.
void renderAllLights(const Lights& lights, Colour background, const PixelMapping& mapping,
                     const PixelRect& clip, Raster& raster) {
    thread_local std::vector<Int16> nearby;
    for (Int32 i = 0; i < lights.indexLimit(); ++i) {
        const auto index = static_cast<Int16>(i);
        const Light* light = lights.find(index);
        if (light == nullptr) continue;
        if (light->colour == background &&
            !coversAnything(lights, index, *light, background, nearby))
            continue;
        paintLight(*light, mapping, clip, raster);
    }
}

}  // namespace

void renderArea(const Lights& lights, Colour background, const PixelMapping& mapping,
                const PixelRect& area, Raster& raster) {
    const PixelRect clip = area.intersect(raster.bounds());
    if (clip.empty()) return;
    for (Int32 y = clip.top; y < clip.bottom; ++y)
        std::fill_n(&raster.at(clip.left, y), clip.width(), background);

    // A small area (one cell) asks the grid; a large one walks every light.
    constexpr Int32 kSmallArea = 64 * 64;
    if (clip.width() * clip.height() > kSmallArea) {
        renderAllLights(lights, background, mapping, clip, raster);
        return;
    }
    // A light paints a pixel only when its cell holds the pixel's centre, so
    // the lights to ask for are those whose cells meet the centres of the
    // area's first and last pixels (half a twip wider against rounding).
    const double s = mapping.pixelsPerTwip();
    const TwipsRect centres{(clip.left + 0.5) / s - 0.5, (clip.top + 0.5) / s - 0.5,
                            (clip.right - 0.5) / s + 0.5, (clip.bottom - 0.5) / s + 0.5};
    thread_local std::vector<Int16> nearby;
    lights.lightsNear(centres, nearby);
    for (const Int16 index : nearby) paintLight(*lights.find(index), mapping, clip, raster);
}

}  // namespace lightmatrix
