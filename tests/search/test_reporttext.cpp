#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "search/characterpage.h"
#include "search/reporttext.h"
#include "search/searchpages.h"

using namespace thornvale;

namespace {

struct LoggedCase {
    const char *name;
    std::u16string text;
    std::u16string expected;
};

class LoggedTextTest : public ::testing::TestWithParam<LoggedCase> { };

TEST_P(LoggedTextTest, ShortAndTerminalSafe)
{
    EXPECT_EQ(LoggedText(GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Texts, LoggedTextTest,
    ::testing::Values(LoggedCase { "short_address_whole", u"http://a.example/s?keyword=%61",
                          u"http://a.example/s?keyword=%61" },
        LoggedCase { "at_the_bound_whole", std::u16string(200, u'x'), std::u16string(200, u'x') },
        LoggedCase { "past_it_start_and_length", std::u16string(131000, u'%'),
            std::u16string(200, u'%') + u"… (131000 characters)" },
        LoggedCase { "controls_escaped", u"a\x1b[2J\u202e", u"a\\x1b[2J\\u202e" },
        LoggedCase { "controls_escaped_after_the_cut", std::u16string(199, u'x') + u"\x1b\x1b",
            std::u16string(199, u'x') + u"\\x1b… (201 characters)" }),
    [](const ::testing::TestParamInfo<LoggedCase> &row) { return std::string(row.param.name); });

PageReport report(PageReport::Outcome outcome, ScrapeCounts bounds, std::u16string error = {})
{
    PageReport r;
    r.page = 3;
    r.address = u"http://s.example/search?page=3";
    r.outcome = outcome;
    r.error = std::move(error);
    r.bounds = bounds;
    return r;
}

struct ReportCase {
    const char *name;
    PageReport report;
    std::vector<std::u16string> lines;
};

class PageReportLinesTest : public ::testing::TestWithParam<ReportCase> { };

TEST_P(PageReportLinesTest, OneLinePerProblem)
{
    EXPECT_EQ(PageReportLines(GetParam().report), GetParam().lines);
}

using Outcome = PageReport::Outcome;

INSTANTIATE_TEST_SUITE_P(Reports, PageReportLinesTest,
    ::testing::Values(ReportCase { "rows_as_they_should_no_line", report(Outcome::Rows, {}), {} },
        ReportCase { "fetch_failed_with_reason", report(Outcome::FetchFailed, {}, u"Connection refused\r\n"),
            { u"page 3: fetch failed: Connection refused\\x0d\\x0a (http://s.example/search?page=3)" } },
        ReportCase { "no_heading", report(Outcome::NoHeading, {}),
            { u"page 3: no heading marker (the site's layout may have changed) "
              u"(http://s.example/search?page=3)" } },
        ReportCase { "every_bound_its_own_line",
            report(Outcome::Rows, { .rowsDropped = 5, .fieldsCut = 7, .addressesDropped = 1 }),
            { u"page 3: 5 rows past the first 1000 dropped (http://s.example/search?page=3)",
                u"page 3: 7 fields cut to 256 characters (http://s.example/search?page=3)",
                u"page 3: 1 character addresses longer than 4096 characters dropped "
                u"(http://s.example/search?page=3)" } }),
    [](const ::testing::TestParamInfo<ReportCase> &row) { return std::string(row.param.name); });

TEST(DetailReportLines, ItemsDroppedAndFieldsCut)
{
    CharacterDetail detail;
    EXPECT_TRUE(DetailReportLines(detail, u"http://c.example/characters/k").empty());
    detail.itemsDropped = 2;
    detail.fieldsCut = 4;
    EXPECT_EQ(DetailReportLines(detail, u"http://c.example/characters/k"),
        (std::vector<std::u16string> {
            u"2 item blocks past the first 1000 dropped (http://c.example/characters/k)",
            u"4 fields cut to 256 characters (http://c.example/characters/k)" }));
}

} // namespace
