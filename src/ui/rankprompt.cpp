#include "ui/rankprompt.h"

#include <QLineEdit>

#include "qtbridge/qtbridge.h"
#include "search/ranklookup.h"
#include "ui/messagebox.h"

namespace thornvale {

RankPrompt::RankPrompt(const ResultList &list, QLineEdit *nickname, QLineEdit *server, QWidget *window)
    : QObject(window)
    , m_list(list)
    , m_nickname(nickname)
    , m_server(server)
    , m_window(window)
{
}

void RankPrompt::start()
{
    ++m_lookup;
    m_next = 0;
    m_end = m_list.count();
    next(m_lookup);
}

void RankPrompt::next(unsigned lookup)
{
    if (lookup != m_lookup)
        return;
    // The row count is the one at the start; a search meanwhile may have shortened the list, so
    // the lookup also stops at its end as it now stands. The boxes are read again for every row.
    const int match = NextRankMatch(m_list, m_next, view(m_nickname->text()), view(m_server->text()));
    if (match < 0 || match >= m_end) {
        m_nickname->setText(toQString(NicknameHint));
        m_server->setText(toQString(ServerHint));
        Q_EMIT finished();
        return;
    }
    m_next = match + 1;
    QMessageBox *box
        = makeMessageBox(QMessageBox::NoIcon, toQString(RankMessage(match)), "rankMessage", m_window);
    connect(box, &QDialog::finished, this, [this, lookup] { next(lookup); });
    box->show();
}

} // namespace thornvale
