#include "search/resultpage.h"

#include "search/decimal.h"
#include "search/fieldbound.h"
#include "search/splitpick.h"
#include "search/urlencode.h"

namespace thornvale {

namespace {

// Piece 0 of a piece: the text up to the first end marker. Missing when the piece is.
std::optional<Text> upTo(std::optional<Text> piece, Text end)
{
    return piece ? Piece(*piece, end, 0) : std::nullopt;
}

} // namespace

std::optional<std::u16string_view> ResultSection(std::u16string_view page)
{
    const auto afterHeading = Piece(page, markers::Heading, 1);
    if (!afterHeading)
        return std::nullopt;
    const auto section = Piece(*afterHeading, markers::NextLink, 0);
    // The heading at the very end of the page leaves nothing to split: an empty section.
    return section ? *section : std::u16string_view();
}

std::vector<ScrapedRow> ScrapeSection(
    std::u16string_view section, std::u16string_view characterBase, ScrapeCounts *counts)
{
    std::u16string anchor(markers::AnchorOpen);
    anchor += characterBase;

    // Each marker is split once per page; row j then takes piece j of every split.
    const SplitText levels(section, markers::Level, MaxRowsPerPage);
    const SplitText servers(section, markers::Server, MaxRowsPerPage);
    const SplitText anchors(section, anchor, MaxRowsPerPage);
    const SplitText cards(section, markers::Card, MaxRowsPerPage);

    FieldBounds bounds;
    const auto textOf = [&bounds](std::optional<Text> piece) { return bounds.text(piece.value_or(Text {})); };
    // The level markers kept give the rows: one piece before the first, none at all for an empty
    // section.
    const std::size_t n = levels.pieceCount() > 1 ? levels.pieceCount() - 1 : 0;
    std::vector<ScrapedRow> rows;
    rows.reserve(n);
    for (std::size_t j = 1; j <= n; ++j) {
        ScrapedRow row;
        const auto block = upTo(levels.piece(j), markers::LevelBlockEnd);
        if (block) {
            const SplitText spans(*block, markers::SpanOpen, 3);
            const auto span1 = upTo(spans.piece(1), markers::SpanClose);
            row.level = textOf(upTo(span1, markers::LevelWord));
            row.job = textOf(upTo(spans.piece(2), markers::SpanClose));
            row.race = textOf(upTo(spans.piece(3), markers::SpanClose));
        }
        row.server = textOf(upTo(servers.piece(j), markers::SpanClose));
        if (const auto key = upTo(anchors.piece(j), markers::AnchorEnd))
            row.address = bounds.address(characterBase, *key);
        const auto card = upTo(cards.piece(j), markers::NameClose);
        row.nickname = textOf(card ? Piece(*card, markers::NameOpen, 1) : std::nullopt);
        rows.push_back(std::move(row));
    }
    if (counts)
        *counts = { .rowsDropped = levels.occurrences() - n,
            .fieldsCut = bounds.fieldsCut(),
            .addressesDropped = bounds.addressesDropped() };
    return rows;
}

std::vector<ScrapedRow> ScrapeResultPage(
    std::u16string_view page, std::u16string_view characterBase, ScrapeCounts *counts)
{
    if (counts)
        *counts = {};
    const auto section = ResultSection(page);
    if (!section)
        return {};
    return ScrapeSection(*section, characterBase, counts);
}

std::u16string BuildSearchUrl(std::u16string_view addressStart, std::u16string_view name, long long page)
{
    // (page - 1) * 10 passes 64 bits near either end, so it is written as text: the distance of
    // page from 1, which always fits unsigned 64 bits, then a zero for the factor ten.
    const bool below = page < 1;
    const unsigned long long distance
        = below ? 1ULL - static_cast<unsigned long long>(page) : static_cast<unsigned long long>(page) - 1ULL;
    std::u16string url(addressStart);
    url += URLEncode(name);
    url += u"&dt=characters&sf=score&st=desc&start=";
    if (below)
        url += u'-';
    url += Decimal(distance);
    if (distance != 0)
        url += u'0';
    url += u"&page=";
    url += Decimal(page);
    return url;
}

} // namespace thornvale
