#pragma once

#include <QObject>

#include <functional>

#include "search/searchpages.h"

namespace thornvale::net {
class PageFetcher;
} // namespace thornvale::net

namespace thornvale::cli {

// Hosts one page run for the shell: fetches through the PageFetcher, reports failed pages on
// stderr, shows progress when stderr is a terminal, and calls `done` after the tenth page.
class CliSearchHost final : public QObject, public SearchHost {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CliSearchHost)

public:
    CliSearchHost(std::u16string name, net::PageFetcher &fetcher, std::function<void()> done);

    std::u16string currentName() override { return m_name; }
    AbortFetch fetchPage(const std::u16string &address, std::function<void(PageBody)> done) override;
    void setCommand1Enabled(bool) override { }
    void pageFinished(const PageReport &report) override;
    void runFinished() override;

    // Pages of the run that could not be fetched (a page without the heading marker was fetched).
    int fetchFailures() const { return m_fetchFailures; }

private:
    std::u16string m_name;
    net::PageFetcher &m_fetcher;
    std::function<void()> m_done;
    bool m_progress;
    int m_pages = 0;
    int m_fetchFailures = 0;
};

} // namespace thornvale::cli
