#pragma once

// Page bodies of the simulated sites. Everything is built as UTF-8; ForCharset() turns a page
// into the bytes of the charset being served.

#include "site-sim/sitesim.h"

#include <optional>
#include <string>
#include <string_view>

namespace sitesim::pages {

std::string HtmlEscape(std::string_view text);
std::string PercentEncode(std::string_view text);

// A search result page up to, not including, the footer: the oversized page pads in between.
std::string SearchPageHead(
    const std::string &keyword, long long page, const std::string &characterBase, bool withHeading);
std::string_view SearchPageFooter();

std::string NotFoundPage();
std::string ServerErrorPage();
std::string IndexPage();
std::string MusicPage(int number);
std::string PopupPage(const std::string &id, std::optional<long long> closeAfterMs);
std::string PopupTestPage(int count, std::optional<long long> closeFirstAfterMs);
// A page that asks for `count` new windows in a script loop, as a misbehaving page would.
std::string PopupFloodPage(int count);
// Pages written to do harm, under /hostile/. A search page (served at /hostile/search, so a
// search base of BASE/hostile reaches it) whose page 1 holds a nickname with terminal controls and
// a row without an anchor, and whose page 2 holds more rows than any client should take.
std::string HostileSearchPage(long long page, const std::string &characterBase);
// A search page of `bytes` (AmplifyingBytes, just under a client's 16 MiB cap, unless told) whose
// one row has every field run to the end of the page: the level, server, anchor and card markers,
// then Hangul up to the size and no end marker at all.
inline constexpr std::size_t AmplifyingBytes = 15 * 1024 * 1024 + 512 * 1024;
std::string AmplifyingSearchPage(const std::string &characterBase, std::size_t bytes = AmplifyingBytes);
// A character page of AmplifyingBytes: one item block, then title, server, sub-line and class
// openings, each running to the end.
std::string AmplifyingCharacterPage();
// A search page as UTF-16LE bytes, declared so, whose first nickname ends in a lone high
// surrogate.
std::string LoneSurrogateSearchPage(const std::string &characterBase);
// Music-strip pages, by name: "link?to=KIND" (KIND scheme, javascript, file, data, https: one link
// laid over the whole page), "dialogs", "unload", "permissions", "reopen", "download",
// "tooltip?to=KIND" (KIND markup, cut, lines, short: a title laid over the whole page), "storage",
// "workerstore", "spin", "balloon", "colour", "battery", "blankwrite", "filesystem", "blobs",
// "framechurn", "copy". Nothing for an unknown name.
std::optional<std::string> HostileMusicPage(std::string_view name, std::string_view kind);

// One second of a 16-bit mono sine tone at 440 * number Hz.
std::string SineWav(int number);

// The page as served in `charset`: its meta declaration rewritten and its bytes transcoded.
std::string ForCharset(std::string html, Charset charset);
std::string HtmlContentType(Charset charset, bool declareInHeader);

} // namespace sitesim::pages
