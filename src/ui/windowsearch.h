#pragma once

#include <QObject>
#include <QPointer>

#include <cstdint>
#include <functional>
#include <memory>

#include "config/siteconfig.h"
#include "search/fetchfailure.h"
#include "search/searchpages.h"

class QLineEdit;
class QPushButton;
class QWidget;

namespace thornvale {

namespace net {
class PageFetcher;
} // namespace net

// The window's page runs: the host a run reads the name from, fetches through and reports to.
// A new run supersedes the one in flight; while one runs the list shows the busy cursor. Each page
// is logged to stderr as it is taken, and a run with failed pages ends in failed() before
// finished(): a dead server must not look like a name without characters.
class WindowSearch final : public QObject, private SearchHost {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(WindowSearch)

public:
    struct Controls {
        QLineEdit *name; // txtName
        QPushButton *command1; // enabled by the run as it pages
        QWidget *busyArea; // the list's viewport
    };
    using Fetcher = std::function<net::PageFetcher &()>;

    WindowSearch(const SiteConfig &config, ResultList &results, std::int32_t &pageCounter, Controls controls,
        Fetcher fetcher, QObject *parent);
    ~WindowSearch() override;

    void start(SearchEntry entry);
    // Cancels the run in flight, if any; it reports nothing more.
    void stop();
    bool isRunning() const;

Q_SIGNALS:
    void pageTaken(int page, int rows);
    void failed(const QString &message);
    void finished();

private:
    std::u16string currentName() override;
    AbortFetch fetchPage(const std::u16string &address, std::function<void(PageBody)> done) override;
    void setCommand1Enabled(bool enabled) override;
    void pageFinished(const PageReport &report) override;
    void runFinished() override;

    const SiteConfig &m_config;
    ResultList &m_results;
    std::int32_t &m_pageCounter;
    Controls m_controls;
    Fetcher m_fetcher;

    std::unique_ptr<SearchPages> m_search;
    // The run superseded last; kept until the next search so that it is never destroyed while
    // one of its own callbacks is still on the stack.
    std::unique_ptr<SearchPages> m_retiredSearch;
    int m_failedPages = 0; // of the run in flight
    FetchFailure m_firstFailure = FetchFailure::None;
};

} // namespace thornvale
