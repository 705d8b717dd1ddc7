#include "platform/loop/pcg_generator.h"

#include <cstring>

namespace lightmatrix {

namespace {
constexpr std::uint64_t kMultiplier = 6364136223846793005ULL;
constexpr std::uint64_t kIncrement = 1442695040888963407ULL;

// SplitMix64's finaliser spreads nearby seeds (consecutive clock readings)
// over the whole state space.
std::uint64_t mix(std::uint64_t z) {
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}
}  // namespace

void PcgGenerator::reseed(float seed) {
    // The seed's bits, copied: the libc++ of Debian's emscripten has no std::bit_cast.
    std::uint32_t bits = 0;
    static_assert(sizeof bits == sizeof seed);
    std::memcpy(&bits, &seed, sizeof bits);
    state_ = mix(bits + 0x9E3779B97F4A7C15ULL);
    step();
}

std::uint32_t PcgGenerator::step() {
    const std::uint64_t old = state_;
    state_ = old * kMultiplier + kIncrement;
    const auto xorshifted = static_cast<std::uint32_t>(((old >> 18u) ^ old) >> 27u);
    const auto rot = static_cast<std::uint32_t>(old >> 59u);
    return (xorshifted >> rot) | (xorshifted << ((32u - rot) & 31u));
}

float PcgGenerator::next() {
    // 24 random bits: every float k / 2^24 in [0, 1) equally likely.
    return static_cast<float>(step() >> 8) * 0x1p-24f;
}

}  // namespace lightmatrix
