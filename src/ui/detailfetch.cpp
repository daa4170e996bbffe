#include "ui/detailfetch.h"

#include <QDebug>

#include <utility>

#include "net/pagefetcher.h"
#include "net/sitefetch.h"
#include "qtbridge/qtbridge.h"
#include "search/characterpage.h"
#include "search/reporttext.h"
#include "ui/detailpanel.h"

namespace thornvale {

DetailFetch::DetailFetch(DetailPanel &panel, Fetcher fetcher, Nickname nickname, QObject *parent)
    : QObject(parent)
    , m_panel(panel)
    , m_fetcher(std::move(fetcher))
    , m_nickname(std::move(nickname))
{
}

DetailFetch::~DetailFetch()
{
    stop();
}

void DetailFetch::stop()
{
    if (AbortFetch abort = std::exchange(m_fetch, {}))
        abort();
}

void DetailFetch::start(const std::optional<QString> &address)
{
    stop();
    m_panel.ResetDetailPanel();
    if (!address) {
        finish({});
        return;
    }
    // A row whose page had no anchor: there is nothing to ask for, and the user is told so.
    if (address->isEmpty()) {
        qWarning("thornvale: character page: the row has no address");
        finish({ std::nullopt, u"the row has no address", FetchFailure::NoAddress });
        return;
    }
    m_fetch = net::FetchPageBody(
        m_fetcher(), *address, this,
        [this, address = *address](const PageBody &body) {
            m_fetch = {};
            if (!body.text)
                qWarning().noquote() << QStringLiteral("thornvale: character page: %1 (%2)")
                                            .arg(logged(toQString(body.error)), logged(address));
            finish(body, address);
        },
        net::StatusPolicy::ErrorStatusFails);
}

void DetailFetch::finish(const PageBody &body, const QString &address)
{
    const CharacterDetail detail
        = ParseCharacterPage(body.text ? std::u16string_view(*body.text) : std::u16string_view());
    for (const std::u16string &line : DetailReportLines(detail, view(address)))
        qWarning().noquote() << QStringLiteral("thornvale: character page: ") + toQString(line);
    m_panel.ShowCharacterDetail(detail, m_nickname());
    m_panel.ColourGradeLabels();
    if (body.failure != FetchFailure::None)
        Q_EMIT failed(toQString(DetailFailureMessage(body.failure, body.httpStatus)));
    Q_EMIT finished();
}

} // namespace thornvale
