#pragma once

#include <charconv>
#include <concepts>
#include <string>

namespace thornvale {

// n in decimal digits, with a minus sign in front when negative: the row numbers, page numbers
// and counts the program writes, no leading zeros, no separators.
template <std::integral Integer> std::u16string Decimal(Integer n)
{
    char digits[24]; // the longest 64-bit number with its sign is 20 characters
    const auto [end, ec] = std::to_chars(digits, digits + sizeof digits, n);
    return std::u16string(digits, end);
}

} // namespace thornvale
