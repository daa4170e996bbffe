#include "search/splitpick.h"

namespace thornvale {

std::optional<Text> Piece(Text text, Text marker, std::size_t k)
{
    if (text.empty())
        return std::nullopt;
    if (marker.empty())
        return k == 0 ? std::optional<Text>(text) : std::nullopt;
    std::size_t begin = 0;
    for (std::size_t i = 0; i < k; ++i) {
        const std::size_t hit = text.find(marker, begin);
        if (hit == Text::npos)
            return std::nullopt;
        begin = hit + marker.size();
    }
    const std::size_t end = text.find(marker, begin);
    return text.substr(begin, end == Text::npos ? Text::npos : end - begin);
}

long Occurrences(Text text, Text marker)
{
    if (text.empty())
        return -1;
    if (marker.empty())
        return 0;
    long count = 0;
    for (std::size_t at = text.find(marker); at != Text::npos; at = text.find(marker, at + marker.size()))
        ++count;
    return count;
}

std::optional<Text> Between(Text text, Text start, Text end)
{
    const auto after = Piece(text, start, 1);
    if (!after)
        return std::nullopt;
    return Piece(*after, end, 0);
}

SplitText::SplitText(Text text, Text marker)
    : m_text(text)
    , m_markerSize(marker.size())
{
    if (!marker.empty()) {
        for (std::size_t at = text.find(marker); at != Text::npos;
             at = text.find(marker, at + marker.size()))
            m_hits.push_back(at);
    }
    m_pieceCount = text.empty() ? 0 : m_hits.size() + 1;
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
