#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace thornvale {

// The markers of the website's result page. The anchor marker is "<a href=\"" followed by the
// character-page base address, so it is built per configuration.
namespace markers {
inline constexpr std::u16string_view Heading = u"</strong>' 캐릭터 검색결과</h4>";
inline constexpr std::u16string_view NextLink = u"class=\"ico_comm next\"></i></span></a>";
inline constexpr std::u16string_view Level = u"<span class=\"level\">";
inline constexpr std::u16string_view LevelBlockEnd = u"<div class=\"lst\">";
inline constexpr std::u16string_view SpanOpen = u"<span>";
inline constexpr std::u16string_view SpanClose = u"</span>";
inline constexpr std::u16string_view LevelWord = u"레벨";
inline constexpr std::u16string_view Server = u"<span class=\"character_server\">@";
inline constexpr std::u16string_view AnchorOpen = u"<a href=\"";
inline constexpr std::u16string_view AnchorEnd = u"\" class=";
inline constexpr std::u16string_view Card = u"<span class=\"character_card\">";
inline constexpr std::u16string_view NameOpen = u"<strong>";
inline constexpr std::u16string_view NameClose = u"</strong>";
} // namespace markers

// The six scraped fields of one character; cell 0 (the number) is the list's business.
struct ScrapedRow {
    std::u16string nickname;
    std::u16string server;
    std::u16string level;
    std::u16string job;
    std::u16string race;
    std::u16string address;

    bool operator==(const ScrapedRow &) const = default;
};

// The result section of a page: after the heading marker, up to the next-page link (or the end of
// the page on the last page). Nothing when the page holds no heading marker: such a page (an error
// page, a changed layout) has no results to offer.
std::optional<std::u16string_view> ResultSection(std::u16string_view page);

// The most rows taken from one result page. The site shows ten; a page of nothing but level
// markers would otherwise give a row for every 20 characters it holds.
inline constexpr std::size_t MaxRowsPerPage = 1000;

// What a page's bounds took away, for the logs.
struct ScrapeCounts {
    std::size_t rowsDropped = 0; // rows past MaxRowsPerPage
    std::size_t fieldsCut = 0; // fields cut to MaxFieldLength
    std::size_t addressesDropped = 0; // addresses past MaxAddressLength, which leave their row none

    bool operator==(const ScrapeCounts &) const = default;
};

// The rows of one page. Row j takes the j-th occurrence of every field's marker in the section,
// so fields are matched by occurrence number, not by nesting; the number of rows is the number of
// level markers. A field whose marker or piece is missing in row j is the empty text, and so is
// the address when the anchor marker is missing. Rows past MaxRowsPerPage are dropped, fields are
// bounded as fieldbound.h says; counts, when given, receives what that took away.
std::vector<ScrapedRow> ScrapeResultPage(
    std::u16string_view page, std::u16string_view characterBase, ScrapeCounts *counts = nullptr);

// The same for a section already cut out.
std::vector<ScrapedRow> ScrapeSection(
    std::u16string_view section, std::u16string_view characterBase, ScrapeCounts *counts = nullptr);

// The search address of name (unencoded) and page number p:
// start + URLEncode(name) + "&dt=characters&sf=score&st=desc&start=" + (p-1)*10 + "&page=" + p.
// Both numbers are exact decimals for every p, (p-1)*10 too where it passes 64 bits. Pages count
// from 1; for p < 1 (which the page run never asks for) the same formula holds, so page 0 gives
// "start=-10&page=0".
std::u16string BuildSearchUrl(std::u16string_view addressStart, std::u16string_view name, long long page);

} // namespace thornvale
