#include <gtest/gtest.h>

#include <string>

#include "search/characterpage.h"
#include "search/fieldbound.h"
#include "search/resultpage.h"

using namespace thornvale;

namespace {

constexpr char16_t High = 0xD83C; // with Low: U+1F3F9, one character in two units
constexpr char16_t Low = 0xDFF9;

std::u16string units(std::size_t n, char16_t c = u'가')
{
    return std::u16string(n, c);
}

// ---------------------------------------------------------------------------------------------
// A result row's fields: bounded as they are cut, counted, an address over its bound dropped.

const std::u16string Base = u"http://chars.example/characters/";

std::u16string resultPage(const std::u16string &key, const std::u16string &name, const std::u16string &server,
    const std::u16string &level)
{
    return u"<h4>'<strong>x</strong>' 캐릭터 검색결과</h4><li><a href=\"" + Base + key
        + u"\" class=\"link\"><span class=\"character_card\"><strong>" + name
        + u"</strong></span><span class=\"character_server\">@" + server
        + u"</span><span class=\"level\"><span>" + level
        + u"</span><span>직</span><span>종</span></span><div class=\"lst\"></div></li>";
}

struct RowBoundCase {
    const char *name;
    std::u16string page;
    std::size_t nicknameSize;
    std::size_t serverSize;
    std::size_t levelSize;
    std::size_t addressSize; // 0: the row has no address
    ScrapeCounts counts;
};

class ResultRowBoundTest : public ::testing::TestWithParam<RowBoundCase> { };

TEST_P(ResultRowBoundTest, FieldsStayWithinTheirBounds)
{
    const RowBoundCase &c = GetParam();
    ScrapeCounts counts;
    const auto rows = ScrapeResultPage(c.page, Base, &counts);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].nickname.size(), c.nicknameSize);
    EXPECT_EQ(rows[0].server.size(), c.serverSize);
    EXPECT_EQ(rows[0].level.size(), c.levelSize);
    EXPECT_EQ(rows[0].address.size(), c.addressSize);
    EXPECT_EQ(counts, c.counts);
}

const std::size_t BaseSize = Base.size();

INSTANTIATE_TEST_SUITE_P(Rows, ResultRowBoundTest,
    ::testing::Values(
        RowBoundCase { "all_at_their_bounds_whole",
            resultPage(units(MaxAddressLength - BaseSize, u'k'), units(256), units(256), units(256)), 256,
            256, 256, MaxAddressLength, {} },
        RowBoundCase { "one_past_cut_and_counted", resultPage(u"k1", units(257), units(300), units(256)), 256,
            256, 256, BaseSize + 2, { .fieldsCut = 2 } },
        RowBoundCase { "level_bounded_after_its_word_is_cut",
            resultPage(u"k1", u"n", u"s", units(300) + u"레벨"), 1, 1, 256, BaseSize + 2,
            { .fieldsCut = 1 } },
        RowBoundCase { "nickname_cut_before_a_split_pair",
            resultPage(u"k1", units(255) + std::u16string { High, Low } + u"x", u"s", u"1레벨"), 255, 1, 1,
            BaseSize + 2, { .fieldsCut = 1 } },
        RowBoundCase { "address_one_past_dropped_not_cut",
            resultPage(units(MaxAddressLength - BaseSize + 1, u'k'), u"n", u"s", u"1레벨"), 1, 1, 1, 0,
            { .addressesDropped = 1 } },
        RowBoundCase { "fields_running_to_the_end_of_the_page",
            u"<h4>'<strong>x</strong>' 캐릭터 검색결과</h4><span class=\"level\"><span>"
            u"<span class=\"character_server\">@<a href=\""
                + Base + u"<span class=\"character_card\"><strong>" + units(100000),
            256, 256, 256, 0, { .fieldsCut = 3, .addressesDropped = 1 } }),
    [](const ::testing::TestParamInfo<RowBoundCase> &row) { return std::string(row.param.name); });

// ---------------------------------------------------------------------------------------------
// A character page's texts, each bounded and counted; absent stays absent.

std::u16string characterPage(const std::u16string &itemName, const std::u16string &grade,
    const std::u16string &title, const std::u16string &part)
{
    return u"<div class=\"wrapper\"><div class=\"wrap\"><strong>" + itemName
        + u"</strong><span title=\"등급\">" + grade + u"</span></div><span class=\"character_title\">" + title
        + u"</span><span class=\"character_server\">@서버</span><div class=\"character_sub\"><span>" + part
        + u"</span><span>b</span><span>c</span></div><div class=\"type\"><div class=\"skills\"><strong>직업"
          u"</strong></div></div><footer id=\"footer\">";
}

struct DetailBoundCase {
    const char *name;
    std::u16string page;
    std::size_t itemNameSize;
    std::size_t gradeSize;
    std::size_t titleSize;
    std::size_t partSize;
    std::size_t fieldsCut;
};

class CharacterBoundTest : public ::testing::TestWithParam<DetailBoundCase> { };

TEST_P(CharacterBoundTest, TextsStayWithinTheBound)
{
    const DetailBoundCase &c = GetParam();
    const CharacterDetail d = ParseCharacterPage(c.page);
    ASSERT_EQ(d.items.size(), 1u);
    ASSERT_TRUE(d.items[0].name && d.items[0].grade && d.title);
    EXPECT_EQ(d.items[0].name->size(), c.itemNameSize);
    EXPECT_EQ(d.items[0].grade->size(), c.gradeSize);
    EXPECT_EQ(d.title->size(), c.titleSize);
    EXPECT_EQ(d.subParts[0].size(), c.partSize);
    EXPECT_EQ(d.server, u"서버");
    EXPECT_EQ(d.job, u"직업");
    EXPECT_EQ(d.fieldsCut, c.fieldsCut);
}

INSTANTIATE_TEST_SUITE_P(Pages, CharacterBoundTest,
    ::testing::Values(
        DetailBoundCase { "at_the_bound_whole", characterPage(units(256), units(256), units(256), units(256)),
            256, 256, 256, 256, 0 },
        DetailBoundCase { "every_text_past_it_cut",
            characterPage(units(257), units(5000), units(300), units(999)), 256, 256, 256, 256, 4 },
        DetailBoundCase { "title_cut_before_a_split_pair",
            characterPage(u"검", u"희귀", units(255) + std::u16string { High, Low }, u"a"), 1, 2, 255, 1,
            1 }),
    [](const ::testing::TestParamInfo<DetailBoundCase> &row) { return std::string(row.param.name); });

} // namespace
