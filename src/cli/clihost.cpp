#include "clihost.h"

#include <unistd.h>

#include "net/sitefetch.h"
#include "qtbridge/qtbridge.h"
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
    QString problem;
    if (report.outcome == PageReport::Outcome::FetchFailed)
        problem = QStringLiteral("fetch failed: %1").arg(toQString(report.error));
    else if (report.outcome == PageReport::Outcome::NoHeading)
        problem = QStringLiteral("no heading marker (the site's layout may have changed)");
    if (!problem.isEmpty()) {
        if (m_progress)
            writeErr(QStringLiteral("\r\x1b[K"));
        writeErr(QStringLiteral("page %1: %2 (%3)\n").arg(report.page).arg(problem, toQString(report.address)));
    }
}

void CliSearchHost::runFinished()
{
    if (m_progress)
        writeErr(QStringLiteral("\r\x1b[K"));
    m_done();
}

} // namespace thornvale::cli
