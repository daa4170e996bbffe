#include "ui/windowsearch.h"

#include <QDebug>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

#include "net/pagefetcher.h"
#include "net/sitefetch.h"
#include "qtbridge/qtbridge.h"
#include "search/reporttext.h"

namespace thornvale {

WindowSearch::WindowSearch(const SiteConfig &config, ResultList &results, std::int32_t &pageCounter,
    Controls controls, Fetcher fetcher, QObject *parent)
    : QObject(parent)
    , m_config(config)
    , m_results(results)
    , m_pageCounter(pageCounter)
    , m_controls(controls)
    , m_fetcher(std::move(fetcher))
{
}

WindowSearch::~WindowSearch()
{
    stop();
    // The list goes with the window; a run must not outlive it.
    m_search.reset();
    m_retiredSearch.reset();
}

void WindowSearch::start(SearchEntry entry)
{
    stop();
    m_failedPages = 0;
    m_firstFailure = FetchFailure::None;
    SearchHost &host = *this;
    m_search = std::make_unique<SearchPages>(
        entry, host, m_results, m_pageCounter, m_config.searchAddressStart(), m_config.characterBase);
    m_controls.busyArea->setCursor(Qt::BusyCursor);
    m_search->start();
}

void WindowSearch::stop()
{
    if (m_search) {
        m_search->cancel();
        m_retiredSearch = std::move(m_search);
    }
    m_controls.busyArea->unsetCursor();
}

bool WindowSearch::isRunning() const
{
    return m_search && m_search->isRunning();
}

std::u16string WindowSearch::currentName()
{
    return toU16(m_controls.name->text());
}

AbortFetch WindowSearch::fetchPage(const std::u16string &address, std::function<void(PageBody)> done)
{
    return net::FetchPageBody(m_fetcher(), toQString(address), this, std::move(done));
}

void WindowSearch::setCommand1Enabled(bool enabled)
{
    m_controls.command1->setEnabled(enabled);
}

void WindowSearch::pageFinished(const PageReport &report)
{
    if (report.outcome == PageReport::Outcome::FetchFailed && m_failedPages++ == 0)
        m_firstFailure = report.failure;
    // A page without the heading is logged too, though the user hears nothing of it: the site
    // sends such pages past its last result.
    for (const std::u16string &line : PageReportLines(report))
        qWarning().noquote() << QStringLiteral("thornvale: ") + toQString(line);
    Q_EMIT pageTaken(report.page, report.rows);
}

void WindowSearch::runFinished()
{
    m_controls.busyArea->unsetCursor();
    if (m_failedPages > 0)
        Q_EMIT failed(toQString(SearchFailureMessage(m_failedPages, m_firstFailure)));
    Q_EMIT finished();
}

} // namespace thornvale
