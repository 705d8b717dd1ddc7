#pragma once

#include <charconv>
#include <concepts>
#include <string_view>

namespace lightmatrix {

enum class Parsed { Number, NotANumber, OutOfRange };

// Reads the whole of `text` as an integer in `base`: digits only, with a
// leading '-' for a signed type. What is not a number, in part or at all,
// leaves `value` alone.
template <std::integral T>
Parsed parseInteger(std::string_view text, T& value, int base = 10) {
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value, base);
    if (stop != end || text.empty()) return Parsed::NotANumber;
    if (error == std::errc::result_out_of_range) return Parsed::OutOfRange;
    return error == std::errc() ? Parsed::Number : Parsed::NotANumber;
}

}  // namespace lightmatrix
