#include "matrix/lights.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "common/constants.h"
#include "common/runtime_error.h"

namespace lightmatrix {

Lights::Lights(CellsChanged changed)
    : changed_(std::move(changed)), buckets_(static_cast<std::size_t>(kGrid) * kGrid) {
    lights_.push_back({{kTemplateLeftTwips, kTemplateTopTwips, kTemplateLeftTwips + kLightSizeTwips,
                        kTemplateTopTwips + kLightSizeTwips},
                       kBlack});
    present_.push_back(true);
    link(0);
}

const Light* Lights::find(Int16 index) const {
    if (index < 0 || index >= indexLimit() || !present_[static_cast<std::size_t>(index)])
        return nullptr;
    return &lights_[static_cast<std::size_t>(index)];
}

const Light& Lights::at(Int16 index) const {
    const Light* light = find(index);
    if (light == nullptr) raise(ErrorKind::NoSuchLight, std::to_string(index));
    return *light;
}

std::vector<std::pair<Int16, Colour>> Lights::coloured(Colour background) const {
    std::vector<std::pair<Int16, Colour>> lit;
    for (Int32 i = 0; i < indexLimit(); ++i)
        if (const Light* light = find(static_cast<Int16>(i)); light && light->colour != background)
            lit.emplace_back(static_cast<Int16>(i), light->colour);
    return lit;
}

void Lights::add(Int16 index) {
    if (index < 0 || exists(index))
        raise(ErrorKind::InvalidArgument, "light " + std::to_string(index) + " already exists");
    const Light copy = at(0);
    if (index >= indexLimit()) {
        lights_.resize(static_cast<std::size_t>(index) + 1);
        present_.resize(static_cast<std::size_t>(index) + 1);
    }
    lights_[static_cast<std::size_t>(index)] = copy;
    present_[static_cast<std::size_t>(index)] = true;
    link(index);
    changed_(copy.cell);
}

void Lights::remove(Int16 index) {
    if (!exists(index)) return;
    const TwipsRect gone = cell(index);
    unlink(index);
    present_[static_cast<std::size_t>(index)] = false;
    changed_(gone);
}

void Lights::place(Int16 index, const TwipsRect& cell) {
    const TwipsRect before = at(index).cell;
    unlink(index);
    lights_[static_cast<std::size_t>(index)].cell = cell;
    link(index);
    changed_(before);
    changed_(cell);
}

void Lights::setColour(Int16 index, Colour colour) {
    const Light& light = at(index);
    if (light.colour == colour) return;  // the same colour needs no repaint
    lights_[static_cast<std::size_t>(index)].colour = colour;
    changed_(light.cell);
}

Lights::BucketRange Lights::bucketsOf(const TwipsRect& area) {
    // Right and bottom edges are exclusive, so a cell that ends on a bucket's
    // edge stays in one bucket.
    auto clamp = [](double b) {
        return static_cast<int>(std::clamp(b, 0.0, static_cast<double>(kGrid - 1)));
    };
    const int x0 = clamp(std::floor(area.left / kBucketTwips));
    const int y0 = clamp(std::floor(area.top / kBucketTwips));
    const int x1 = clamp(std::ceil(area.right / kBucketTwips) - 1);
    const int y1 = clamp(std::ceil(area.bottom / kBucketTwips) - 1);
    return {x0, y0, std::max(x0, x1), std::max(y0, y1)};
}

void Lights::link(Int16 index) {
    const BucketRange range = bucketsOf(lights_[static_cast<std::size_t>(index)].cell);
    for (int by = range.y0; by <= range.y1; ++by) {
        for (int bx = range.x0; bx <= range.x1; ++bx) {
            auto& bucket = buckets_[static_cast<std::size_t>(by * kGrid + bx)];
            bucket.insert(std::lower_bound(bucket.begin(), bucket.end(), index), index);
        }
    }
}

void Lights::unlink(Int16 index) {
    const BucketRange range = bucketsOf(lights_[static_cast<std::size_t>(index)].cell);
    for (int by = range.y0; by <= range.y1; ++by) {
        for (int bx = range.x0; bx <= range.x1; ++bx) {
            auto& bucket = buckets_[static_cast<std::size_t>(by * kGrid + bx)];
            const auto at = std::lower_bound(bucket.begin(), bucket.end(), index);
            if (at != bucket.end() && *at == index) bucket.erase(at);
        }
    }
}

void Lights::lightsNear(const TwipsRect& area, std::vector<Int16>& out) const {
    out.clear();
    const BucketRange range = bucketsOf(area);
    for (int by = range.y0; by <= range.y1; ++by) {
        for (int bx = range.x0; bx <= range.x1; ++bx) {
            const auto& bucket = buckets_[static_cast<std::size_t>(by * kGrid + bx)];
            out.insert(out.end(), bucket.begin(), bucket.end());
        }
    }
    if (range.x0 != range.x1 || range.y0 != range.y1) {
        std::sort(out.begin(), out.end());
        out.erase(std::unique(out.begin(), out.end()), out.end());
    }
}

}  // namespace lightmatrix
