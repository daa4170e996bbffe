#include "clihost.h"

#include "net/pagefetcher.h"
#include "net/sitefetch.h"
#include "qtbridge/qtbridge.h"
#include "search/reporttext.h"
#include "textout.h"

namespace thornvale::cli {

CliSearchHost::CliSearchHost(std::u16string name, net::PageFetcher &fetcher, std::function<void()> done)
    : m_name(std::move(name))
    , m_fetcher(fetcher)
    , m_done(std::move(done))
    , m_progress(progressTerminal())
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
    if (report.outcome == PageReport::Outcome::FetchFailed)
        ++m_fetchFailures;
    const std::vector<std::u16string> lines = PageReportLines(report);
    if (m_progress && !lines.empty())
        writeErr(QStringLiteral("\r\x1b[K"));
    for (const std::u16string &line : lines)
        writeErr(toQString(line) + u'\n');
}

void CliSearchHost::runFinished()
{
    if (m_progress)
        writeErr(QStringLiteral("\r\x1b[K"));
    m_done();
}

} // namespace thornvale::cli
