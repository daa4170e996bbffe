// The result-page scraper against a reference built on the standard library's search: the section
// is what follows the first heading up to the next heading or next-page link; there are as many
// rows as level markers in it, up to MaxRowsPerPage; row j takes piece j of every field marker's split, each
// cut at its end marker, and the address is the base and the key or nothing.
//
// Input: UTF-8, decoded with FromUtf8. The markers hold Hangul and long ASCII runs; libFuzzer
// splices dictionary words in at any byte, and UTF-8 keeps such a word whole wherever it lands,
// where half of the splices into UTF-16 would straddle code units. The seeds are site-sim's pages,
// which are UTF-8 as well. Lone surrogates are not reached here; the scrapers compare code units
// through split-and-pick, whose own harness feeds them.

#include "fuzzsupport.h"

#include <algorithm>

#include "search/fieldbound.h"
#include "search/resultpage.h"
#include "search/urlencode.h"

using namespace thornvale;
using namespace thornvale::fuzz;

namespace {

constexpr std::u16string_view Base = u"http://search.thornvale.example/characters/";

// Piece 0 at end of an optional piece, as the scrapers chain them.
std::optional<std::u16string_view> upTo(std::optional<std::u16string_view> piece, std::u16string_view end)
{
    return piece ? ReferencePiece(*piece, end, 0) : std::nullopt;
}

// A field as the scraper keeps it: at most MaxFieldLength units, never half a surrogate pair.
std::u16string textOf(std::optional<std::u16string_view> piece)
{
    std::u16string text = piece ? std::u16string(*piece) : std::u16string();
    if (text.size() > MaxFieldLength) {
        text.resize(MaxFieldLength);
        if (text.back() >= 0xD800 && text.back() <= 0xDBFF)
            text.pop_back();
    }
    return text;
}

std::optional<std::u16string_view> referenceSection(std::u16string_view page)
{
    const auto afterHeading = ReferencePiece(page, markers::Heading, 1);
    if (!afterHeading)
        return std::nullopt;
    return ReferencePiece(*afterHeading, markers::NextLink, 0).value_or(std::u16string_view());
}

// The splits of the section at every field marker, each made once.
struct ReferenceSplits {
    std::vector<std::u16string_view> levels, servers, anchors, cards;

    explicit ReferenceSplits(std::u16string_view section)
    {
        const std::u16string anchor = std::u16string(markers::AnchorOpen) + std::u16string(Base);
        levels = ReferencePieces(section, markers::Level);
        servers = ReferencePieces(section, markers::Server);
        anchors = ReferencePieces(section, anchor);
        cards = ReferencePieces(section, markers::Card);
    }

    static std::optional<std::u16string_view> at(
        const std::vector<std::u16string_view> &pieces, std::size_t j)
    {
        return j < pieces.size() ? std::optional(pieces[j]) : std::nullopt;
    }

    ScrapedRow row(std::size_t j) const
    {
        ScrapedRow r;
        if (const auto block = upTo(at(levels, j), markers::LevelBlockEnd)) {
            r.level = textOf(upTo(
                upTo(ReferencePiece(*block, markers::SpanOpen, 1), markers::SpanClose), markers::LevelWord));
            r.job = textOf(upTo(ReferencePiece(*block, markers::SpanOpen, 2), markers::SpanClose));
            r.race = textOf(upTo(ReferencePiece(*block, markers::SpanOpen, 3), markers::SpanClose));
        }
        r.server = textOf(upTo(at(servers, j), markers::SpanClose));
        if (const auto key = upTo(at(anchors, j), markers::AnchorEnd);
            key && Base.size() + key->size() <= MaxAddressLength)
            r.address = std::u16string(Base) + std::u16string(*key);
        const auto card = upTo(at(cards, j), markers::NameClose);
        r.nickname = textOf(card ? ReferencePiece(*card, markers::NameOpen, 1) : std::nullopt);
        return r;
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::u16string page = FromUtf8(std::string_view(reinterpret_cast<const char *>(data), size));

    const auto section = ResultSection(page);
    const auto expectedSection = referenceSection(page);
    check(
        section.has_value() == Contains(page, markers::Heading), "a section exactly when there is a heading");
    check(section.has_value() == expectedSection.has_value() && (!section || *section == *expectedSection),
        "the section runs from the heading to the next heading or next-page link");

    ScrapeCounts counts;
    const auto rows = ScrapeResultPage(page, Base, &counts);
    if (!section) {
        check(rows.empty(), "no heading, no rows");
        return 0;
    }
    check(rows == ScrapeSection(*section, Base), "a page scrapes as its section");

    const ReferenceSplits splits(*section);
    const std::size_t levels = splits.levels.size();
    const std::size_t markers = levels > 0 ? levels - 1 : 0;
    check(rows.size() == std::min(markers, MaxRowsPerPage), "one row per level marker, up to the bound");
    check(counts.rowsDropped == markers - rows.size(), "the rows past the bound are counted");
    for (std::size_t j = 0; j < rows.size(); ++j) {
        check(rows[j] == splits.row(j + 1), "row j takes piece j of every field marker");
        check(
            rows[j].address.empty() || rows[j].address.starts_with(Base), "an address starts with the base");
    }
    return 0;
}
