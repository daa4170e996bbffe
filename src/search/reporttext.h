#pragma once

// The lines the window and the CLI write to stderr about what a page run or a detail view met,
// worded once. The window puts "thornvale: " in front; the CLI writes them as they are. Text from
// outside is escaped for a terminal, and long texts are shortened: a name of a hundred thousand
// characters must not put its address into every line.

#include <string>
#include <string_view>
#include <vector>

namespace thornvale {

struct CharacterDetail;
struct PageReport;

// The most UTF-16 units of an address or a reason a line shows whole.
inline constexpr std::size_t MaxLoggedLength = 200;

// Text from outside as a line shows it: past MaxLoggedLength its start, "…" and its full length
// ("… (131072 characters)"), then controls escaped.
std::u16string LoggedText(std::u16string_view text);

// "page N: fetch failed: REASON (ADDRESS)", "page N: no heading marker …", and one line for each
// bound the page met. None for a page that gave its rows as it should.
std::vector<std::u16string> PageReportLines(const PageReport &report);

// "N item blocks past the first 1000 dropped (ADDRESS)", "N fields cut to 256 characters
// (ADDRESS)"; none when the page met no bound.
std::vector<std::u16string> DetailReportLines(const CharacterDetail &detail, std::u16string_view address);

} // namespace thornvale
