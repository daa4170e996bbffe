#include "clihost.h"

#include <unistd.h>

#include "net/qtbridge.h"
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
    net::FetchHandle *handle = m_fetcher.FetchPage(toQString(address));
    connect(handle, &net::FetchHandle::finished, this, [done = std::move(done)](const net::FetchResult &r) {
        done(r.ok ? PageBody{toU16(r.text), {}, {}} : PageBody{std::nullopt, toU16(r.error), r.failure});
    });
    return [handle = QPointer<net::FetchHandle>(handle)] {
        if (handle)
            handle->abort();
    };
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
