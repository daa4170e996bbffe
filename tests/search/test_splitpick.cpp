#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "search/splitpick.h"

using namespace thornvale;

namespace {

struct PieceCase {
    const char *name;
    std::u16string text;
    std::u16string marker;
    std::size_t k;
    std::optional<std::u16string> expected;
};

class PieceTest : public ::testing::TestWithParam<PieceCase> {};

TEST_P(PieceTest, PicksLikeTheSplit)
{
    const PieceCase &c = GetParam();
    const auto got = Piece(c.text, c.marker, c.k);
    ASSERT_EQ(got.has_value(), c.expected.has_value());
    if (got) {
        EXPECT_EQ(std::u16string(*got), *c.expected);
    }

    // The precomputed split must agree piece for piece.
    const SplitText split(c.text, c.marker);
    const auto again = split.piece(c.k);
    ASSERT_EQ(again.has_value(), c.expected.has_value());
    if (again) {
        EXPECT_EQ(std::u16string(*again), *c.expected);
    }
}

INSTANTIATE_TEST_SUITE_P(
    SplitAndPick, PieceTest,
    ::testing::Values(
        PieceCase{"empty_text_has_no_piece_0", u"", u"x", 0, std::nullopt},
        PieceCase{"no_marker_piece_0_is_whole", u"abc", u"x", 0, u"abc"},
        PieceCase{"no_marker_no_piece_1", u"abc", u"x", 1, std::nullopt},
        PieceCase{"piece_before_first", u"a|b|c", u"|", 0, u"a"},
        PieceCase{"middle_piece", u"a|b|c", u"|", 1, u"b"},
        PieceCase{"last_piece_runs_to_end", u"a|b|c", u"|", 2, u"c"},
        PieceCase{"past_last_piece_fails", u"a|b|c", u"|", 3, std::nullopt},
        PieceCase{"marker_at_end_gives_empty_last", u"ab|", u"|", 1, u""},
        PieceCase{"back_to_back_gives_empty_piece", u"a||b", u"|", 1, u""},
        PieceCase{"occurrences_do_not_overlap", u"aaaa", u"aa", 1, u""},
        PieceCase{"overlap_leaves_no_third", u"aaaaa", u"aa", 2, u"a"},
        PieceCase{"case_sensitive", u"aXbxc", u"x", 1, u"c"},
        PieceCase{"hangul_marker", u"55레벨99", u"레벨", 0, u"55"},
        PieceCase{"empty_marker_never_matches", u"abc", u"", 0, u"abc"},
        PieceCase{"empty_marker_no_piece_1", u"abc", u"", 1, std::nullopt}),
    [](const auto &testRow) { return std::string(testRow.param.name); });

TEST(Occurrences, CountsPiecesMinusOne)
{
    EXPECT_EQ(Occurrences(u"", u"x"), -1);
    EXPECT_EQ(Occurrences(u"abc", u"x"), 0);
    EXPECT_EQ(Occurrences(u"x", u"x"), 1);
    EXPECT_EQ(Occurrences(u"xaxbx", u"x"), 3);
    EXPECT_EQ(Occurrences(u"aaaa", u"aa"), 2);
}

struct BetweenCase {
    const char *name;
    std::u16string text;
    std::optional<std::u16string> expected;
};

class BetweenTest : public ::testing::TestWithParam<BetweenCase> {};

TEST_P(BetweenTest, StopsAtEndOrNextStart)
{
    const auto &c = GetParam();
    const auto got = Between(c.text, u"<b>", u"</");
    ASSERT_EQ(got.has_value(), c.expected.has_value());
    if (got) {
        EXPECT_EQ(std::u16string(*got), *c.expected);
    }
}

INSTANTIATE_TEST_SUITE_P(
    SplitAndPick, BetweenTest,
    ::testing::Values(BetweenCase{"plain", u"x<b>name</b>", u"name"},
                      BetweenCase{"empty_text", u"", std::nullopt},
                      BetweenCase{"no_start", u"name</b>", std::nullopt},
                      BetweenCase{"start_at_very_end", u"x<b>", std::nullopt},
                      BetweenCase{"two_starts_back_to_back", u"<b><b>x", std::nullopt},
                      BetweenCase{"next_start_ends_it", u"<b>one<b>two</b>", u"one"},
                      BetweenCase{"no_end_runs_to_text_end", u"<b>tail", u"tail"},
                      BetweenCase{"end_right_after_start_is_empty_text", u"<b></b>", u""}),
    [](const auto &testRow) { return std::string(testRow.param.name); });

} // namespace

namespace {

// Between takes a shortcut past the first end; it must still agree with the plain definition.
TEST(Between, AgreesWithPieceOfPieceOnRandomTexts)
{
    const std::u16string alphabet = u"ab<>/x";
    const std::u16string starts[] = {u"<a", u"a", u"ab<", u"<"};
    const std::u16string ends[] = {u"</", u"/", u"b", u"<a", u""};
    unsigned seed = 12345;
    auto next = [&] { return seed = seed * 1103515245u + 12345u, (seed >> 16) & 0x7FFF; };
    for (int i = 0; i < 20000; ++i) {
        std::u16string text;
        const unsigned len = next() % 14;
        for (unsigned k = 0; k < len; ++k)
            text += alphabet[next() % alphabet.size()];
        const auto &start = starts[next() % 4];
        const auto &end = ends[next() % 5];
        const auto after = Piece(text, start, 1);
        const auto expected = after ? Piece(*after, end, 0) : std::nullopt;
        const auto got = Between(text, start, end);
        ASSERT_EQ(got.has_value(), expected.has_value()) << i;
        if (got) {
            ASSERT_EQ(std::u16string(*got), std::u16string(*expected)) << i;
        }
    }
}

} // namespace
