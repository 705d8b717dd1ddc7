#include "platform/common/light_scene.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace lightmatrix {

LightScene::LightScene() : buckets_(static_cast<std::size_t>(kGrid) * kGrid) {}

const LightRecord* LightScene::find(Int16 index) const {
    if (index < 0 || index >= indexLimit()) return nullptr;
    const LightRecord& record = records_[static_cast<std::size_t>(index)];
    return record.present ? &record : nullptr;
}

LightRecord* LightScene::find(Int16 index) {
    return const_cast<LightRecord*>(std::as_const(*this).find(index));
}

bool LightScene::add(Int16 index, const LightRecord& record) {
    if (index < 0 || find(index) != nullptr) return false;
    if (index >= indexLimit()) records_.resize(static_cast<std::size_t>(index) + 1);
    records_[static_cast<std::size_t>(index)] = record;
    records_[static_cast<std::size_t>(index)].present = true;
    link(index);
    return true;
}

void LightScene::remove(Int16 index) {
    if (find(index) == nullptr) return;
    unlink(index);
    records_[static_cast<std::size_t>(index)] = LightRecord{};
}

void LightScene::move(Int16 index, float left, float top, float width, float height) {
    LightRecord* record = find(index);
    if (record == nullptr) return;
    unlink(index);
    record->left = left;
    record->top = top;
    record->width = width;
    record->height = height;
    link(index);
}

LightScene::BucketRange LightScene::bucketsOf(const TwipsRect& area) {
    // Anything beyond the grid shares its edge buckets. Right and bottom edges
    // are exclusive, so a cell that ends on a bucket's edge stays in one bucket.
    auto clamp = [](double b) {
        return static_cast<int>(std::clamp(b, 0.0, static_cast<double>(kGrid - 1)));
    };
    const int x0 = clamp(std::floor(area.left / kBucketTwips));
    const int y0 = clamp(std::floor(area.top / kBucketTwips));
    const int x1 = clamp(std::ceil(area.right / kBucketTwips) - 1);
    const int y1 = clamp(std::ceil(area.bottom / kBucketTwips) - 1);
    return {x0, y0, std::max(x0, x1), std::max(y0, y1)};
}

void LightScene::link(Int16 index) {
    const BucketRange range = bucketsOf(cellOf(records_[static_cast<std::size_t>(index)]));
    for (int by = range.y0; by <= range.y1; ++by) {
        for (int bx = range.x0; bx <= range.x1; ++bx) {
            auto& bucket = buckets_[static_cast<std::size_t>(by * kGrid + bx)];
            bucket.insert(std::lower_bound(bucket.begin(), bucket.end(), index), index);
        }
    }
}

void LightScene::unlink(Int16 index) {
    const BucketRange range = bucketsOf(cellOf(records_[static_cast<std::size_t>(index)]));
    for (int by = range.y0; by <= range.y1; ++by) {
        for (int bx = range.x0; bx <= range.x1; ++bx) {
            auto& bucket = buckets_[static_cast<std::size_t>(by * kGrid + bx)];
            const auto at = std::lower_bound(bucket.begin(), bucket.end(), index);
            if (at != bucket.end() && *at == index) bucket.erase(at);
        }
    }
}

void LightScene::lightsNear(const TwipsRect& area, std::vector<Int16>& out) const {
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
