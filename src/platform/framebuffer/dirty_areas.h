#pragma once

#include <cstddef>
#include <vector>

#include "common/geometry.h"

namespace lightmatrix {

// The parts of a window that changed since it was last drawn, gathered as a
// window system gathers invalid regions: a handler that changes many lights
// costs one repaint afterwards, not one per light. A few separate areas are
// kept apart; past that they are drawn as one rectangle around them all.
class DirtyAreas {
  public:
    static constexpr std::size_t kMaxSeparateAreas = 32;

    void add(const PixelRect& area);
    // Everything in `whole` is to be drawn, and whatever comes later joins it.
    void coverAll(const PixelRect& whole);
    void clear();

    bool empty() const { return areas_.empty(); }
    const std::vector<PixelRect>& areas() const { return areas_; }

  private:
    std::vector<PixelRect> areas_;
    bool merged_ = false;
};

}  // namespace lightmatrix
