#include "search/searchpages.h"

#include <algorithm>
#include <limits>

#include "search/decimal.h"
#include "search/resultpage.h"

namespace thornvale {

SearchPages::SearchPages(SearchEntry entry, SearchHost &host, ResultList &list, std::int32_t &pageCounter,
    std::u16string addressStart, std::u16string characterBase)
    : m_entry(entry)
    , m_host(host)
    , m_list(list)
    , m_pageCounter(pageCounter)
    , m_addressStart(std::move(addressStart))
    , m_characterBase(std::move(characterBase))
    , m_token(std::make_shared<Token>(Token { this }))
{
}

SearchPages::~SearchPages()
{
    m_token->run = nullptr;
    abortInFlight();
}

void SearchPages::start()
{
    m_started = true;
    m_list.clear();
    if (m_entry == SearchEntry::FirstPages)
        m_pageCounter = 0;

    // The name and the counter as they are now decide all ten pages. The counter has no upper
    // limit short of its type; at the top the remaining pages stay on the last one.
    const std::u16string name = m_host.currentName();
    const std::int64_t from = m_pageCounter;
    for (std::size_t i = 0; i < m_slots.size(); ++i) {
        Slot &slot = m_slots[i];
        slot.page = std::int32_t(
            std::min<std::int64_t>(from + std::int64_t(i) + 1, std::numeric_limits<std::int32_t>::max()));
        slot.address = BuildSearchUrl(m_addressStart, name, slot.page);
    }
    pump();
}

void SearchPages::cancel()
{
    m_finished = true;
    m_token->run = nullptr;
    abortInFlight();
}

void SearchPages::abortInFlight()
{
    for (Slot &slot : m_slots) {
        if (slot.state != Slot::State::InFlight)
            continue;
        slot.state = Slot::State::Waiting;
        --m_inFlight;
        if (AbortFetch abort = std::move(slot.abort))
            abort();
    }
}

void SearchPages::pump()
{
    // A fetch that completes at once calls back into the run from inside request(); this loop
    // takes that page up, so the nested call has nothing to do.
    if (m_pumping)
        return;
    m_pumping = true;
    const auto token = m_token;
    while (!m_finished) {
        if (m_nextTake < m_slots.size() && m_slots[m_nextTake].state == Slot::State::Arrived) {
            takePage(m_slots[m_nextTake++]);
            // A host reacting to the page may have cancelled or even destroyed this run.
            if (!token->run)
                return;
            continue;
        }
        if (m_nextTake == m_slots.size()) {
            m_finished = true;
            m_token->run = nullptr;
            m_pumping = false;
            m_host.runFinished();
            return;
        }
        if (m_inFlight < MaxPagesInFlight && m_nextRequest < m_slots.size()) {
            request(m_slots[m_nextRequest++]);
            continue;
        }
        break;
    }
    m_pumping = false;
}

void SearchPages::request(Slot &slot)
{
    slot.state = Slot::State::InFlight;
    ++m_inFlight;
    const auto index = std::size_t(&slot - m_slots.data());
    AbortFetch abort = m_host.fetchPage(slot.address, [token = m_token, index](PageBody body) {
        if (token->run)
            token->run->arrived(index, std::move(body));
    });
    // A fetch answered on the spot has nothing left to abort.
    if (slot.state == Slot::State::InFlight)
        slot.abort = std::move(abort);
}

void SearchPages::arrived(std::size_t index, PageBody body)
{
    Slot &slot = m_slots[index];
    if (slot.state != Slot::State::InFlight)
        return;
    slot.state = Slot::State::Arrived;
    slot.abort = nullptr;
    slot.body = std::move(body);
    --m_inFlight;
    pump();
}

void SearchPages::takePage(Slot &slot)
{
    m_pageCounter = slot.page;
    const PageBody body = std::move(slot.body);
    slot.body = {};

    PageReport report;
    report.page = slot.page;
    report.address = slot.address;
    if (!body.text) {
        report.outcome = PageReport::Outcome::FetchFailed;
        report.error = body.error;
        report.failure = body.failure == FetchFailure::None ? FetchFailure::Other : body.failure;
    } else if (const auto section = ResultSection(*body.text); !section) {
        report.outcome = PageReport::Outcome::NoHeading;
    } else {
        for (ScrapedRow &row : ScrapeSection(*section, m_characterBase, &report.bounds)) {
            m_list.append(Decimal(m_list.count()));
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

    m_host.pageFinished(report);
}

} // namespace thornvale
