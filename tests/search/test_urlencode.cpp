#include <gtest/gtest.h>

#include <string>

#include "search/urlencode.h"

using namespace thornvale;

namespace {

struct EncodeCase {
    const char *name;
    std::u16string input;
    std::u16string expected;
};

class URLEncodeTest : public ::testing::TestWithParam<EncodeCase> { };

TEST_P(URLEncodeTest, EscapesEveryUtf8Byte)
{
    EXPECT_EQ(URLEncode(GetParam().input), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Names, URLEncodeTest,
    ::testing::Values(EncodeCase { "letters_escaped_too", u"abc", u"%61%62%63" },
        EncodeCase { "digits_escaped", u"0189", u"%30%31%38%39" },
        EncodeCase { "space_is_percent_20_never_plus", u"a b", u"%61%20%62" },
        EncodeCase { "tab_gives_single_digit", u"\t", u"%9" },
        EncodeCase { "line_feed_gives_A", u"\n", u"%A" },
        EncodeCase { "nul_gives_0", std::u16string(1, u'\0'), u"%0" },
        EncodeCase { "byte_16_has_two_digits", u"\x10", u"%10" },
        EncodeCase { "hangul_three_bytes", u"가", u"%EA%B0%80" },
        EncodeCase { "upper_case_hex", u"\u00FF", u"%C3%BF" },
        EncodeCase { "reserved_marks", u"&=?%+", u"%26%3D%3F%25%2B" },
        EncodeCase { "surrogate_pair_four_bytes", u"\U0001F600", u"%F0%9F%98%80" },
        EncodeCase { "lone_high_surrogate_is_fffd", std::u16string(1, char16_t(0xD83D)), u"%EF%BF%BD" },
        EncodeCase { "lone_low_surrogate_is_fffd", std::u16string(1, char16_t(0xDE00)), u"%EF%BF%BD" },
        EncodeCase { "reversed_pair_two_fffd", std::u16string { char16_t(0xDE00), char16_t(0xD83D) },
            u"%EF%BF%BD%EF%BF%BD" },
        EncodeCase { "empty_gives_empty", u"", u"" }),
    [](const auto &testRow) { return std::string(testRow.param.name); });

TEST(URLEncode, OutputIsOnlyPercentAndUpperHex)
{
    std::u16string all;
    for (char32_t c = 1; c < 0xD800; c += 97)
        all += char16_t(c);
    for (const char16_t c : URLEncode(all))
        EXPECT_TRUE(c == u'%' || (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F')) << int(c);
}

TEST(Utf8, RoundTripsValidText)
{
    const std::u16string text = u"토른 Arin7 \U0001F600 가나다";
    EXPECT_EQ(FromUtf8(ToUtf8(text)), text);
}

TEST(Utf8, MalformedBytesBecomeReplacement)
{
    EXPECT_EQ(FromUtf8("a\xFF"
                       "b"),
        u"a\uFFFDb");
    EXPECT_EQ(FromUtf8("\xEA\xB0"), u"\uFFFD"); // cut short
    EXPECT_EQ(FromUtf8("\xC0\x80"), u"\uFFFD"); // overlong NUL
    EXPECT_EQ(FromUtf8("\xED\xA0\x80"), u"\uFFFD"); // an encoded surrogate
}

} // namespace
