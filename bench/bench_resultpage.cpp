// Scraping a result page, against two yardsticks: the floor (memmem over the same page's UTF-8
// bytes, one pass per marker the scraper uses) and a plain port of the row-by-row algorithm that
// splits the whole section again for every field of every row.
//
// The pages carry the furniture of a real portal page around the results (head scripts and styles,
// a two-level menu, a sidebar, a footer, the page's scripts), because that is text every marker
// search has to cross too. Rows come from site-sim, so they have the website's exact format.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "benchpage.h"
#include "search/resultpage.h"
#include "site-sim/sitesim.h"

using namespace thornvale;

namespace {

const std::string Base8 = "http://127.0.0.1:18080/characters/";
const std::u16string Base = FromUtf8(Base8);

const char *const Zones[]
    = { "잿빛 협곡", "가라앉은 신전", "서리바람 고원", "검은 늪지", "폭풍의 첨탑", "붉은 모래 언덕" };
const char *const Menus[] = { "게임 소개", "새소식", "가이드", "랭킹", "커뮤니티", "상점", "고객지원" };
const char *const SubMenus[] = { "공지사항", "업데이트", "이벤트", "개발자 노트", "직업 안내", "지역 안내",
    "던전 공략", "원정대", "자유게시판", "스크린샷", "거래소 시세", "문의하기" };

std::string num(std::size_t v)
{
    return std::to_string(v);
}

// Head, header, menu and sidebar: everything before the result heading.
std::string chromeTop()
{
    std::string h = "<!DOCTYPE html>\n<html lang=\"ko\"><head><meta charset=\"utf-8\">"
                    "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">"
                    "<title>캐릭터 검색 | Thornvale</title>\n";
    for (const char *css : { "common", "layout", "gnb", "search", "ranking", "widget", "footer" })
        h += std::string("<link rel=\"stylesheet\" href=\"https://static.thornvale.example/css/") + css
            + ".css?v=20240314\">\n";
    h += "<style>\n";
    for (std::size_t i = 0; i < 60; ++i)
        h += ".lst_character .item:nth-child(" + num(i) + ") .thumb{background-position:0 -" + num(i * 48)
            + "px}\n.badge_" + num(i) + "{color:#" + num(100000 + i * 7919 % 899999) + ";margin:0 "
            + num(i % 7) + "px}\n";
    h += "</style>\n<script>window.TV=window.TV||{};TV.config={cdn:\"https://static.thornvale.example/\","
         "locale:\"ko-KR\",build:\"2024.03.14-1187\",features:{autocomplete:true,rankWidget:true}};"
         "TV.q=[];TV.track=function(e,d){TV.q.push([e,d,Date.now()]);};</script>\n</head>\n"
         "<body class=\"page_search\">\n<div id=\"wrap\">\n<header id=\"header\"><h1 class=\"logo\">"
         "<a href=\"/\"><img src=\"https://static.thornvale.example/img/logo.png\" "
         "alt=\"Thornvale\"></a></h1>\n"
         "<nav class=\"gnb\"><ul class=\"menu\">\n";
    for (std::size_t m = 0; m < std::size(Menus); ++m) {
        h += std::string("<li class=\"menu_item\"><a href=\"/m") + num(m) + "\" class=\"link_menu\">"
            + Menus[m] + "</a><ul class=\"sub\">";
        for (std::size_t s = 0; s < std::size(SubMenus); ++s)
            h += "<li><a href=\"/m" + num(m) + "/s" + num(s) + "\" onclick=\"TV.track('gnb','" + num(m) + "-"
                + num(s) + "')\">" + SubMenus[s] + "</a></li>";
        h += "</ul></li>\n";
    }
    h += "</ul></nav>\n<form class=\"search_box\" action=\"/search\"><input type=\"text\" name=\"keyword\" "
         "placeholder=\"캐릭터명을 입력하세요\"><button type=\"submit\"><span class=\"blind\">검색</span>"
         "</button></form>\n</header>\n<div id=\"container\">\n<aside class=\"snb\">\n"
         "<div class=\"login_box\"><a href=\"/login\" class=\"btn_login\">Thornvale 계정 로그인</a></div>\n"
         "<section class=\"widget rank\"><h3>오늘의 랭킹</h3><ol>\n";
    const auto &roster = sitesim::Roster();
    for (std::size_t r = 0; r < 30; ++r) {
        const auto &c = roster[(r * 7) % roster.size()];
        h += "<li><em class=\"num\">" + num(r + 1) + "</em><a href=\"/rank/" + c.key + "\"><strong>" + c.name
            + "</strong></a> <span class=\"job\">" + c.job + "</span> <span class=\"point\">"
            + num(99000 - r * 137) + "점</span></li>\n";
    }
    h += "</ol></section>\n<section class=\"widget notice\"><h3>공지사항</h3><ul>\n";
    for (std::size_t n = 0; n < 20; ++n)
        h += "<li><a href=\"/news/notice/" + num(4100 - n) + "\">[점검] " + num(3 + n % 9) + "월 "
            + num(1 + n) + "일 정기 점검 안내 (" + Zones[n % std::size(Zones)]
            + " 보상 조정)</a><span class=\"date\">2024.03." + num(14 - n % 14) + "</span></li>\n";
    h += "</ul></section>\n<section class=\"widget event\"><h3>진행 중인 이벤트</h3>\n";
    for (std::size_t e = 0; e < 8; ++e)
        h += "<a href=\"/event/" + num(e) + "\" class=\"banner\">"
            + "<img src=\"https://static.thornvale.example/banner/ev" + num(e) + ".jpg\" alt=\""
            + Zones[e % std::size(Zones)] + " 탐험 주간\"></a>\n";
    h += "</section>\n</aside>\n<div id=\"content\">\n";
    return h;
}

// Related searches, the footer and the page's own scripts: everything after the paging block.
std::string chromeBottom()
{
    std::string h = "<section class=\"related\"><h3>함께 찾은 검색어</h3><ul>";
    for (std::size_t i = 0; i < 40; ++i)
        h += "<li><a href=\"/search?keyword=" + num(i) + "\">" + sitesim::Roster()[i].name + "</a></li>";
    h += "</ul></section>\n</div>\n</div>\n<footer id=\"footer\"><ul class=\"links\">";
    for (const char *link :
        { "회사 소개", "이용약관", "개인정보처리방침", "운영정책", "청소년 보호정책", "고객센터" })
        h += std::string("<li><a href=\"/policy\">") + link + "</a></li>";
    h += "</ul><address>Thornvale Studio | 가상시 상상로 12 | 사업자등록번호 000-00-00000</address>"
         "<p class=\"copy\">&copy; Thornvale Studio. All rights reserved.</p></footer>\n</div>\n<script>\n";
    // Widget code of the kind a portal inlines: templates built from strings full of tags.
    for (std::size_t w = 0; w < 80; ++w) {
        h += "TV.module(\"widget" + num(w) + "\",function(root,opts){var items=opts.items||[],html=\"\";";
        h += "for(var i=0;i<items.length;i++){html+='<li class=\"item\"><a href=\"'+items[i].href+'\">"
             "<span class=\"label\">'+items[i].label+'</span></a></li>';}";
        h += "root.innerHTML='<ul class=\"lst\">'+html+'</ul>';"
             "if(items.length<1){root.className+=\" is_empty\";}";
        h += "return{refresh:function(){return TV.fetch(\"/api/widget/" + num(w)
            + "\").then(function(r){return r.json();});}};});\n";
    }
    h += "TV.track(\"pageview\",{page:\"search\"});\n</script>\n</body></html>\n";
    return h;
}

// The match history and equipment preview a detailed result row carries (about 9 KB).
std::string rowDetail(std::size_t row)
{
    std::string h
        = "<div class=\"record\"><table class=\"tbl_record\"><caption>최근 전투 기록</caption><tbody>";
    for (std::size_t i = 0; i < 50; ++i)
        h += "<tr><td class=\"date\">2024.03." + num(1 + (row + i) % 28) + "</td><td class=\"zone\">"
            + Zones[(row + i) % std::size(Zones)] + "</td><td class=\"result\">"
            + ((row + i) % 3 == 0 ? "<span class=\"lose\">패배</span>" : "<span class=\"win\">승리</span>")
            + "</td>" + "<td class=\"point\">+" + num(5 + (row * i) % 30) + "</td></tr>";
    h += "</tbody></table><ul class=\"equip_preview\">";
    for (std::size_t i = 0; i < 12; ++i)
        h += "<li class=\"g" + num((row + i) % 11) + "\"><img src=\"https://static.thornvale.example/item/"
            + num(1000 + row * 12 + i) + ".png\" alt=\"\"></li>";
    return h + "</ul></div>";
}

std::string between(const std::string &text, std::string_view from, std::string_view to)
{
    const std::size_t begin = text.find(from) + from.size();
    return text.substr(begin, text.find(to, begin) - begin);
}

// A result page of pages × 10 rows: the rows of site-sim's pages 1 to pages and the paging block
// of the last one. detailed adds rowDetail to every row.
BenchPage resultPage(long long pages, bool detailed)
{
    std::string rows;
    std::string paging;
    std::size_t row = 0;
    for (long long p = 1; p <= pages; ++p) {
        const std::string html = sitesim::SearchPageHtml("", p, Base8);
        std::string list = between(html, "<ul class=\"lst_character\">\n", "</ul>\n");
        for (std::size_t at = list.find("</li>\n"); detailed && at != std::string::npos;
             at = list.find("</li>\n", at + 1)) {
            const std::string detail = rowDetail(row++);
            list.insert(at, detail);
            at += detail.size();
        }
        rows += list;
        paging = between(html, "</ul>\n", "<footer>");
    }
    // The heading of a real search; the rows are the whole roster's, as no keyword fills 100 rows.
    const std::string first = sitesim::SearchPageHtml("토른", 1, Base8);
    const std::string heading = between(first, "</div>\n", "<ul class=\"lst_character\">");
    return BenchPage(chromeTop() + heading + "<ul class=\"lst_character\">\n" + rows + "</ul>\n" + paging
        + chromeBottom());
}

const BenchPage &tenRowPage()
{
    static const BenchPage page = resultPage(1, false);
    return page;
}

const BenchPage &megabytePage()
{
    static const BenchPage page = resultPage(10, true);
    return page;
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
        if (pick(section, anchor, std::size_t(j), t)
            && pick(t, std::u16string(markers::AnchorEnd), 0, r.address))
            r.address = Base + r.address;
        if (pick(section, std::u16string(markers::Card), std::size_t(j), t) && pick(t, u"</strong>", 0, t))
            pick(t, u"<strong>", 1, r.nickname);
        rows.push_back(std::move(r));
    }
    return rows;
}

// Every marker the scraper looks for, the anchor with the base address it is built with.
const std::vector<std::string> &scraperMarkers()
{
    using namespace markers;
    static const std::vector<std::string> all
        = Utf8Markers({ Heading, NextLink, Level, LevelBlockEnd, SpanOpen, SpanClose, LevelWord, Server,
            std::u16string(AnchorOpen) + Base, AnchorEnd, Card, NameOpen, NameClose });
    return all;
}

void runScraper(benchmark::State &state, const BenchPage &page, bool ours)
{
    for (auto _ : state) {
        auto rows = ours ? ScrapeResultPage(page.utf16, Base) : scrapePlain(page.utf16);
        benchmark::DoNotOptimize(rows);
    }
    ReportPage(state, page);
    state.counters["rows"] = double(ScrapeResultPage(page.utf16, Base).size());
}

// Scraper and floor of one page sort next to each other; the plain port follows.
void BM_ResultPage60K_10Rows_Floor(benchmark::State &s)
{
    RunFloor(s, tenRowPage(), scraperMarkers());
}
void BM_ResultPage60K_10Rows_Scraper(benchmark::State &s)
{
    runScraper(s, tenRowPage(), true);
}
void BM_ResultPage60K_10Rows_ScraperPlainPort(benchmark::State &s)
{
    runScraper(s, tenRowPage(), false);
}
void BM_ResultPage1M_100Rows_Floor(benchmark::State &s)
{
    RunFloor(s, megabytePage(), scraperMarkers());
}
void BM_ResultPage1M_100Rows_Scraper(benchmark::State &s)
{
    runScraper(s, megabytePage(), true);
}
void BM_ResultPage1M_100Rows_ScraperPlainPort(benchmark::State &s)
{
    runScraper(s, megabytePage(), false);
}

BENCHMARK(BM_ResultPage60K_10Rows_Floor)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ResultPage60K_10Rows_Scraper)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ResultPage60K_10Rows_ScraperPlainPort)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ResultPage1M_100Rows_Floor)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ResultPage1M_100Rows_Scraper)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ResultPage1M_100Rows_ScraperPlainPort)->Unit(benchmark::kMicrosecond);

// The pages must scrape to full rows, and both scrapers must agree, before any figure means anything.
[[maybe_unused]] const bool pagesHold = [] {
    for (const auto &[page, count] :
        { std::pair { &tenRowPage(), 10u }, std::pair { &megabytePage(), 100u } }) {
        const auto rows = ScrapeResultPage(page->utf16, Base);
        if (rows.size() != count || rows.back().nickname.empty() || rows.back().address.empty())
            std::abort();
    }
    if (ScrapeResultPage(tenRowPage().utf16, Base) != scrapePlain(tenRowPage().utf16))
        std::abort();
    return true;
}();

} // namespace
