#include "platform/framebuffer/dirty_areas.h"

namespace lightmatrix {

void DirtyAreas::add(const PixelRect& area) {
    if (area.empty()) return;
    if (merged_) {
        areas_.front() = areas_.front().around(area);
        return;
    }
    areas_.push_back(area);
    if (areas_.size() > kMaxSeparateAreas) {
        PixelRect all = areas_.front();
        for (const PixelRect& r : areas_) all = all.around(r);
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
