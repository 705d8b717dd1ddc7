#pragma once

#include <vector>

#include "common/checked.h"
#include "common/colour.h"
#include "platform/lights.h"

namespace lightmatrix {

struct LightRecord {
    bool present = false;
    bool visible = false;
    float left = 0;
    float top = 0;
    float width = 0;
    float height = 0;
    LightShape shape = LightShape::Rectangle;
    FillStyle fillStyle = FillStyle::Transparent;
    BackStyle backStyle = BackStyle::Transparent;
    Colour backColour = kWhite;
    Colour fillColour = kBlack;
};

// A rectangle in twips, as [left, right) x [top, bottom).
struct TwipsRect {
    double left = 0;
    double top = 0;
    double right = 0;
    double bottom = 0;
};

// The cell a light stands in: the rectangle it is drawn in and repainted by.
inline TwipsRect cellOf(const LightRecord& light) {
    return {light.left, light.top, static_cast<double>(light.left) + light.width,
            static_cast<double>(light.top) + light.height};
}

// The lights of one window and where they stand. A coarse grid of buckets finds
// the lights near a point quickly, so that repainting one cell looks at a
// handful of lights, not all ten thousand.
class LightScene {
  public:
    LightScene();

    const LightRecord* find(Int16 index) const;
    LightRecord* find(Int16 index);
    // Adds a light; false if the index is negative or taken.
    bool add(Int16 index, const LightRecord& record);
    void remove(Int16 index);
    void move(Int16 index, float left, float top, float width, float height);

    // Indices of the present lights whose cells may meet `area`, ascending.
    void lightsNear(const TwipsRect& area, std::vector<Int16>& out) const;
    // Every index from 0 up to one past the highest present light.
    Int32 indexLimit() const { return static_cast<Int32>(records_.size()); }

  private:
    // One bucket per cell of the matrix; 128 x 128 buckets cover 12800 twips
    // each way, and anything beyond shares the edge buckets.
    static constexpr int kGrid = 128;
    static constexpr double kBucketTwips = 100.0;

    struct BucketRange {
        int x0, y0, x1, y1;  // inclusive
    };
    static BucketRange bucketsOf(const TwipsRect& area);
    void link(Int16 index);
    void unlink(Int16 index);

    std::vector<LightRecord> records_;
    std::vector<std::vector<Int16>> buckets_;  // kGrid rows of kGrid, on the heap
};

}  // namespace lightmatrix
