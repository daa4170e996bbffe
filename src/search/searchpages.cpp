#include "search/searchpages.h"

#include <limits>

#include "search/resultpage.h"

namespace thornvale {

namespace {

std::u16string decimal(long long v)
{
    const std::string s = std::to_string(v);
    return std::u16string(s.begin(), s.end());
}

} // namespace

SearchPages::SearchPages(SearchEntry entry, SearchHost &host, ResultList &list, std::int32_t &pageCounter,
                         std::u16string addressStart, std::u16string characterBase)
    : m_entry(entry)
    , m_host(host)
    , m_list(list)
    , m_pageCounter(pageCounter)
    , m_addressStart(std::move(addressStart))
    , m_characterBase(std::move(characterBase))
    , m_token(std::make_shared<Token>(Token{this}))
{
}

SearchPages::~SearchPages()
{
    m_token->run = nullptr;
}

void SearchPages::start()
{
    m_started = true;
    m_list.clear();
    if (m_entry == SearchEntry::FirstPages)
        m_pageCounter = 0;
    requestNextPage();
}

void SearchPages::cancel()
{
    m_finished = true;
    m_token->run = nullptr;
}

void SearchPages::requestNextPage()
{
    if (m_finished)
        return;
    if (m_pagesRequested == PagesPerRun) {
        m_finished = true;
        m_token->run = nullptr;
        m_host.runFinished();
        return;
    }
    ++m_pagesRequested;
    // The counter has no upper limit short of its type; at the top it stays put.
    if (m_pageCounter < std::numeric_limits<std::int32_t>::max())
        ++m_pageCounter;
    const std::int32_t page = m_pageCounter;
    std::u16string address = BuildSearchUrl(m_addressStart, m_host.currentName(), page);
    m_host.fetchPage(address, [token = m_token, page, address](PageBody body) {
        if (token->run)
            token->run->takePage(page, address, std::move(body));
    });
}

void SearchPages::takePage(std::int32_t page, const std::u16string &address, PageBody body)
{
    PageReport report;
    report.page = page;
    report.address = address;
    if (!body.text) {
        report.outcome = PageReport::Outcome::FetchFailed;
        report.error = std::move(body.error);
    } else if (const auto section = ResultSection(*body.text); !section) {
        report.outcome = PageReport::Outcome::NoHeading;
    } else {
        for (ScrapedRow &row : ScrapeSection(*section, m_characterBase)) {
            m_list.append(decimal(m_list.count()));
            m_list.setLastCell(ResultRow::Nickname, std::move(row.nickname));
            m_list.setLastCell(ResultRow::Server, std::move(row.server));
            m_list.setLastCell(ResultRow::Level, std::move(row.level));
            m_list.setLastCell(ResultRow::Job, std::move(row.job));
            m_list.setLastCell(ResultRow::Race, std::move(row.race));
            m_list.setLastCell(ResultRow::Address, std::move(row.address));
            ++report.rows;
        }
    }

    if (m_entry == SearchEntry::FirstPages && m_pageCounter < 2)
        m_host.setCommand1Enabled(false);
    else if (m_entry == SearchEntry::NextPages && m_pageCounter > 1)
        m_host.setCommand1Enabled(true);

    // A host reacting to the report may cancel or even destroy this run.
    const auto token = m_token;
    m_host.pageFinished(report);
    if (token->run)
        requestNextPage();
}

} // namespace thornvale
