#include <gtest/gtest.h>

#include <string>

#include "search/controltext.h"

namespace {

struct EscapeCase {
    const char *name;
    std::u16string input;
    std::u16string expected;
};

class EscapeControlsTest : public ::testing::TestWithParam<EscapeCase> { };

TEST_P(EscapeControlsTest, LeavesNothingATerminalActsOn)
{
    EXPECT_EQ(thornvale::escapeControls(GetParam().input), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Texts, EscapeControlsTest,
    ::testing::Values(EscapeCase { "plain_hangul_and_backslash_untouched", u"토른\\n a", u"토른\\n a" },
        EscapeCase { "title_sequence", u"\x1b]0;x\x07", u"\\x1b]0;x\\x07" },
        EscapeCase { "clear_screen_and_cr", u"\x1b[2J\r", u"\\x1b[2J\\x0d" },
        EscapeCase { "nul_tab_lf", std::u16string { u'\0', u'\t', u'\n' }, u"\\x00\\x09\\x0a" },
        EscapeCase { "del_and_c1_edges", u"\x7f\x80\x9b\x9f\xa0", u"\\x7f\\x80\\x9b\\x9f\xa0" },
        EscapeCase { "bidi_controls", u"\u200e\u200f\u202a\u202e\u2066\u2069",
            u"\\u200e\\u200f\\u202a\\u202e\\u2066\\u2069" },
        EscapeCase { "arabic_letter_mark", u"a\u061cb", u"a\\u061cb" },
        EscapeCase { "bidi_neighbours_stay", u"\u200d\u2029\u202f\u206a", u"\u200d\u2029\u202f\u206a" }),
    [](const ::testing::TestParamInfo<EscapeCase> &row) { return std::string(row.param.name); });

struct WellFormedCase {
    const char *name;
    std::u16string input;
    std::u16string expected;
};

class WellFormedTest : public ::testing::TestWithParam<WellFormedCase> { };

TEST_P(WellFormedTest, LoneSurrogatesBecomeReplacementCharacters)
{
    EXPECT_EQ(thornvale::wellFormed(GetParam().input), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Texts, WellFormedTest,
    ::testing::Values(WellFormedCase { "pair_kept", u"a\U0001F3F9b", u"a\U0001F3F9b" },
        WellFormedCase { "lone_high_at_end", std::u16string { u'a', char16_t(0xD800) }, u"a\uFFFD" },
        WellFormedCase { "lone_low_first", std::u16string { char16_t(0xDC00), u'a' }, u"\uFFFDa" },
        WellFormedCase { "high_before_high",
            std::u16string { char16_t(0xD800), char16_t(0xD83C), char16_t(0xDFF9) }, u"\uFFFD\U0001F3F9" },
        WellFormedCase {
            "reversed_pair", std::u16string { char16_t(0xDFF9), char16_t(0xD83C) }, u"\uFFFD\uFFFD" }),
    [](const ::testing::TestParamInfo<WellFormedCase> &row) { return std::string(row.param.name); });

} // namespace
