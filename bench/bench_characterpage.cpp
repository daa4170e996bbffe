#include "search/characterpage.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

// A character page of the usual shape, 25 item blocks, padded with long tooltips to the size of a
// real page (about 200 KB of UTF-16), so the figure covers the region cut, the item split and the
// searches that run over the whole region.
std::u16string CharacterPage()
{
    const std::u16string grades[] = {u"일반", u"고급", u"희귀", u"고대", u"영웅", u"유일",
                                     u"유물", u"경이", u"서사", u"전설", u"신화"};
    std::u16string tooltip;
    for (int line = 0; line < 70; ++line)
        tooltip += u"<p class=\"option\"><strong>추가 옵션</strong> 물리 공격력 +12 / 치명타 확률 +3%</p>";

    std::u16string page =
        u"<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>달빛검객 - 캐릭터 정보</title></head><body>\n"
        u"<header class=\"header\"><nav><a href=\"/\">홈</a> <strong>랭킹</strong></nav></header>\n"
        u"<div class=\"wrapper\">\n <div class=\"profile\">\n"
        u"  <span class=\"character_title\">심연을 걷는 자</span>\n"
        u"  <strong class=\"name\">달빛검객</strong>\n"
        u"  <span class=\"character_server\">@아이리스</span>\n"
        u"  <div class=\"character_sub\"><span>55레벨</span><span>휴먼</span><span>새벽별</span></div>\n"
        u"  <div class=\"type\"><div class=\"skills\"><strong>검사</strong> (3특성)</div></div>\n"
        u" </div>\n <div class=\"equipment\">\n";
    for (int k = 0; k < 25; ++k) {
        page += u"  <div class=\"wrap\"><strong>무너진 성채의 대검</strong><span class=\"grade\" title=\"등급\">";
        page += grades[k % 11];
        page += u"</span><div class=\"box\">";
        page += tooltip;
        page += u"</div></div>\n";
    }
    page += u" </div>\n</div>\n<footer id=\"footer\">copyright</footer></body></html>\n";
    return page;
}

void BM_ParseCharacterPage(benchmark::State &state)
{
    const std::u16string page = CharacterPage();
    for (auto _ : state) {
        thornvale::CharacterDetail detail = thornvale::ParseCharacterPage(page);
        benchmark::DoNotOptimize(detail);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations())
                            * static_cast<std::int64_t>(page.size() * sizeof(char16_t)));
    state.counters["page_bytes"] = static_cast<double>(page.size() * sizeof(char16_t));
}
BENCHMARK(BM_ParseCharacterPage);

} // namespace
