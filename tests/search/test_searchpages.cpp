#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
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
    bool deferred = false; // hold fetches until delivered
    bool ignoreAborts = false; // a host whose abort comes too late: the page still lands
    std::map<int, PageBody> pages; // by page number; default: 10 rows named p<page>-
    std::vector<std::u16string> requested;
    std::vector<int> aborted; // page numbers
    std::vector<bool> command1;
    std::vector<PageReport> reports;
    std::deque<std::pair<std::u16string, std::function<void(PageBody)>>> pending;
    std::function<void(const PageReport &)> onPage;
    int finishedRuns = 0;
    std::size_t mostInFlight = 0;
    ResultTable list;
    std::int32_t counter = 0;

    std::unique_ptr<SearchPages> makeRun(SearchEntry entry)
    {
        return std::make_unique<SearchPages>(entry, *this, list, counter, Start, Base);
    }

    std::u16string currentName() override { return name; }
    AbortFetch fetchPage(const std::u16string &address, std::function<void(PageBody)> done) override
    {
        requested.push_back(address);
        if (!deferred) {
            done(bodyFor(address));
            return {};
        }
        pending.emplace_back(address, std::move(done));
        mostInFlight = std::max(mostInFlight, pending.size());
        return [this, address] {
            aborted.push_back(pageOf(address));
            if (ignoreAborts)
                return;
            std::erase_if(pending, [&](const auto &p) { return p.first == address; });
        };
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
        return { resultPage(u"p" + FromUtf8(std::to_string(p)) + u"-", 10), {} };
    }
    // Delivers the pending fetch at position i (0: the oldest).
    void deliver(std::size_t i)
    {
        auto [address, done] = std::move(pending[i]);
        pending.erase(pending.begin() + std::ptrdiff_t(i));
        done(bodyFor(address));
    }
    void deliverOne() { deliver(0); }
    void deliverPage(int page)
    {
        for (std::size_t i = 0; i < pending.size(); ++i) {
            if (pageOf(pending[i].first) == page)
                return deliver(i);
        }
        FAIL() << "page " << page << " is not in flight";
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

enum class Delivery { AtOnce, InOrder, NewestFirst };

struct EntryCase {
    const char *name;
    SearchEntry entry;
    std::int32_t counterBefore;
    int firstPage;
    std::vector<bool> command1; // every update the run makes, in order
};

class EntryTest : public ::testing::TestWithParam<std::tuple<EntryCase, Delivery>> { };

// However the pages arrive, they are taken in page order: the list, the counter and Command1 go
// through the states a one-by-one run goes through.
TEST_P(EntryTest, PagesCounterAndCommand1)
{
    const EntryCase &c = std::get<0>(GetParam());
    const Delivery delivery = std::get<1>(GetParam());
    FakeHost host;
    host.deferred = delivery != Delivery::AtOnce;
    host.list.append(u"stale");
    host.counter = c.counterBefore;
    std::vector<std::int32_t> counterAtPage;
    std::vector<int> rowsAtPage;
    host.onPage = [&](const PageReport &r) {
        counterAtPage.push_back(host.counter);
        rowsAtPage.push_back(host.list.count());
        EXPECT_EQ(r.page, c.firstPage + int(counterAtPage.size()) - 1);
    };
    auto run = host.makeRun(c.entry);
    run->start();
    while (!host.pending.empty())
        host.deliver(delivery == Delivery::NewestFirst ? host.pending.size() - 1 : 0);

    std::vector<std::int32_t> counters;
    std::vector<int> rows;
    for (int i = 0; i < 10; ++i) {
        counters.push_back(c.firstPage + i);
        rows.push_back(10 * (i + 1));
    }
    EXPECT_EQ(counterAtPage, counters);
    EXPECT_EQ(rowsAtPage, rows);

    EXPECT_EQ(host.pageNumbers(), range(c.firstPage, c.firstPage + 9));
    EXPECT_EQ(host.counter, c.firstPage + 9);
    EXPECT_EQ(host.command1, c.command1);
    EXPECT_EQ(host.list.count(), 100);
    EXPECT_EQ(host.list.cell(0, ResultRow::Number), u"0");
    EXPECT_TRUE(run->isFinished());
    EXPECT_EQ(host.finishedRuns, 1);
}

const std::vector<bool> none;
const std::vector<bool> disableOnce { false };
const std::vector<bool> enableTen(10, true);
std::vector<bool> enableFromSecond()
{
    return std::vector<bool>(9, true);
}

std::string entryCaseName(const ::testing::TestParamInfo<EntryTest::ParamType> &info)
{
    static const char *const deliveries[] = { "at_once", "in_order", "newest_first" };
    return std::string(std::get<0>(info.param).name) + "_" + deliveries[int(std::get<1>(info.param))];
}

INSTANTIATE_TEST_SUITE_P(Entries, EntryTest,
    ::testing::Combine(
        ::testing::Values(
            // The key press has already reset the host.counter; the Enter search never touches Command1.
            EntryCase { "enter_search", SearchEntry::EnterSearch, 0, 1, none },
            EntryCase { "first_pages_resets_counter", SearchEntry::FirstPages, 37, 1, disableOnce },
            EntryCase { "first_pages_from_start", SearchEntry::FirstPages, 1, 1, disableOnce },
            EntryCase { "next_pages_straight_after_load", SearchEntry::NextPages, 1, 2, enableTen },
            EntryCase { "next_pages_after_key_press", SearchEntry::NextPages, 0, 1, enableFromSecond() },
            EntryCase { "next_pages_after_next_pages", SearchEntry::NextPages, 11, 12, enableTen }),
        ::testing::Values(Delivery::AtOnce, Delivery::InOrder, Delivery::NewestFirst)),
    entryCaseName);

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
    host.pages[2] = { std::nullopt, u"connection refused" };
    host.pages[3] = { u"<html>500 Internal Server Error</html>", {} };
    host.pages[1] = { std::nullopt, u"timed out" }; // first page of the run fails too
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
        host.pages[p] = { resultPage(u"x", p == 1 ? 3 : 0), {} };
    auto run = host.makeRun(SearchEntry::EnterSearch);
    run->start();
    EXPECT_EQ(host.requested.size(), 10u);
    EXPECT_EQ(host.list.count(), 3);
}

// The name is read once: typing during a run must not mix another name's pages into the list.
TEST(SearchPages, NameIsReadOnceAtTheStart)
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
    for (int p = 1; p <= 10; ++p)
        EXPECT_EQ(host.requested[std::size_t(p - 1)], BuildSearchUrl(Start, u"q", p));
}

// Pages land in any order; each is taken only once every earlier page is in, and a page held up
// holds up only the pages after it.
TEST(SearchPages, PagesAreTakenInPageOrderAndAtMostSixAreInFlight)
{
    FakeHost host;
    host.deferred = true;
    auto run = host.makeRun(SearchEntry::EnterSearch);
    run->start();
    EXPECT_EQ(host.pageNumbers(), range(1, SearchPages::MaxPagesInFlight));

    host.deliverPage(3);
    host.deliverPage(2);
    EXPECT_EQ(host.list.count(), 0);
    EXPECT_EQ(host.counter, 0);
    host.deliverPage(1);
    EXPECT_EQ(host.list.count(), 30);
    EXPECT_EQ(host.counter, 3);
    EXPECT_EQ(host.list.cell(20, ResultRow::Nickname), u"p3-0");
    EXPECT_EQ(host.list.cell(20, ResultRow::Number), u"20");

    // Page 4 never answers (until its time-out fails it); the rest arrive meanwhile.
    while (host.pending.size() > 1)
        host.deliver(1);
    EXPECT_EQ(host.list.count(), 30);
    EXPECT_TRUE(run->isRunning());
    host.pages[4] = { std::nullopt, u"no complete answer within 30 s" };
    host.deliverPage(4);
    EXPECT_EQ(host.list.count(), 90);
    EXPECT_EQ(host.counter, 10);
    EXPECT_EQ(host.finishedRuns, 1);
    EXPECT_EQ(host.mostInFlight, std::size_t(SearchPages::MaxPagesInFlight));
    EXPECT_EQ(host.requested.size(), 10u);
    ASSERT_EQ(host.reports.size(), 10u);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(host.reports[std::size_t(i)].page, i + 1);
}

// Cancelled (superseded, or ended by a key press) or destroyed: every fetch in flight is aborted,
// and a page that lands all the same is ignored.
TEST(SearchPages, EndedRunAbortsEveryFetchInFlight)
{
    for (const bool destroy : { false, true }) {
        SCOPED_TRACE(destroy ? "destroyed" : "cancelled");
        FakeHost host;
        host.deferred = true;
        host.ignoreAborts = true;
        auto run = host.makeRun(SearchEntry::EnterSearch);
        run->start();
        host.deliverOne();
        ASSERT_EQ(host.list.count(), 10);
        if (destroy)
            run.reset();
        else
            run->cancel();
        EXPECT_EQ(host.aborted, range(2, 7));
        while (!host.pending.empty())
            host.deliverOne();
        EXPECT_EQ(host.list.count(), 10);
        EXPECT_EQ(host.counter, 1);
        EXPECT_EQ(host.requested.size(), 7u);
        EXPECT_EQ(host.finishedRuns, 0);
    }
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
    EXPECT_TRUE(host.pending.empty());
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
