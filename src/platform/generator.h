#pragma once

namespace lightmatrix {

// A reseedable source of pseudo-random values uniformly distributed in [0, 1).
class Generator {
  public:
    virtual ~Generator() = default;
    virtual void reseed(float seed) = 0;
    virtual float next() = 0;
};

}  // namespace lightmatrix
