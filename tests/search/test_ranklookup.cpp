#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "search/ranklookup.h"
#include "support/resultrows.h"

using namespace thornvale;

namespace {

ResultTable table(const std::vector<test::RowCells> &rows)
{
    ResultTable t;
    test::AppendRows(t, rows);
    return t;
}

std::vector<int> allMatches(const ResultList &list, std::u16string_view nick, std::u16string_view server)
{
    std::vector<int> out;
    for (int at = NextRankMatch(list, 0, nick, server); at >= 0;
         at = NextRankMatch(list, at + 1, nick, server))
        out.push_back(at);
    return out;
}

struct RankCase {
    const char *name;
    std::u16string nick;
    std::u16string server;
    std::vector<int> expected;
};

class RankTest : public ::testing::TestWithParam<RankCase> { };

const ResultTable Rows = table({ { u"토른", u"가시골" }, { u"Arin7", u"이슬언덕" }, { u"토른", u"이슬언덕" },
    { u"닉네임", u"서버명" }, { u"", u"" }, { u"토른", u"가시골" } });

TEST_P(RankTest, ReportsEveryMatchInListOrder)
{
    EXPECT_EQ(allMatches(Rows, GetParam().nick, GetParam().server), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Lookups, RankTest,
    ::testing::Values(RankCase { "first_row_and_duplicate_last", u"토른", u"가시골", { 0, 5 } },
        RankCase { "same_nick_other_server", u"토른", u"이슬언덕", { 2 } },
        RankCase { "case_differs", u"arin7", u"이슬언덕", {} },
        RankCase { "trailing_space", u"Arin7 ", u"이슬언덕", {} },
        RankCase { "hints_compared_as_text", u"닉네임", u"서버명", { 3 } },
        RankCase { "both_empty_match_empty_cells", u"", u"", { 4 } },
        RankCase { "nick_right_server_wrong", u"Arin7", u"가시골", {} }),
    [](const auto &testRow) { return std::string(testRow.param.name); });

TEST(RankLookup, EmptyListHasNoMatch)
{
    EXPECT_EQ(NextRankMatch(ResultTable {}, 0, u"", u""), -1);
}

// A search during a message box may shorten the list; the lookup goes on from where it was and
// never reads past the list as it now stands.
TEST(RankLookup, ShortenedListIsNotReadPastItsEnd)
{
    ResultTable t = table({ { u"a", u"s" }, { u"a", u"s" }, { u"a", u"s" } });
    EXPECT_EQ(NextRankMatch(t, 1, u"a", u"s"), 1);
    t = table({ { u"a", u"s" } });
    EXPECT_EQ(NextRankMatch(t, 2, u"a", u"s"), -1);
}

TEST(RankLookup, MessageCarriesTheZeroBasedNumber)
{
    EXPECT_EQ(RankMessage(0), u"0번에 있습니다.");
    EXPECT_EQ(RankMessage(4), u"4번에 있습니다.");
    EXPECT_EQ(RankMessage(123), u"123번에 있습니다.");
}

} // namespace
