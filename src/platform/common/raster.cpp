#include "platform/common/raster.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "common/constants.h"

namespace lightmatrix {

PixelRect PixelRect::intersect(const PixelRect& o) const {
    return {std::max(left, o.left), std::max(top, o.top), std::min(right, o.right),
            std::min(bottom, o.bottom)};
}

void Raster::resize(Int32 w, Int32 h, Colour fill) {
    width = std::max(w, 0);
    height = std::max(h, 0);
    pixels.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), fill);
}

namespace {
// Rounding to whole pixels without a call into libm: the baseline x86-64
// instruction set has no rounding instruction, and a cell's repaint rounds
// a few dozen edges. Values are held to +-1e9 first (NaN too), where the
// conversion to Int32 is exact and defined.
constexpr double kPixelLimit = 1e9;

Int32 floorToPixel(double v) {
    if (!(v > -kPixelLimit)) return static_cast<Int32>(-kPixelLimit);
    if (!(v < kPixelLimit)) return static_cast<Int32>(kPixelLimit);
    const auto i = static_cast<Int32>(v);  // towards zero
    return v < i ? i - 1 : i;
}

Int32 ceilToPixel(double v) {
    if (!(v > -kPixelLimit)) return static_cast<Int32>(-kPixelLimit);
    if (!(v < kPixelLimit)) return static_cast<Int32>(kPixelLimit);
    const auto i = static_cast<Int32>(v);
    return v > i ? i + 1 : i;
}

Int32 firstCentreAtOrAfter(double edge) {
    return ceilToPixel(edge - 0.5);
}

// The colour a light paints its shape in: its fill colour when filled solid,
// else its back colour when that is opaque; nothing when both are transparent.
std::optional<Colour> paintOf(const LightRecord& light) {
    if (light.fillStyle == FillStyle::Solid) return light.fillColour;
    if (light.backStyle == BackStyle::Opaque) return light.backColour;
    return std::nullopt;
}
}  // namespace

PixelRect designClientArea(const PixelMapping& mapping) {
    const double s = mapping.pixelsPerTwip();
    return {0, 0, static_cast<Int32>(std::lround(kDesignClientWidthTwips * s)),
            static_cast<Int32>(std::lround(kDesignClientHeightTwips * s))};
}

PixelRect designPanelArea(const PixelMapping& mapping) {
    return mapping.toPixels({kPanelLeftTwips, kPanelTopTwips, kPanelLeftTwips + kPanelWidthTwips,
                             kPanelTopTwips + kPanelHeightTwips});
}

PixelRect PixelMapping::toPixels(const TwipsRect& r) const {
    return {firstCentreAtOrAfter(r.left * pixelsPerTwip_),
            firstCentreAtOrAfter(r.top * pixelsPerTwip_),
            firstCentreAtOrAfter(r.right * pixelsPerTwip_),
            firstCentreAtOrAfter(r.bottom * pixelsPerTwip_)};
}

void paintLight(const LightRecord& light, const PixelMapping& mapping, const PixelRect& clip,
                Raster& raster) {
    const std::optional<Colour> paint = paintOf(light);
    if (!paint) return;
    const Colour colour = *paint;

    const TwipsRect cell = cellOf(light);
    const PixelRect area = mapping.toPixels(cell).intersect(clip).intersect(raster.bounds());
    if (area.empty()) return;

    if (light.shape != LightShape::Circle) {
        for (Int32 y = area.top; y < area.bottom; ++y)
            std::fill_n(&raster.at(area.left, y), area.right - area.left, colour);
        return;
    }
    const double s = mapping.pixelsPerTwip();
    const double cx = (cell.left + cell.right) / 2 * s;
    const double cy = (cell.top + cell.bottom) / 2 * s;
    const double rx = light.width / 2.0 * s;
    const double ry = light.height / 2.0 * s;
    if (rx <= 0 || ry <= 0) return;
    for (Int32 y = area.top; y < area.bottom; ++y) {
        const double dy = (y + 0.5 - cy) / ry;
        const double reach = 1.0 - dy * dy;
        if (reach < 0) continue;
        // The run of pixel centres inside the circle on this row.
        const double half = std::sqrt(reach) * rx;
        const Int32 x0 = std::max(area.left, firstCentreAtOrAfter(cx - half));
        const Int32 x1 = std::min(area.right, floorToPixel(cx + half - 0.5) + 1);
        if (x1 > x0) std::fill_n(&raster.at(x0, y), x1 - x0, colour);
    }
}

namespace {

Colour paintedColour(const LightRecord& light, Colour none) {
    return light.visible ? paintOf(light).value_or(none) : none;
}

// Whether a light painted in the background colour would change anything: only
// where a light below it shows another colour.
bool coversAnything(const LightScene& scene, Int16 index, const LightRecord& light,
                    Colour background, std::vector<Int16>& nearby) {
    scene.lightsNear(cellOf(light), nearby);
    for (const Int16 below : nearby) {
        if (below >= index) break;
        const LightRecord* other = scene.find(below);
        if (other != nullptr && paintedColour(*other, background) != background) return true;
    }
    return false;
}

// The whole area: background first, then every light in index order, except
// those that would paint background over background. After clear() that is
// nearly all of them.
void renderAllLights(const LightScene& scene, Colour background, const PixelMapping& mapping,
                     const PixelRect& clip, Raster& raster) {
    thread_local std::vector<Int16> nearby;
    for (Int32 i = 0; i < scene.indexLimit(); ++i) {
        const auto index = static_cast<Int16>(i);
        const LightRecord* light = scene.find(index);
        if (light == nullptr || !light->visible) continue;
        if (paintedColour(*light, background) == background &&
            !coversAnything(scene, index, *light, background, nearby))
            continue;
        paintLight(*light, mapping, clip, raster);
    }
}

}  // namespace

void renderArea(const LightScene& scene, Colour background, const PixelMapping& mapping,
                const PixelRect& area, Raster& raster) {
    const PixelRect clip = area.intersect(raster.bounds());
    if (clip.empty()) return;
    for (Int32 y = clip.top; y < clip.bottom; ++y)
        std::fill_n(&raster.at(clip.left, y), clip.right - clip.left, background);

    // A small area (one cell) asks the grid; a large one walks every light.
    constexpr Int32 kSmallArea = 64 * 64;
    if ((clip.right - clip.left) * (clip.bottom - clip.top) > kSmallArea) {
        renderAllLights(scene, background, mapping, clip, raster);
        return;
    }
    // A light paints a pixel only when its cell holds the pixel's centre, so
    // the lights to ask for are those whose cells meet the centres of the
    // area's first and last pixels (half a twip wider against rounding). The
    // area's own edges reach into the neighbouring cells' buckets.
    const double s = mapping.pixelsPerTwip();
    const TwipsRect centres{(clip.left + 0.5) / s - 0.5, (clip.top + 0.5) / s - 0.5,
                            (clip.right - 0.5) / s + 0.5, (clip.bottom - 0.5) / s + 0.5};
    thread_local std::vector<Int16> nearby;
    scene.lightsNear(centres, nearby);
    for (const Int16 index : nearby) {
        const LightRecord* light = scene.find(index);
        if (light != nullptr && light->visible) paintLight(*light, mapping, clip, raster);
    }
}

}  // namespace lightmatrix
