#include "platform/common/dirty_areas.h"

#include <algorithm>

namespace lightmatrix {

namespace {
PixelRect around(const PixelRect& a, const PixelRect& b) {
    return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
            std::max(a.bottom, b.bottom)};
}
}  // namespace

void DirtyAreas::add(const PixelRect& area) {
    if (area.empty()) return;
    if (merged_) {
        areas_.front() = around(areas_.front(), area);
        return;
    }
    areas_.push_back(area);
    if (areas_.size() > kMaxSeparateAreas) {
        PixelRect all = areas_.front();
        for (const PixelRect& r : areas_) all = around(all, r);
        coverAll(all);
    }
}

void DirtyAreas::coverAll(const PixelRect& whole) {
    areas_.assign(1, whole);
    merged_ = true;
}

void DirtyAreas::clear() {
    areas_.clear();
    merged_ = false;
}

}  // namespace lightmatrix
