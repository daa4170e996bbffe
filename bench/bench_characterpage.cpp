// Scraping a character page against its floor (memmem over the same page's UTF-8 bytes, one pass
// per marker the scraper uses).
//
// The page is site-sim's page of the character with 25 item blocks, grown to the size of a real
// one (about 200 KB): a portal header and menu, inline scripts, full item tooltips that repeat
// strong tags and grade words of other items, a long footer. The figure covers the region cut,
// the item split and the searches that run over the whole region.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

#include "benchpage.h"
#include "search/characterpage.h"
#include "site-sim/sitesim.h"

namespace {

std::string num(std::size_t v)
{
    return std::to_string(v);
}

void replaceOnce(std::string &text, std::string_view what, const std::string &with)
{
    const std::size_t at = text.find(what);
    if (at == std::string::npos)
        std::abort();
    text.replace(at, what.size(), with);
}

std::string header()
{
    std::string h = "<header class=\"header\"><h1><a href=\"/\">Thornvale</a></h1><nav class=\"gnb\"><ul>";
    const char *const menus[] = { "게임 소개", "새소식", "가이드", "랭킹", "커뮤니티", "상점", "고객지원" };
    for (std::size_t m = 0; m < std::size(menus); ++m) {
        h += std::string("<li><a href=\"/m") + num(m) + "\">" + menus[m] + "</a><ul class=\"sub\">";
        for (std::size_t s = 0; s < 12; ++s)
            h += "<li><a href=\"/m" + num(m) + "/s" + num(s) + "\">하위 메뉴 " + num(s) + "</a></li>";
        h += "</ul></li>";
    }
    h += "</ul></nav></header>\n";
    h += "<script>window.TV=window.TV||{};TV.character={tabs:[\"장비\",\"스킬\",\"수집\"]};\n";
    for (std::size_t w = 0; w < 40; ++w) {
        h += "TV.tab" + num(w) + "=function(el){var out='';for(var i=0;i<el.length;i++){";
        h += "out+='<span class=\"tab\">'+el[i].name+'</span>';}";
        h += "return '<div class=\"tabs\">'+out+'</div>';};\n";
    }
    return h + "</script>\n";
}

// What a real tooltip holds: the item again, base stats, options, the set with its other items
// and their grades, flavour text. About 6 KB each.
std::string tooltip(const sitesim::Item &item, std::size_t k)
{
    const auto &grades = sitesim::Grades();
    const auto &items = sitesim::Roster()[sitesim::kWith25Items].items;
    const char *const options[]
        = { "치명타 확률", "공격 속도", "이동 속도", "피해 감소", "최대 생명력", "마나 회복", "방어 관통" };
    std::string h = "<div class=\"tooltip\"><strong class=\"item_name\">" + item.name
        + "</strong><span class=\"grade_text\">" + item.grade + " 등급 장비</span><dl class=\"basic\">";
    for (std::size_t i = 0; i < 16; ++i)
        h += "<dt>기본 능력치 " + num(i + 1) + "</dt><dd>물리 공격력 +" + num(40 + k * 7 + i) + "</dd>";
    h += "</dl><div class=\"option\"><strong>추가 옵션</strong><ul>";
    for (std::size_t i = 0; i < 56; ++i)
        h += "<li><span>" + std::string(options[(k + i) % std::size(options)]) + "</span> +"
            + num(1 + (k + i) % 5) + "% <span class=\"sub\">(최대 +" + num(6 + i % 3) + "%)</span></li>";
    h += "</ul></div><div class=\"set\"><strong>세트 효과: 잿빛 서약</strong><ul>";
    for (std::size_t i = 0; i < 14; ++i) {
        const sitesim::Item &other = items[(k + i + 1) % items.size()];
        h += "<li><strong>" + other.name + "</strong><span class=\"grade\" title=\"등급\">"
            + grades[(k + i) % grades.size()] + "</span></li>";
    }
    h += "</ul></div><p class=\"desc\">잿빛 협곡의 대장장이들이 마지막으로 벼려 낸 장비. "
         "서약을 지킨 자에게만 본래의 힘을 보여 준다고 전해진다.</p></div>";
    return h;
}

std::string footerAndScripts()
{
    std::string h = "<footer id=\"footer\"><ul class=\"links\">";
    for (std::size_t i = 0; i < 30; ++i)
        h += "<li><a href=\"/policy/" + num(i) + "\">운영 정책 " + num(i) + "</a></li>";
    h += "</ul><p>&copy; Thornvale Studio</p></footer>\n<script>\n";
    for (std::size_t w = 0; w < 40; ++w) {
        h += "TV.module(\"equip" + num(w) + "\",function(root){root.querySelectorAll('.wrap').forEach(";
        h += "function(el){el.addEventListener('mouseenter',function(){el.classList.add('on');});});});\n";
    }
    return h + "</script></body></html>\n";
}

BenchPage characterPage()
{
    const sitesim::Character &c = sitesim::Roster()[sitesim::kWith25Items];
    std::string html = sitesim::CharacterPageHtml(c);
    replaceOnce(
        html, "<header class=\"header\"><a href=\"/\">Thornvale</a> 캐릭터 정보</header>\n", header());
    for (std::size_t k = 0; k < c.items.size(); ++k)
        replaceOnce(html, "<div class=\"box\">tooltip text " + c.items[k].name + "</div>",
            "<div class=\"box\">" + tooltip(c.items[k], k) + "</div>");
    replaceOnce(
        html, "<footer id=\"footer\">copyright Thornvale</footer></body></html>\n", footerAndScripts());
    return BenchPage(std::move(html));
}

const BenchPage &page200K()
{
    static const BenchPage page = characterPage();
    return page;
}

// Every marker the parser looks for (the separator only joins parts for display).
const std::vector<std::string> &parserMarkers()
{
    using namespace thornvale::charmarkers;
    static const std::vector<std::string> all
        = Utf8Markers({ RegionStart, RegionEnd, Item, Box, NameStart, TagEnd, GradeStart, TitleStart, SpanEnd,
            ServerStart, SubLineStart, SubLineEnd, SpanStart, ClassStart, ClassEnd });
    return all;
}

void BM_CharacterPage200K_25Items_Floor(benchmark::State &state)
{
    RunFloor(state, page200K(), parserMarkers());
}

void BM_CharacterPage200K_25Items_Scraper(benchmark::State &state)
{
    for (auto _ : state) {
        thornvale::CharacterDetail detail = thornvale::ParseCharacterPage(page200K().utf16);
        benchmark::DoNotOptimize(detail);
    }
    ReportPage(state, page200K());
}

BENCHMARK(BM_CharacterPage200K_25Items_Floor)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CharacterPage200K_25Items_Scraper)->Unit(benchmark::kMicrosecond);

// The grown page must still parse to the character site-sim describes.
[[maybe_unused]] const bool pageHolds = [] {
    const sitesim::Character &c = sitesim::Roster()[sitesim::kWith25Items];
    const thornvale::CharacterDetail detail = thornvale::ParseCharacterPage(page200K().utf16);
    if (detail.items.size() != c.items.size() || !detail.job || !detail.title
        || detail.items.back().name != thornvale::FromUtf8(c.items.back().name)
        || detail.items.back().grade != thornvale::FromUtf8(c.items.back().grade))
        std::abort();
    return true;
}();

} // namespace
