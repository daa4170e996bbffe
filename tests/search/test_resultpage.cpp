#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "search/resultpage.h"

using namespace thornvale;

namespace {

const std::u16string Base = u"http://chars.example/characters/";
const std::u16string Heading = u"<h4>'<strong>x</strong>' 캐릭터 검색결과</h4>";
const std::u16string Next = u"<a href=\"/search?page=2\"><span><i class=\"ico_comm next\"></i></span></a>";

std::u16string row(std::u16string key, std::u16string name, std::u16string server, std::u16string level,
    std::u16string job, std::u16string race)
{
    return u"<li><a href=\"" + Base + key + u"\" class=\"link\"><span class=\"character_card\"><strong>"
        + name + u"</strong></span><span class=\"character_server\">@" + server
        + u"</span><span class=\"level\"><span>" + level + u"</span><span>" + job + u"</span><span>" + race
        + u"</span></span><div class=\"lst\">score</div></a></li>";
}

std::u16string page(const std::u16string &rows, bool next = true)
{
    return u"<html><body><div>nav</div>" + Heading + u"<ul>" + rows + u"</ul>" + (next ? Next : u"")
        + u"<footer></footer></body></html>";
}

ScrapedRow expect(std::u16string key, std::u16string name, std::u16string server, std::u16string level,
    std::u16string job, std::u16string race)
{
    return ScrapedRow { name, server, level, job, race, key.empty() ? u"" : Base + key };
}

struct PageCase {
    const char *name;
    std::u16string page;
    std::vector<ScrapedRow> rows;
};

class ScrapeTest : public ::testing::TestWithParam<PageCase> { };

TEST_P(ScrapeTest, GivesTheRows)
{
    EXPECT_EQ(ScrapeResultPage(GetParam().page, Base), GetParam().rows);
}

const std::u16string A = row(u"k1", u"토른전사", u"가시골", u"55레벨", u"잿불검객", u"골짜기인");
const std::u16string B = row(u"k2", u"Arin7", u"이슬언덕", u"7레벨", u"덩굴술사", u"가시요정");

INSTANTIATE_TEST_SUITE_P(ResultPages, ScrapeTest,
    ::testing::Values(PageCase { "two_rows", page(A + B),
                          { expect(u"k1", u"토른전사", u"가시골", u"55", u"잿불검객", u"골짜기인"),
                              expect(u"k2", u"Arin7", u"이슬언덕", u"7", u"덩굴술사", u"가시요정") } },
        PageCase { "last_page_without_next_link_runs_to_end", page(A + B, false),
            { expect(u"k1", u"토른전사", u"가시골", u"55", u"잿불검객", u"골짜기인"),
                expect(u"k2", u"Arin7", u"이슬언덕", u"7", u"덩굴술사", u"가시요정") } },
        PageCase { "next_link_ends_section", Heading + A + Next + B,
            { expect(u"k1", u"토른전사", u"가시골", u"55", u"잿불검객", u"골짜기인") } },
        PageCase { "second_heading_ends_section", Heading + A + Heading + B,
            { expect(u"k1", u"토른전사", u"가시골", u"55", u"잿불검객", u"골짜기인") } },
        PageCase { "rows_before_heading_ignored", A + Heading + B,
            { expect(u"k2", u"Arin7", u"이슬언덕", u"7", u"덩굴술사", u"가시요정") } },
        PageCase { "no_heading_no_rows", A + B + Next, {} }, PageCase { "empty_page_no_rows", u"", {} },
        PageCase { "heading_at_very_end_no_rows", A + Heading, {} },
        PageCase { "heading_then_next_link_no_rows", Heading + Next, {} },
        PageCase { "level_without_word_kept_whole", page(row(u"k", u"n", u"s", u"만렙", u"j", u"r")),
            { expect(u"k", u"n", u"s", u"만렙", u"j", u"r") } },
        PageCase { "text_before_first_level_word", page(row(u"k", u"n", u"s", u"1레벨2레벨", u"j", u"r")),
            { expect(u"k", u"n", u"s", u"1", u"j", u"r") } },
        PageCase { "empty_span_gives_empty_level", page(row(u"k", u"n", u"s", u"", u"j", u"r")),
            { expect(u"k", u"n", u"s", u"", u"j", u"r") } },
        PageCase { "key_keeps_trailing_slash_and_query",
            page(row(u"c50/?tab=1&x=2", u"n", u"s", u"1레벨", u"j", u"r")),
            { expect(u"c50/?tab=1&x=2", u"n", u"s", u"1", u"j", u"r") } },
        PageCase { "entities_and_spaces_verbatim",
            page(row(u"k", u" a&amp;b ", u"s&lt;", u"1레벨", u"j", u"r")),
            { expect(u"k", u" a&amp;b ", u"s&lt;", u"1", u"j", u"r") } }),
    [](const auto &testRow) { return std::string(testRow.param.name); });

// Fields are matched by occurrence number, so a missing marker shifts nothing into the wrong row:
// the field is empty in the rows past the markers that exist.
TEST(ResultPages, ThreeLevelMarkersTwoCardsGiveThreeRowsThirdNicknameEmpty)
{
    std::u16string third = row(u"k3", u"gone", u"서버3", u"3레벨", u"j3", u"r3");
    third.replace(third.find(u"<span class=\"character_card\">"), 29, u"<span class=\"card_removed\">");
    const auto rows = ScrapeResultPage(page(A + B + third), Base);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[1].nickname, u"Arin7");
    EXPECT_EQ(rows[2].nickname, u"");
    EXPECT_EQ(rows[2].server, u"서버3");
    EXPECT_EQ(rows[2].address, Base + u"k3");
}

TEST(ResultPages, MissingServerAndAnchorAreEmptyNotTheRowAbove)
{
    std::u16string second = B;
    second.replace(
        second.find(u"<span class=\"character_server\">@"), 32, u"<span class=\"character_server\">");
    second.replace(second.find(u"<a href=\""), 9, u"<a hreff=\"");
    const auto rows = ScrapeResultPage(page(A + second), Base);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].server, u"가시골");
    EXPECT_EQ(rows[1].server, u"");
    EXPECT_EQ(rows[1].address, u"");
    EXPECT_EQ(rows[1].nickname, u"Arin7");
}

TEST(ResultPages, AnchorOfAnotherHostIsNotACharacter)
{
    const auto rows = ScrapeResultPage(page(A), u"http://other.example/characters/");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].address, u"");
}

TEST(ResultPages, LevelMarkerAtSectionEndGivesARowOfEmptyFields)
{
    const auto rows = ScrapeResultPage(Heading + A + u"<span class=\"level\">", Base);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1], ScrapedRow {});
}

// A page stuffed with rows gives the first 1000, each still matched by occurrence number, and
// says how many it left.
TEST(ResultPages, RowsPastTheBoundAreCountedNotKept)
{
    struct Case {
        int rows;
        std::size_t kept;
        std::size_t dropped;
    };
    for (const Case c : { Case { 1000, 1000, 0 }, Case { 1003, 1000, 3 } }) {
        std::u16string rows;
        for (int i = 0; i < c.rows; ++i)
            rows += i == 999 ? row(u"k999", u"last", u"s", u"9레벨", u"j", u"r") : A;
        ScrapeCounts counts { 99, 99, 99 };
        const auto got = ScrapeResultPage(page(rows), Base, &counts);
        ASSERT_EQ(got.size(), c.kept);
        EXPECT_EQ(got[999], expect(u"k999", u"last", u"s", u"9", u"j", u"r"));
        EXPECT_EQ(counts, (ScrapeCounts { c.dropped, 0, 0 }));
    }
}

TEST(ResultPages, JunkNeverCrashes)
{
    std::u16string junk;
    for (int i = 0; i < 5000; ++i)
        junk += char16_t((i * 7919) % 0xFFFF);
    for (const std::u16string &text : { junk, Heading + junk, Heading + junk + Heading + junk + Next,
             Heading + std::u16string(300, u'<') + u"<span class=\"level\">" })
        EXPECT_NO_THROW(ScrapeResultPage(text, Base));
}

struct UrlCase {
    const char *name;
    std::u16string nameText;
    long long page;
    std::u16string tail;
};

class SearchUrlTest : public ::testing::TestWithParam<UrlCase> { };

TEST_P(SearchUrlTest, KeysInOrder)
{
    const std::u16string start = u"http://s.example/search?keyword=";
    EXPECT_EQ(BuildSearchUrl(start, GetParam().nameText, GetParam().page), start + GetParam().tail);
}

INSTANTIATE_TEST_SUITE_P(Addresses, SearchUrlTest,
    ::testing::Values(
        UrlCase { "page_1", u"abc", 1, u"%61%62%63&dt=characters&sf=score&st=desc&start=0&page=1" },
        UrlCase { "page_2", u"abc", 2, u"%61%62%63&dt=characters&sf=score&st=desc&start=10&page=2" },
        UrlCase { "page_11", u"abc", 11, u"%61%62%63&dt=characters&sf=score&st=desc&start=100&page=11" },
        UrlCase { "empty_name", u"", 1, u"&dt=characters&sf=score&st=desc&start=0&page=1" },
        UrlCase { "hangul", u"가", 3, u"%EA%B0%80&dt=characters&sf=score&st=desc&start=20&page=3" },
        UrlCase { "top_of_counter_no_overflow", u"a", 2147483647,
            u"%61&dt=characters&sf=score&st=desc&start=21474836460&page=2147483647" },
        UrlCase { "top_of_64_bits_start_past_them", u"a", 9223372036854775807,
            u"%61&dt=characters&sf=score&st=desc&start=92233720368547758060&page=9223372036854775807" },
        UrlCase { "page_0_same_formula", u"a", 0, u"%61&dt=characters&sf=score&st=desc&start=-10&page=0" },
        UrlCase { "bottom_of_64_bits", u"a", -9223372036854775807 - 1,
            u"%61&dt=characters&sf=score&st=desc&start=-92233720368547758090&page=-9223372036854775808" }),
    [](const auto &testRow) { return std::string(testRow.param.name); });

} // namespace
