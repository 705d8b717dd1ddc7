#pragma once

#include <cstdint>

#include "platform/generator.h"

namespace lightmatrix {

// PCG32 (O'Neill's permuted congruential generator), seeded from the bits of a
// single-precision value: the same seed always gives the same draws.
class PcgGenerator : public Generator {
  public:
    PcgGenerator() { reseed(0.0f); }
    void reseed(float seed) override;
    float next() override;

  private:
    std::uint32_t step();

    std::uint64_t state_ = 0;
};

}  // namespace lightmatrix
