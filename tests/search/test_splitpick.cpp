#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "search/markerscan.h"
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

class PieceTest : public ::testing::TestWithParam<PieceCase> { };

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

INSTANTIATE_TEST_SUITE_P(SplitAndPick, PieceTest,
    ::testing::Values(PieceCase { "empty_text_has_no_piece_0", u"", u"x", 0, std::nullopt },
        PieceCase { "no_marker_piece_0_is_whole", u"abc", u"x", 0, u"abc" },
        PieceCase { "no_marker_no_piece_1", u"abc", u"x", 1, std::nullopt },
        PieceCase { "piece_before_first", u"a|b|c", u"|", 0, u"a" },
        PieceCase { "middle_piece", u"a|b|c", u"|", 1, u"b" },
        PieceCase { "last_piece_runs_to_end", u"a|b|c", u"|", 2, u"c" },
        PieceCase { "past_last_piece_fails", u"a|b|c", u"|", 3, std::nullopt },
        PieceCase { "marker_at_end_gives_empty_last", u"ab|", u"|", 1, u"" },
        PieceCase { "back_to_back_gives_empty_piece", u"a||b", u"|", 1, u"" },
        PieceCase { "occurrences_do_not_overlap", u"aaaa", u"aa", 1, u"" },
        PieceCase { "overlap_leaves_no_third", u"aaaaa", u"aa", 2, u"a" },
        PieceCase { "case_sensitive", u"aXbxc", u"x", 1, u"c" },
        PieceCase { "hangul_marker", u"55레벨99", u"레벨", 0, u"55" },
        PieceCase { "empty_marker_never_matches", u"abc", u"", 0, u"abc" },
        PieceCase { "empty_marker_no_piece_1", u"abc", u"", 1, std::nullopt }),
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

class BetweenTest : public ::testing::TestWithParam<BetweenCase> { };

TEST_P(BetweenTest, StopsAtEndOrNextStart)
{
    const auto &c = GetParam();
    const auto got = Between(c.text, u"<b>", u"</");
    ASSERT_EQ(got.has_value(), c.expected.has_value());
    if (got) {
        EXPECT_EQ(std::u16string(*got), *c.expected);
    }
}

INSTANTIATE_TEST_SUITE_P(SplitAndPick, BetweenTest,
    ::testing::Values(BetweenCase { "plain", u"x<b>name</b>", u"name" },
        BetweenCase { "empty_text", u"", std::nullopt },
        BetweenCase { "no_start", u"name</b>", std::nullopt },
        BetweenCase { "start_at_very_end", u"x<b>", std::nullopt },
        BetweenCase { "two_starts_back_to_back", u"<b><b>x", std::nullopt },
        BetweenCase { "next_start_ends_it", u"<b>one<b>two</b>", u"one" },
        BetweenCase { "no_end_runs_to_text_end", u"<b>tail", u"tail" },
        BetweenCase { "end_right_after_start_is_empty_text", u"<b></b>", u"" }),
    [](const auto &testRow) { return std::string(testRow.param.name); });

} // namespace

namespace {

// Between takes a shortcut past the first end; it must still agree with the plain definition.
TEST(Between, AgreesWithPieceOfPieceOnRandomTexts)
{
    const std::u16string alphabet = u"ab<>/x";
    const std::u16string starts[] = { u"<a", u"a", u"ab<", u"<" };
    const std::u16string ends[] = { u"</", u"/", u"b", u"<a", u"" };
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

namespace {

struct FindCase {
    const char *name;
    std::u16string text;
    std::u16string marker;
};

class FindMarkerTest : public ::testing::TestWithParam<FindCase> { };

// The text is copied into a buffer of exactly its size, so reading one unit past it is an
// AddressSanitizer error rather than a silent read of the string's terminator.
void expectSameAsFind(const std::u16string &text, const std::u16string &marker)
{
    const std::vector<char16_t> exact(text.begin(), text.end());
    const Text view(exact.data(), exact.size());
    for (std::size_t from = 0; from <= view.size() + 1; ++from)
        ASSERT_EQ(FindMarker(view, marker, from), view.find(marker, from)) << "from " << from;
}

TEST_P(FindMarkerTest, FindsWhatFindFinds)
{
    expectSameAsFind(GetParam().text, GetParam().marker);
}

INSTANTIATE_TEST_SUITE_P(SplitAndPick, FindMarkerTest,
    ::testing::Values(FindCase { "straddles_16_byte_boundary", u"abcdefg<span>xyzxyzxyzxyz", u"<span>" },
        FindCase { "starts_on_16_byte_boundary", u"abcdefgh<span>xyzxyzxyzxyz", u"<span>" },
        FindCase { "straddles_32_byte_boundary", u"abcdefghijklmno<span>xyzxyz", u"<span>" },
        FindCase { "only_in_scalar_tail", u"abcdefghijklmnopqrs<b>", u"<b>" },
        FindCase { "one_unit", u"abcdefghijklm>nopqrstuvw>", u">" },
        FindCase { "two_units", u"<<</<<<<<<<<<<<<</<", u"</" },
        FindCase { "longer_than_text", u"<span", u"<span>" }, FindCase { "length_7", u"aaaaa<b", u"<b" },
        FindCase { "length_8", u"aaaaaa<b", u"<b" }, FindCase { "length_9", u"aaaaaaa<b", u"<b" },
        FindCase { "length_15", u"aaaaaaaaaaaaa<b", u"<b" },
        FindCase { "length_16", u"aaaaaaaaaaaaaa<b", u"<b" },
        FindCase { "length_17", u"aaaaaaaaaaaaaaa<b", u"<b" },
        FindCase { "whole_text_is_marker", u"</strong>", u"</strong>" },
        FindCase { "ends_match_middle_differs", u"<spon><spam><span>..........", u"<span>" },
        FindCase { "overlapping", u"aaaaa", u"aaa" },
        FindCase { "overlapping_past_a_step", u"aaaaaaaaaaaaaaaaaaaaa", u"aaa" },
        FindCase { "hangul", u"'<strong>토른</strong>' 캐릭터 검색결과</h4>", u"검색결과" },
        FindCase { "high_byte_is_markers_low_byte", u"\u3C00\u6200\u3E00xxxxxxxxxxxxxxxxx<b>", u"<b>" },
        FindCase { "same_low_byte_other_high_byte", u"\u013Cb\u013Exxxxxxxxxxxxxxxxxx<b>", u"<b>" },
        FindCase { "empty_marker", u"abcdefghij", u"" }, FindCase { "empty_text", u"", u"<b>" }),
    [](const auto &testRow) { return std::string(testRow.param.name); });

TEST(FindMarker, AgreesWithFindOnRandomTexts)
{
    // Few distinct units, so matches, near misses and byte-swapped twins of '<' come up often.
    const std::u16string alphabet = u"<a>\u3C00\u013C가";
    unsigned seed = 2024;
    auto next = [&] { return seed = seed * 1103515245u + 12345u, (seed >> 16) & 0x7FFF; };
    for (int i = 0; i < 4000; ++i) {
        std::u16string text, marker;
        for (unsigned k = next() % 40; k > 0; --k)
            text += alphabet[next() % alphabet.size()];
        for (unsigned k = 1 + next() % 4; k > 0; --k)
            marker += alphabet[next() % 3];
        SCOPED_TRACE(i);
        expectSameAsFind(text, marker);
    }
}

} // namespace
