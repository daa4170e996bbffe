#include "clihost.h"

#include <unistd.h>

#include "net/sitefetch.h"
#include "qtbridge/qtbridge.h"
#include "search/resultpage.h"
#include "textout.h"

namespace thornvale::cli {

CliSearchHost::CliSearchHost(std::u16string name, net::PageFetcher &fetcher, std::function<void()> done)
    : m_name(std::move(name))
    , m_fetcher(fetcher)
    , m_done(std::move(done))
    , m_progress(::isatty(STDERR_FILENO) == 1)
{
}

AbortFetch CliSearchHost::fetchPage(const std::u16string &address, std::function<void(PageBody)> done)
{
    return net::FetchPageBody(m_fetcher, toQString(address), this, std::move(done));
}

void CliSearchHost::pageFinished(const PageReport &report)
{
    ++m_pages;
    if (m_progress)
        writeErr(QStringLiteral("\r\x1b[K%1/%2 페이지").arg(m_pages).arg(SearchPages::PagesPerRun));
    QStringList problems;
    if (report.outcome == PageReport::Outcome::FetchFailed) {
        ++m_fetchFailures;
        problems << QStringLiteral("fetch failed: %1").arg(safe(toQString(report.error)));
    } else if (report.outcome == PageReport::Outcome::NoHeading) {
        problems << QStringLiteral("no heading marker (the site's layout may have changed)");
    }
    if (report.rowsDropped > 0)
        problems << QStringLiteral("%1 rows past the first %2 dropped").arg(report.rowsDropped).arg(MaxRowsPerPage);
    if (m_progress && !problems.isEmpty())
        writeErr(QStringLiteral("\r\x1b[K"));
    for (const QString &problem : problems)
        writeErr(QStringLiteral("page %1: %2 (%3)\n").arg(report.page).arg(problem, safe(toQString(report.address))));
}

void CliSearchHost::runFinished()
{
    if (m_progress)
        writeErr(QStringLiteral("\r\x1b[K"));
    m_done();
}

} // namespace thornvale::cli
