// Scraping a result page: ours (every marker split once per page) against a plain port of the
// row-by-row algorithm that splits the whole section again for every field of every row.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "search/resultpage.h"
#include "search/urlencode.h"

using namespace thornvale;

namespace {

const std::u16string Base = u"http://127.0.0.1:18080/characters/";

// A page in the website's format with `rows` characters, each row padded to about rowBytes.
std::u16string makePage(int rows, std::size_t rowBytes)
{
    std::u16string page = u"<!DOCTYPE html><html><head><meta charset=\"utf-8\"></head><body><div class=\"gnb\">"
                          u"메뉴</div><h4>'<strong>토른</strong>' 캐릭터 검색결과</h4><ul>";
    for (int i = 0; i < rows; ++i) {
        const std::u16string n = FromUtf8(std::to_string(i));
        std::u16string row = u"<li><a href=\"" + Base + u"c" + n
            + u"\" class=\"link_character\"><span class=\"character_card\"><span class=\"thumb\"></span><strong>토른전사"
            + n + u"</strong></span> <span class=\"character_server\">@아리엘</span> <span class=\"level\"><span>"
            + n + u"레벨</span><span>검사</span><span>휴먼</span></span><div class=\"lst\"><span class=\"score\">";
        while (row.size() * 2 < rowBytes)
            row += u"점수 기록 0123456789 ";
        page += row + u"</span></div></a></li>";
    }
    return page + u"</ul><div class=\"paging\"><a href=\"/next\"><span><i class=\"ico_comm next\"></i></span></a>"
                  u"</div></body></html>";
}

// The plain port: a split returns every piece as a new text, and each field splits the section.
std::vector<std::u16string> splitAll(const std::u16string &text, const std::u16string &marker)
{
    std::vector<std::u16string> pieces;
    if (text.empty())
        return pieces;
    std::size_t begin = 0;
    for (std::size_t at = text.find(marker); at != std::u16string::npos; at = text.find(marker, begin)) {
        pieces.push_back(text.substr(begin, at - begin));
        begin = at + marker.size();
    }
    pieces.push_back(text.substr(begin));
    return pieces;
}

bool pick(const std::u16string &text, const std::u16string &marker, std::size_t k, std::u16string &out)
{
    const auto pieces = splitAll(text, marker);
    if (k >= pieces.size())
        return false;
    out = pieces[k];
    return true;
}

std::vector<ScrapedRow> scrapePlain(const std::u16string &page)
{
    std::vector<ScrapedRow> rows;
    std::u16string after, section;
    if (!pick(page, std::u16string(markers::Heading), 1, after)
        || !pick(after, std::u16string(markers::NextLink), 0, section))
        return rows;
    const long n = long(splitAll(section, std::u16string(markers::Level)).size()) - 1;
    const std::u16string anchor = std::u16string(markers::AnchorOpen) + Base;
    for (long j = 1; j <= n; ++j) {
        ScrapedRow r;
        std::u16string t, block, span;
        if (pick(section, std::u16string(markers::Level), std::size_t(j), t))
            pick(t, std::u16string(markers::LevelBlockEnd), 0, block);
        for (std::size_t s = 1; s <= 3; ++s) {
            if (pick(block, u"<span>", s, t) && pick(t, u"</span>", 0, span)) {
                if (s == 1)
                    pick(span, u"레벨", 0, r.level);
                else
                    (s == 2 ? r.job : r.race) = span;
            }
        }
        if (pick(section, std::u16string(markers::Server), std::size_t(j), t))
            pick(t, u"</span>", 0, r.server);
        if (pick(section, anchor, std::size_t(j), t) && pick(t, std::u16string(markers::AnchorEnd), 0, r.address))
            r.address = Base + r.address;
        if (pick(section, std::u16string(markers::Card), std::size_t(j), t) && pick(t, u"</strong>", 0, t))
            pick(t, u"<strong>", 1, r.nickname);
        rows.push_back(std::move(r));
    }
    return rows;
}

void run(benchmark::State &state, const std::u16string &page, bool ours)
{
    for (auto _ : state) {
        auto rows = ours ? ScrapeResultPage(page, Base) : scrapePlain(page);
        benchmark::DoNotOptimize(rows);
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(page.size() * 2));
    state.counters["rows"] = double(ScrapeResultPage(page, Base).size());
}

const std::u16string &tenRowPage()
{
    static const std::u16string page = makePage(10, 1000);
    return page;
}

const std::u16string &megabytePage()
{
    static const std::u16string page = makePage(100, 10 * 1024);
    return page;
}

void BM_Scrape10Rows_Ours(benchmark::State &s) { run(s, tenRowPage(), true); }
void BM_Scrape10Rows_PlainPort(benchmark::State &s) { run(s, tenRowPage(), false); }
void BM_Scrape1MB100Rows_Ours(benchmark::State &s) { run(s, megabytePage(), true); }
void BM_Scrape1MB100Rows_PlainPort(benchmark::State &s) { run(s, megabytePage(), false); }

BENCHMARK(BM_Scrape10Rows_Ours)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Scrape10Rows_PlainPort)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Scrape1MB100Rows_Ours)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Scrape1MB100Rows_PlainPort)->Unit(benchmark::kMicrosecond);

// Both must agree before their speed means anything.
[[maybe_unused]] const bool agree = [] {
    if (ScrapeResultPage(tenRowPage(), Base) != scrapePlain(tenRowPage()))
        std::abort();
    return true;
}();

} // namespace
