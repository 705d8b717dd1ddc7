#pragma once

// Integer arithmetic as the program does it: 16-bit and 32-bit signed values
// whose additions and multiplications are checked, and conversions from
// floating values that round to nearest with ties to even.

#include <cmath>
#include <concepts>
#include <cstdint>
#include <limits>
#include <string>

#include "common/runtime_error.h"

namespace lightmatrix {

using Int16 = std::int16_t;
using Int32 = std::int32_t;

namespace detail {
[[noreturn]] void overflow(long long a, char op, long long b);
[[noreturn]] void conversionOverflow(double value);
[[noreturn]] void floatingPointFault(double a, double b);
}  // namespace detail

template <std::signed_integral T>
constexpr T checkedAdd(T a, T b) {
    T result;
    if (__builtin_add_overflow(a, b, &result)) [[unlikely]]
        detail::overflow(a, '+', b);
    return result;
}

template <std::signed_integral T>
constexpr T checkedSub(T a, T b) {
    T result;
    if (__builtin_sub_overflow(a, b, &result)) [[unlikely]]
        detail::overflow(a, '-', b);
    return result;
}

template <std::signed_integral T>
constexpr T checkedMul(T a, T b) {
    T result;
    if (__builtin_mul_overflow(a, b, &result)) [[unlikely]]
        detail::overflow(a, '*', b);
    return result;
}

// A floating product; an infinite or invalid result is the floating-point error.
inline double checkedProduct(double a, double b) {
    const double product = a * b;
    if (!std::isfinite(product)) [[unlikely]]
        detail::floatingPointFault(a, b);
    return product;
}

// Rounds to the nearest integer, ties to even (0.5 -> 0, 1.5 -> 2, 22.5 -> 22),
// and raises the overflow error when the result does not fit T.
template <std::signed_integral T>
T roundTo(double value) {
    const double rounded = std::nearbyint(value);  // default mode: nearest, ties to even
    if (!(rounded >= static_cast<double>(std::numeric_limits<T>::min()) &&
          rounded <= static_cast<double>(std::numeric_limits<T>::max()))) [[unlikely]]
        detail::conversionOverflow(value);
    return static_cast<T>(rounded);
}

}  // namespace lightmatrix
