#pragma once

// The one marker search under every scraper. Pages arrive as tens to hundreds of kilobytes of
// UTF-16 and each marker is looked for across most of a page, so this loop is where scraping
// spends its time; the standard library's find tests one position at a time.

#include <cstddef>
#include <string_view>

namespace thornvale {

// The position of the leftmost occurrence of marker in text that starts at or after from, or
// std::u16string_view::npos when there is none: exactly what text.find(marker, from) returns,
// compared code unit by code unit, case-sensitively. An empty marker is found at from itself when
// from is at most text.size(). Reads nothing outside text.
std::size_t FindMarker(std::u16string_view text, std::u16string_view marker, std::size_t from = 0) noexcept;

} // namespace thornvale
