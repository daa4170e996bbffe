#include "search/characterpage.h"

#include "search/fieldbound.h"
#include "search/splitpick.h"

namespace thornvale {

namespace {

// The header of a block is all that names and grades are looked for in: the tooltip after the box
// marker repeats strong tags and grade words of other items, and must not be picked by mistake.
EquipmentEntry ParseItemBlock(Text block, FieldBounds &bounds)
{
    // An empty block (two item markers back to back) has no piece 0, so its chain breaks here and
    // the entry stays absent rather than borrowing text from its neighbour.
    const Text header = Piece(block, charmarkers::Box, 0).value_or(Text {});
    return EquipmentEntry {
        bounds.text(Between(header, charmarkers::NameStart, charmarkers::TagEnd)),
        bounds.text(Between(header, charmarkers::GradeStart, charmarkers::TagEnd)),
    };
}

} // namespace

CharacterDetail ParseCharacterPage(std::u16string_view page)
{
    using namespace charmarkers;

    CharacterDetail detail;
    FieldBounds bounds;

    // Everything outside the region (page header, footer, scripts) is never looked at, so a
    // marker-like text in a navigation bar cannot leak into the panel.
    const Text region = Between(page, RegionStart, RegionEnd).value_or(Text {});

    // One split of the region: picking each block with a fresh split would rescan the region once
    // per item, and pages with many blocks would become quadratic.
    const SplitText blocks(region, Item, MaxItemsPerPage);
    if (blocks.pieceCount() > 1) {
        detail.itemsDropped = blocks.occurrences() - (blocks.pieceCount() - 1);
        detail.items.reserve(blocks.pieceCount() - 1);
        for (std::size_t k = 1; k < blocks.pieceCount(); ++k)
            detail.items.push_back(ParseItemBlock(blocks.piece(k).value_or(Text {}), bounds));
    }

    detail.title = bounds.text(Between(region, TitleStart, SpanEnd));
    detail.server = bounds.text(Between(region, ServerStart, SpanEnd));

    const Text subLine = Between(region, SubLineStart, SubLineEnd).value_or(Text {});
    for (std::size_t j = 1; j <= detail.subParts.size(); ++j) {
        const std::optional<Text> span = Piece(subLine, SpanStart, j);
        if (!span)
            continue;
        if (const std::optional<Text> part = Piece(*span, SpanEnd, 0))
            detail.subParts[j - 1] = bounds.text(*part);
    }

    detail.job = bounds.text(Between(region, ClassStart, ClassEnd));
    detail.fieldsCut = bounds.fieldsCut();
    return detail;
}

std::u16string JoinSubParts(const std::array<std::u16string, 3> &parts)
{
    std::u16string line;
    line.reserve(parts[0].size() + parts[1].size() + parts[2].size() + 2 * charmarkers::Separator.size());
    line += parts[0];
    line += charmarkers::Separator;
    line += parts[1];
    line += charmarkers::Separator;
    line += parts[2];
    return line;
}

const std::array<GradeColour, 11> GradeColours = { {
    { u"일반", { 0x80, 0x80, 0x80 } },
    { u"고급", { 0x00, 0xC0, 0x00 } },
    { u"희귀", { 0x00, 0x00, 0xFF } },
    { u"고대", { 0xFF, 0x00, 0xFF } },
    { u"영웅", { 0xFF, 0x80, 0x00 } },
    { u"유일", { 0xFF, 0xC0, 0x80 } },
    { u"유물", { 0xFF, 0x00, 0x00 } },
    { u"경이", { 0x80, 0x40, 0x00 } },
    { u"서사", { 0x00, 0xFF, 0xFF } },
    { u"전설", { 0xFF, 0x80, 0x00 } },
    { u"신화", { 0xFF, 0x00, 0x00 } },
} };

std::optional<Rgb> GradeColourOf(std::u16string_view caption)
{
    for (const GradeColour &entry : GradeColours) {
        if (entry.grade == caption)
            return entry.colour;
    }
    return std::nullopt;
}

} // namespace thornvale
