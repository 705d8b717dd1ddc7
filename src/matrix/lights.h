#pragma once

#include <functional>
#include <utility>
#include <vector>

#include "common/checked.h"
#include "common/colour.h"
#include "common/geometry.h"

namespace lightmatrix {

// One light: a disc inscribed in its cell, filled solid in its colour.
struct Light {
    TwipsRect cell;
    Colour colour = kBlack;
};

// The window's lights, drawn by the window itself: a light with a higher index
// lies above one with a lower. Light 0, the template, exists from the start at
// its designed place. Every call that names a light that does not exist raises
// NoSuchLight. A change marks the cells it touches, and the window draws them
// at its next repaint.
class Lights {
  public:
    using CellsChanged = std::function<void(const TwipsRect& cell)>;
    explicit Lights(CellsChanged changed);

    // Adds light `index` as a copy of light 0; raises InvalidArgument when the
    // index is taken or negative.
    void add(Int16 index);
    // Takes light `index` away, as unloading a control would.
    void remove(Int16 index);
    bool exists(Int16 index) const { return find(index) != nullptr; }
    void place(Int16 index, const TwipsRect& cell);
    const TwipsRect& cell(Int16 index) const { return at(index).cell; }
    void setColour(Int16 index, Colour colour);
    Colour colour(Int16 index) const { return at(index).colour; }

    // The light with this index, or nullptr.
    const Light* find(Int16 index) const;
    // Indices of the lights whose cells may meet `area`, ascending.
    void lightsNear(const TwipsRect& area, std::vector<Int16>& out) const;
    // Every light whose colour is not `background`, by index.
    std::vector<std::pair<Int16, Colour>> coloured(Colour background) const;
    // One past the highest index a light ever had.
    Int32 indexLimit() const { return static_cast<Int32>(lights_.size()); }

  private:
    // One bucket per cell of the matrix; 128 x 128 buckets cover 12800 twips
    // each way, and anything beyond shares the edge buckets. Repainting one
    // cell then looks at a handful of lights, not all ten thousand.
    static constexpr int kGrid = 128;
    static constexpr double kBucketTwips = 100.0;
    struct BucketRange {
        int x0, y0, x1, y1;  // inclusive
    };
    static BucketRange bucketsOf(const TwipsRect& area);
    void link(Int16 index);
    void unlink(Int16 index);
    const Light& at(Int16 index) const;

    CellsChanged changed_;
    std::vector<Light> lights_;
    std::vector<bool> present_;
    std::vector<std::vector<Int16>> buckets_;  // kGrid rows of kGrid
};

}  // namespace lightmatrix
