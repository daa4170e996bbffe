#include "search/splitpick.h"

#include "search/markerscan.h"

#include <algorithm>

namespace thornvale {

std::optional<Text> Piece(Text text, Text marker, std::size_t k)
{
    if (text.empty())
        return std::nullopt;
    if (marker.empty())
        return k == 0 ? std::optional<Text>(text) : std::nullopt;
    std::size_t begin = 0;
    for (std::size_t i = 0; i < k; ++i) {
        const std::size_t hit = FindMarker(text, marker, begin);
        if (hit == Text::npos)
            return std::nullopt;
        begin = hit + marker.size();
    }
    const std::size_t end = FindMarker(text, marker, begin);
    return text.substr(begin, end == Text::npos ? Text::npos : end - begin);
}

long Occurrences(Text text, Text marker)
{
    if (text.empty())
        return -1;
    if (marker.empty())
        return 0;
    long count = 0;
    for (std::size_t at = FindMarker(text, marker); at != Text::npos;
         at = FindMarker(text, marker, at + marker.size()))
        ++count;
    return count;
}

std::optional<Text> Between(Text text, Text start, Text end)
{
    if (text.empty() || start.empty())
        return std::nullopt;
    const std::size_t hit = FindMarker(text, start);
    if (hit == Text::npos)
        return std::nullopt;
    const std::size_t begin = hit + start.size();
    if (end.empty()) {
        const auto piece1 = Piece(text, start, 1);
        return piece1 && !piece1->empty() ? piece1 : std::nullopt;
    }
    // Piece 1 runs to the next start. Only a start that begins before the first end has been
    // passed can cut that end off, so the search for it stops there instead of running through
    // the rest of a long page for every field.
    const std::size_t endHit = FindMarker(text, end, begin);
    const std::size_t horizon
        = endHit == Text::npos ? text.size() : std::min(text.size(), endHit + end.size() - 1 + start.size());
    const std::size_t nextStart = FindMarker(text.substr(0, horizon), start, begin);
    const std::size_t pieceEnd = nextStart == Text::npos ? text.size() : nextStart;
    if (pieceEnd == begin)
        return std::nullopt; // piece 1 is empty: the empty text has no piece 0
    if (endHit != Text::npos && endHit + end.size() <= pieceEnd)
        return text.substr(begin, endHit - begin);
    return text.substr(begin, pieceEnd - begin);
}

SplitText::SplitText(Text text, Text marker, std::size_t pieceLimit)
    : m_text(text)
    , m_markerSize(marker.size())
{
    // Piece k ends at occurrence k, so the last piece kept needs one occurrence past the limit.
    const std::size_t keep = pieceLimit == NoLimit ? NoLimit : pieceLimit + 1;
    if (!marker.empty()) {
        for (std::size_t at = FindMarker(text, marker); at != Text::npos;
             at = FindMarker(text, marker, at + marker.size())) {
            if (m_hits.size() < keep)
                m_hits.push_back(at);
            ++m_occurrences;
        }
    }
    m_pieceCount = text.empty() ? 0 : std::min(m_occurrences, keep == NoLimit ? NoLimit : keep - 1) + 1;
}

std::optional<Text> SplitText::piece(std::size_t k) const
{
    if (k >= m_pieceCount)
        return std::nullopt;
    const std::size_t begin = k == 0 ? 0 : m_hits[k - 1] + m_markerSize;
    const std::size_t end = k < m_hits.size() ? m_hits[k] : m_text.size();
    return m_text.substr(begin, end - begin);
}

} // namespace thornvale
