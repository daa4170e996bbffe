#include "search/reporttext.h"

#include "search/characterpage.h"
#include "search/controltext.h"
#include "search/decimal.h"
#include "search/fieldbound.h"
#include "search/searchpages.h"

namespace thornvale {

std::u16string LoggedText(std::u16string_view text)
{
    if (text.size() <= MaxLoggedLength)
        return escapeControls(text);
    std::u16string shortened(CutAtCharacter(text, MaxLoggedLength));
    shortened += u"… (";
    shortened += Decimal(text.size());
    shortened += u" characters)";
    return escapeControls(shortened);
}

namespace {

// "(ADDRESS)" after a line's text.
std::u16string withAddress(std::u16string line, std::u16string_view address)
{
    line += u" (";
    line += LoggedText(address);
    line += u')';
    return line;
}

std::u16string boundLine(
    std::size_t count, std::u16string_view what, std::size_t bound, std::u16string_view tail)
{
    return Decimal(count) + u' ' + std::u16string(what) + Decimal(bound) + std::u16string(tail);
}

} // namespace

std::vector<std::u16string> PageReportLines(const PageReport &report)
{
    std::vector<std::u16string> problems;
    switch (report.outcome) {
    case PageReport::Outcome::FetchFailed:
        problems.push_back(u"fetch failed: " + LoggedText(report.error));
        break;
    case PageReport::Outcome::NoHeading:
        problems.push_back(u"no heading marker (the site's layout may have changed)");
        break;
    case PageReport::Outcome::Rows:
        break;
    }
    const ScrapeCounts &b = report.bounds;
    if (b.rowsDropped > 0)
        problems.push_back(boundLine(b.rowsDropped, u"rows past the first ", MaxRowsPerPage, u" dropped"));
    if (b.fieldsCut > 0)
        problems.push_back(boundLine(b.fieldsCut, u"fields cut to ", MaxFieldLength, u" characters"));
    if (b.addressesDropped > 0)
        problems.push_back(boundLine(b.addressesDropped, u"character addresses longer than ",
            MaxAddressLength, u" characters dropped"));

    std::vector<std::u16string> lines;
    for (std::u16string &problem : problems)
        lines.push_back(withAddress(u"page " + Decimal(report.page) + u": " + problem, report.address));
    return lines;
}

std::vector<std::u16string> DetailReportLines(const CharacterDetail &detail, std::u16string_view address)
{
    std::vector<std::u16string> lines;
    if (detail.itemsDropped > 0)
        lines.push_back(withAddress(
            boundLine(detail.itemsDropped, u"item blocks past the first ", MaxItemsPerPage, u" dropped"),
            address));
    if (detail.fieldsCut > 0)
        lines.push_back(withAddress(
            boundLine(detail.fieldsCut, u"fields cut to ", MaxFieldLength, u" characters"), address));
    return lines;
}

} // namespace thornvale
