#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "search/resultpage.h"
#include "search/searchpages.h"
#include "search/urlencode.h"

using namespace thornvale;

namespace {

const std::u16string Start = u"http://s.example/search?keyword=";
const std::u16string Base = u"http://s.example/characters/";

// A result page with `count` characters named <prefix><i>.
std::u16string resultPage(const std::u16string &prefix, int count)
{
    std::u16string page = u"<h4>'<strong>q</strong>' 캐릭터 검색결과</h4>";
    for (int i = 0; i < count; ++i) {
        const std::u16string n = prefix + FromUtf8(std::to_string(i));
        page += u"<a href=\"" + Base + n + u"\" class=\"c\"><span class=\"character_card\"><strong>" + n
            + u"</strong></span><span class=\"character_server\">@srv</span><span class=\"level\"><span>9레벨"
              u"</span><span>job</span><span>race</span></span><div class=\"lst\"></div>";
    }
    return page + u"<span><i class=\"ico_comm next\"></i></span></a>";
}

// Page number from a search address ("...&page=N").
int pageOf(const std::u16string &address)
{
    const auto at = address.rfind(u"&page=");
    return std::stoi(ToUtf8(address.substr(at + 6)));
}

class FakeHost : public SearchHost {
public:
    std::u16string name = u"q";
    bool deferred = false; // hold fetches until deliver()
    std::map<int, PageBody> pages; // by page number; default: 10 rows named p<page>-
    std::vector<std::u16string> requested;
    std::vector<bool> command1;
    std::vector<PageReport> reports;
    std::deque<std::pair<std::u16string, std::function<void(PageBody)>>> pending;
    std::function<void(const PageReport &)> onPage;
    int finishedRuns = 0;
    ResultTable list;
    std::int32_t counter = 0;

    std::unique_ptr<SearchPages> makeRun(SearchEntry entry)
    {
        return std::make_unique<SearchPages>(entry, *this, list, counter, Start, Base);
    }

    std::u16string currentName() override { return name; }
    void fetchPage(const std::u16string &address, std::function<void(PageBody)> done) override
    {
        requested.push_back(address);
        if (deferred)
            pending.emplace_back(address, std::move(done));
        else
            done(bodyFor(address));
    }
    void setCommand1Enabled(bool enabled) override { command1.push_back(enabled); }
    void pageFinished(const PageReport &report) override
    {
        reports.push_back(report);
        if (onPage)
            onPage(report);
    }
    void runFinished() override { ++finishedRuns; }

    PageBody bodyFor(const std::u16string &address)
    {
        const int p = pageOf(address);
        if (const auto it = pages.find(p); it != pages.end())
            return it->second;
        return {resultPage(u"p" + FromUtf8(std::to_string(p)) + u"-", 10), {}};
    }
    void deliverOne()
    {
        auto [address, done] = std::move(pending.front());
        pending.pop_front();
        done(bodyFor(address));
    }
    std::vector<int> pageNumbers() const
    {
        std::vector<int> out;
        for (const auto &a : requested)
            out.push_back(pageOf(a));
        return out;
    }
};

std::vector<int> range(int first, int last)
{
    std::vector<int> v;
    for (int p = first; p <= last; ++p)
        v.push_back(p);
    return v;
}

struct EntryCase {
    const char *name;
    SearchEntry entry;
    std::int32_t counterBefore;
    int firstPage;
    std::vector<bool> command1; // every update the run makes, in order
};

class EntryTest : public ::testing::TestWithParam<EntryCase> {};

TEST_P(EntryTest, PagesCounterAndCommand1)
{
    const EntryCase &c = GetParam();
    FakeHost host;
    host.list.append(u"stale");
    host.counter = c.counterBefore;
    auto run = host.makeRun(c.entry);
    run->start();

    EXPECT_EQ(host.pageNumbers(), range(c.firstPage, c.firstPage + 9));
    EXPECT_EQ(host.counter, c.firstPage + 9);
    EXPECT_EQ(host.command1, c.command1);
    EXPECT_EQ(host.list.count(), 100);
    EXPECT_EQ(host.list.cell(0, ResultRow::Number), u"0");
    EXPECT_TRUE(run->isFinished());
    EXPECT_EQ(host.finishedRuns, 1);
}

const std::vector<bool> none;
const std::vector<bool> disableOnce{false};
const std::vector<bool> enableTen(10, true);
std::vector<bool> enableFromSecond() { return std::vector<bool>(9, true); }

INSTANTIATE_TEST_SUITE_P(
    Entries, EntryTest,
    ::testing::Values(
        // The key press has already reset the host.counter; the Enter search never touches Command1.
        EntryCase{"enter_search", SearchEntry::EnterSearch, 0, 1, none},
        EntryCase{"first_pages_resets_counter", SearchEntry::FirstPages, 37, 1, disableOnce},
        EntryCase{"first_pages_from_start", SearchEntry::FirstPages, 1, 1, disableOnce},
        EntryCase{"next_pages_straight_after_load", SearchEntry::NextPages, 1, 2, enableTen},
        EntryCase{"next_pages_after_key_press", SearchEntry::NextPages, 0, 1, enableFromSecond()},
        EntryCase{"next_pages_after_next_pages", SearchEntry::NextPages, 11, 12, enableTen}),
    [](const auto &testRow) { return std::string(testRow.param.name); });

TEST(SearchPages, RowNumbersCountAcrossTheTenPages)
{
    FakeHost host;
    auto run = host.makeRun(SearchEntry::EnterSearch);
    run->start();
    ASSERT_EQ(host.list.count(), 100);
    for (int i = 0; i < 100; ++i)
        ASSERT_EQ(ToUtf8(host.list.cell(i, ResultRow::Number)), std::to_string(i));
    EXPECT_EQ(host.list.cell(99, ResultRow::Nickname), u"p10-9");
    EXPECT_EQ(host.list.cell(99, ResultRow::Address), Base + u"p10-9");
    EXPECT_EQ(host.list.cell(0, ResultRow::Level), u"9");
}

// A page that fails, or has no heading, adds nothing: never the previous page's rows again.
TEST(SearchPages, FailedPagesAddNoRowsAndStillAdvanceTheCounter)
{
    FakeHost host;
    host.pages[2] = {std::nullopt, u"connection refused"};
    host.pages[3] = {u"<html>500 Internal Server Error</html>", {}};
    host.pages[1] = {std::nullopt, u"timed out"}; // first page of the run fails too
    auto run = host.makeRun(SearchEntry::EnterSearch);
    run->start();

    EXPECT_EQ(host.requested.size(), 10u);
    EXPECT_EQ(host.counter, 10);
    EXPECT_EQ(host.list.count(), 70);
    EXPECT_EQ(host.list.cell(0, ResultRow::Nickname), u"p4-0");
    EXPECT_EQ(host.list.cell(0, ResultRow::Number), u"0");
    ASSERT_EQ(host.reports.size(), 10u);
    EXPECT_EQ(host.reports[0].outcome, PageReport::Outcome::FetchFailed);
    EXPECT_EQ(host.reports[0].error, u"timed out");
    EXPECT_EQ(host.reports[2].outcome, PageReport::Outcome::NoHeading);
    EXPECT_EQ(host.reports[3].rows, 10);
}

TEST(SearchPages, ShortPagesAndEmptyPagesStillMakeTenRequests)
{
    FakeHost host;
    for (int p = 1; p <= 10; ++p)
        host.pages[p] = {resultPage(u"x", p == 1 ? 3 : 0), {}};
    auto run = host.makeRun(SearchEntry::EnterSearch);
    run->start();
    EXPECT_EQ(host.requested.size(), 10u);
    EXPECT_EQ(host.list.count(), 3);
}

TEST(SearchPages, NameIsReadAgainForEveryPage)
{
    FakeHost host;
    host.deferred = true;
    auto run = host.makeRun(SearchEntry::EnterSearch);
    run->start();
    for (int i = 0; i < 3; ++i)
        host.deliverOne();
    host.name = u"가";
    while (!host.pending.empty())
        host.deliverOne();
    ASSERT_EQ(host.requested.size(), 10u);
    // Page 4 was asked for as page 3 landed, before the edit.
    EXPECT_EQ(host.requested[3], BuildSearchUrl(Start, u"q", 4));
    EXPECT_EQ(host.requested[4], BuildSearchUrl(Start, u"가", 5));
    EXPECT_EQ(host.requested[9], BuildSearchUrl(Start, u"가", 10));
}

TEST(SearchPages, CancelledRunRequestsAndAppendsNothingMore)
{
    FakeHost host;
    host.deferred = true;
    auto run = host.makeRun(SearchEntry::EnterSearch);
    run->start();
    host.deliverOne();
    ASSERT_EQ(host.list.count(), 10);
    run->cancel();
    host.deliverOne(); // the page in flight lands late
    EXPECT_EQ(host.list.count(), 10);
    EXPECT_EQ(host.requested.size(), 2u);
    EXPECT_TRUE(host.pending.empty());
}

TEST(SearchPages, PageLandingAfterTheRunIsDestroyedIsIgnored)
{
    FakeHost host;
    host.deferred = true;
    auto run = host.makeRun(SearchEntry::EnterSearch);
    run->start();
    run.reset();
    host.deliverOne();
    EXPECT_EQ(host.list.count(), 0);
    EXPECT_EQ(host.requested.size(), 1u);
}

// The window drops a superseded run from inside a page report; the run must not touch itself after.
TEST(SearchPages, HostMayDestroyTheRunWhileItReportsAPage)
{
    FakeHost host;
    auto run = host.makeRun(SearchEntry::EnterSearch);
    host.onPage = [&](const PageReport &r) {
        if (r.page == 2)
            run.reset();
    };
    run->start();
    EXPECT_EQ(host.requested.size(), 2u);
    EXPECT_EQ(host.list.count(), 20);
}

// A newer run supersedes the one in flight: only its rows stand, numbered from 0.
TEST(SearchPages, NewerRunSupersedesTheOneInFlight)
{
    FakeHost host;
    host.deferred = true;
    auto first = host.makeRun(SearchEntry::EnterSearch);
    first->start();
    host.deliverOne();
    first->cancel();
    host.counter = 0;
    auto second = host.makeRun(SearchEntry::FirstPages);
    second->start();
    while (!host.pending.empty())
        host.deliverOne();
    EXPECT_EQ(host.list.count(), 100);
    EXPECT_EQ(host.list.cell(0, ResultRow::Number), u"0");
    EXPECT_EQ(host.counter, 10);
}

TEST(SearchPages, CounterStopsAtItsTop)
{
    FakeHost host;
    host.counter = 2147483645;
    auto run = host.makeRun(SearchEntry::NextPages);
    run->start();
    EXPECT_EQ(host.counter, 2147483647);
    EXPECT_EQ(host.requested.size(), 10u);
}

} // namespace
