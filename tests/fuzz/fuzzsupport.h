#pragma once

// What every harness here shares: turning fuzz bytes into text, stopping on a broken property,
// and a plain reference for marker splits that does not go through the code under test.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace thornvale::fuzz {

// A broken property is a finding like a crash: libFuzzer saves the input and stops the run.
[[noreturn]] inline void fail(const char *what)
{
    std::fprintf(stderr, "property violated: %s\n", what);
    std::fflush(stderr);
    __builtin_trap();
}

inline void check(bool holds, const char *what)
{
    if (!holds)
        fail(what);
}

// Pairs of bytes as little-endian code units, an odd last byte dropped: every unit can arise, lone
// surrogates included, which no UTF-8 decoding would ever produce.
inline std::u16string Utf16Units(const std::uint8_t *data, std::size_t size)
{
    std::u16string units(size / 2, u'\0');
    for (std::size_t i = 0; i < units.size(); ++i)
        units[i] = char16_t(data[2 * i] | (data[2 * i + 1] << 8));
    return units;
}

// The pieces of text split at marker, by the rules in splitpick.h, found with the standard
// library's own search instead of the scanner the code under test uses.
inline std::vector<std::u16string_view> ReferencePieces(std::u16string_view text, std::u16string_view marker)
{
    std::vector<std::u16string_view> pieces;
    if (text.empty())
        return pieces;
    if (marker.empty()) {
        pieces.push_back(text);
        return pieces;
    }
    std::size_t begin = 0;
    for (std::size_t hit = text.find(marker); hit != std::u16string_view::npos;
         hit = text.find(marker, begin)) {
        pieces.push_back(text.substr(begin, hit - begin));
        begin = hit + marker.size();
    }
    pieces.push_back(text.substr(begin));
    return pieces;
}

inline std::optional<std::u16string_view> ReferencePiece(
    std::u16string_view text, std::u16string_view marker, std::size_t k)
{
    const auto pieces = ReferencePieces(text, marker);
    if (k >= pieces.size())
        return std::nullopt;
    return pieces[k];
}

inline bool Contains(std::u16string_view text, std::u16string_view part)
{
    return text.find(part) != std::u16string_view::npos;
}

} // namespace thornvale::fuzz
