#pragma once

// The program's own memory while music plays. The engine keeps much of what a page makes in the
// program's process, not the page's: IndexedDB and Blobs of the off-the-record profile, and the
// bookkeeping of every frame. The renderer bound (pagewatch.h) does not reach them, so this
// watches the program itself, from a baseline taken with music pages loaded.

#include <QObject>
#include <QTimer>

#include <optional>

namespace thornvale {

class MemoryBound final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MemoryBound)

public:
    // How far above the baseline the program may grow while music plays. An ordinary music page
    // adds some tens of MiB; past this a page is taking memory on purpose.
    static constexpr qint64 Headroom = qint64(512) << 20;

    explicit MemoryBound(QObject *parent = nullptr);
    ~MemoryBound() override;

    // A music page started or finished loading: an ordinary moment, whose reading may lower the
    // baseline. The first one sets it.
    void notePage();
    // Checks twice a second from now on, until stop().
    void start();
    void stop();

Q_SIGNALS:
    // The program held more than Headroom above the baseline, even after the free heap went back
    // to the system. Sizes in MiB.
    void exceeded(qint64 residentMiB, qint64 baselineMiB);

private:
    void check();

    QTimer m_timer;
    std::optional<qint64> m_baseline;
};

} // namespace thornvale
