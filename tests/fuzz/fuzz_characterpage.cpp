// The character-page parser: one item per item marker inside the region, up to MaxItemsPerPage,
// its name and grade read from the block's header alone; title, server and class read from inside
// the region and free of the marker that ends them; the sub-line parts free of their span end; the
// level line the three parts joined; a grade coloured exactly when it is one of the listed grades.
//
// Input: UTF-8, decoded with FromUtf8, for the reasons given in fuzz_resultpage.cpp: spliced
// markers land whole, and the seeds (site-sim's character pages and the fixtures) are UTF-8.

#include "fuzzsupport.h"

#include <algorithm>

#include "search/characterpage.h"
#include "search/fieldbound.h"
#include "search/urlencode.h"

using namespace thornvale;
using namespace thornvale::fuzz;
using namespace thornvale::charmarkers;

namespace {

// Between by its definition: piece 1 at start, then piece 0 of that at end.
std::optional<std::u16string_view> referenceBetween(
    std::u16string_view text, std::u16string_view start, std::u16string_view end)
{
    const auto piece1 = ReferencePiece(text, start, 1);
    return piece1 ? ReferencePiece(*piece1, end, 0) : std::nullopt;
}

// A text as the parser keeps it: at most MaxFieldLength units, never half a surrogate pair.
std::optional<std::u16string> owned(std::optional<std::u16string_view> text)
{
    if (!text)
        return std::nullopt;
    std::u16string kept(*text);
    if (kept.size() > MaxFieldLength) {
        kept.resize(MaxFieldLength);
        if (kept.back() >= 0xD800 && kept.back() <= 0xDBFF)
            kept.pop_back();
    }
    return kept;
}

void checkField(const std::optional<std::u16string> &field, std::u16string_view region,
    std::u16string_view end, const char *what)
{
    if (!field)
        return;
    check(Contains(region, *field), what);
    check(!Contains(*field, end), what);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::u16string page = FromUtf8(std::string_view(reinterpret_cast<const char *>(data), size));
    const CharacterDetail detail = ParseCharacterPage(page);

    const std::u16string_view region
        = referenceBetween(page, RegionStart, RegionEnd).value_or(std::u16string_view());
    // Item k is block k of the region's split at the item marker; its name and grade are looked
    // for only in the block's header, up to the box marker.
    const auto blocks = ReferencePieces(region, Item);
    const std::size_t markers = blocks.size() > 0 ? blocks.size() - 1 : 0;
    check(detail.items.size() == std::min(markers, MaxItemsPerPage),
        "one item per item marker, up to the bound");
    check(detail.itemsDropped == markers - detail.items.size(), "the items past the bound are counted");
    for (std::size_t k = 0; k < detail.items.size(); ++k) {
        const std::u16string_view header
            = ReferencePiece(blocks[k + 1], Box, 0).value_or(std::u16string_view());
        check(detail.items[k].name == owned(referenceBetween(header, NameStart, TagEnd)),
            "an item's name is read from its block's header");
        check(detail.items[k].grade == owned(referenceBetween(header, GradeStart, TagEnd)),
            "an item's grade is read from its block's header");
    }
    checkField(detail.title, region, SpanEnd, "the title lies in the region, without its end");
    checkField(detail.server, region, SpanEnd, "the server lies in the region, without its end");
    checkField(detail.job, region, ClassEnd, "the class lies in the region, without its end");
    check(detail.title == owned(referenceBetween(region, TitleStart, SpanEnd)),
        "the title is read as Between reads");
    check(detail.server == owned(referenceBetween(region, ServerStart, SpanEnd)),
        "the server is read as Between reads");
    check(detail.job == owned(referenceBetween(region, ClassStart, ClassEnd)),
        "the class is read as Between reads");
    for (const std::u16string &part : detail.subParts) {
        check(part.size() <= MaxFieldLength, "a sub-line part is bounded");
        check(!Contains(part, SpanEnd), "a sub-line part stops at its span end");
        check(part.empty() || Contains(region, part), "a sub-line part lies in the region");
    }
    std::u16string line = detail.subParts[0];
    line += Separator;
    line += detail.subParts[1];
    line += Separator;
    line += detail.subParts[2];
    check(JoinSubParts(detail.subParts) == line, "the level line joins the three parts");

    for (const EquipmentEntry &item : detail.items) {
        if (!item.grade)
            continue;
        bool listed = false;
        for (const GradeColour &g : GradeColours)
            listed = listed || g.grade == *item.grade;
        check(GradeColourOf(*item.grade).has_value() == listed,
            "a grade has a colour exactly when it is listed");
    }
    return 0;
}
