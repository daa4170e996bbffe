#pragma once

// Split-and-pick, the one text-extraction primitive of every scraper here.
//
// Splitting a non-empty text at a marker cuts it at every occurrence, scanning from the left,
// occurrences not overlapping: k occurrences give k + 1 pieces numbered from 0. A text without the
// marker is one piece, itself. The empty text gives no pieces at all, so even piece 0 of it is
// missing. Markers match code unit by code unit, case-sensitively. An empty marker never matches.

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

namespace thornvale {

using Text = std::u16string_view;

// Piece k of text split at marker, or nothing when the text has no piece k.
std::optional<Text> Piece(Text text, Text marker, std::size_t k);

// Number of pieces minus one: the occurrences of marker in a non-empty text, -1 for the empty text.
long Occurrences(Text text, Text marker);

// Piece 1 of text split at start, then piece 0 of that split at end: what follows the first start
// up to whichever comes first of the next end, the next start and the end of the text. Nothing
// when the text is empty, holds no start, or that piece is empty.
std::optional<Text> Between(Text text, Text start, Text end);

// All pieces of one split, computed once, for scrapers that pick many pieces of the same text.
// With a piece limit only pieces 0 to limit are kept (piece limit then ends at the next
// occurrence, as it would without the limit); the occurrences past it are only counted, so a page
// stuffed with markers costs a scan, not a record per marker.
class SplitText {
public:
    static constexpr std::size_t NoLimit = std::size_t(-1);

    SplitText(Text text, Text marker, std::size_t pieceLimit = NoLimit);

    // The pieces kept: at most pieceLimit + 1.
    std::size_t pieceCount() const { return m_pieceCount; }
    std::optional<Text> piece(std::size_t k) const;
    // Every occurrence of the marker, kept or not (0 for the empty text).
    std::size_t occurrences() const { return m_occurrences; }

private:
    Text m_text;
    std::size_t m_markerSize;
    std::vector<std::size_t> m_hits; // start offsets of the occurrences kept
    std::size_t m_pieceCount;
    std::size_t m_occurrences = 0;
};

} // namespace thornvale
