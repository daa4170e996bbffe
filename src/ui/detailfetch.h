#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <optional>

#include "search/fetchfailure.h"
#include "search/searchpages.h"

namespace thornvale {

class DetailPanel;

namespace net {
class PageFetcher;
} // namespace net

// The detail view's fetch: the panel is reset, the character page asked for, and the panel filled
// from it; a newer view supersedes the page still in flight. A page that could not be had leaves
// the panel reset and ends in failed() before finished().
class DetailFetch final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DetailFetch)

public:
    using Fetcher = std::function<net::PageFetcher &()>;
    // The selected row's nickname now, if a row is selected; read when the page is in, as a search
    // in between may have emptied the list.
    using Nickname = std::function<std::optional<QString>()>;

    DetailFetch(DetailPanel &panel, Fetcher fetcher, Nickname nickname, QObject *parent);
    ~DetailFetch() override;

    // address: the selected row's page (empty when its row has none), or nothing when no row is
    // selected.
    void start(const std::optional<QString> &address);
    void stop();

Q_SIGNALS:
    void failed(const QString &message);
    void finished();

private:
    // address: the page asked for, for the log lines; empty when nothing was asked for.
    void finish(const PageBody &body, const QString &address = {});

    DetailPanel &m_panel;
    Fetcher m_fetcher;
    Nickname m_nickname;
    AbortFetch m_fetch; // the page in flight
};

} // namespace thornvale
