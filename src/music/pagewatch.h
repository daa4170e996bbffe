#pragma once

// Keeps a page's renderer process from taking the strip or the machine with it. Qt 6.4 reports
// neither a page that stopped answering nor one that grows without end, so the watch asks: a
// trivial script before each new choice, the process's resident memory once a second.

#include <QObject>
#include <QTimer>
#include <QUrl>

class QWebEngineView;

namespace thornvale {

class PageWatch final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PageWatch)

public:
    // Watches view's page (already set) for as long as the view lives.
    explicit PageWatch(QWebEngineView *view);
    ~PageWatch() override;

    // The watch of view, if it has one.
    static PageWatch *of(QWebEngineView *view);

    // Loads address in place of the page. A page that does not answer within two seconds has its
    // process ended first: a page spinning in a loop would otherwise keep every later choice out,
    // because they all go to that same process.
    void load(const QUrl &address);

private:
    void probe();
    void answered(int probe);
    void checkMemory();
    void endProcess(const QString &refusal);
    void processEnded(int status);
    void loadPending();

    QWebEngineView *m_view;
    QUrl m_pending; // the newest choice, waiting for an answer or for the old process to end
    bool m_probing = false;
    int m_probeSerial = 0;
    bool m_ending = false; // the process was told to end; the engine has not noticed yet
    int m_endSerial = 0;
    QTimer m_probeTimer;
    QTimer m_memoryTimer;
};

} // namespace thornvale
