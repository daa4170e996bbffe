#pragma once

#include <QObject>

class QLineEdit;
class QWidget;

namespace thornvale {

class ResultList;

// The rank lookup ("상세검색"): one box per row whose nickname and server are the two boxes'
// texts, in list order, each waiting for the user; then both boxes show their hints again.
class RankPrompt final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(RankPrompt)

public:
    RankPrompt(const ResultList &list, QLineEdit *nickname, QLineEdit *server, QWidget *window);

    // Command3_Click. A lookup started while another one's box is open takes over; the older one
    // ends with its box.
    void start();

Q_SIGNALS:
    void finished();

private:
    void next(unsigned lookup);

    const ResultList &m_list;
    QLineEdit *m_nickname;
    QLineEdit *m_server;
    QWidget *m_window;
    unsigned m_lookup = 0; // which lookup the open box belongs to
    int m_next = 0;
    int m_end = 0;
};

} // namespace thornvale
