#include "music/pagewatch.h"

#include "music/heaptrim.h"
#include "music/musicpage.h"
#include "music/pageprocess.h"

#include <QPointer>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineView>

#include <chrono>
#include <utility>

namespace thornvale {

namespace {

using namespace std::chrono_literals;

// A page that is only busy answers a one-line script in milliseconds; two seconds is a page that
// will not answer at all.
constexpr auto kAnswerTime = 2s;
constexpr auto kMemoryCheck = 1s;
constexpr auto kEndReportTime = 5s;
// Music pages take some tens of MiB; a page past this is growing on purpose.
constexpr qint64 kMaxRendererBytes = qint64(1) << 30;

} // namespace

PageWatch::PageWatch(QWebEngineView *view)
    : QObject(view)
    , m_view(view)
{
    m_probeTimer.setSingleShot(true);
    m_probeTimer.setInterval(kAnswerTime);
    connect(&m_probeTimer, &QTimer::timeout, this, [this] {
        m_probing = false;
        endProcess(QStringLiteral("a music page stopped answering; its process was ended"));
    });
    m_memoryTimer.setInterval(kMemoryCheck);
    connect(&m_memoryTimer, &QTimer::timeout, this, &PageWatch::checkMemory);

    // Always running: Qt 6.4 does not report every new process of a page (renderProcessPidChanged
    // stays quiet for the first), and a look at a page without one costs nothing.
    m_memoryTimer.start();
    connect(view->page(), &QWebEnginePage::renderProcessTerminated, this,
        [this](QWebEnginePage::RenderProcessTerminationStatus status, int) { processEnded(status); });
}

PageWatch::~PageWatch() = default;

PageWatch *PageWatch::of(QWebEngineView *view)
{
    return view->findChild<PageWatch *>(QString(), Qt::FindDirectChildrenOnly);
}

void PageWatch::load(const QUrl &address)
{
    m_pending = address;
    // An answer or the process's end is awaited already; either loads the newest choice.
    if (m_probing || m_ending)
        return;
    if (m_view->page()->renderProcessPid() <= 0) {
        loadPending();
        return;
    }
    probe();
}

void PageWatch::probe()
{
    m_probing = true;
    const int serial = ++m_probeSerial;
    // In the application's own world, which the page's scripts cannot reach; it runs on the same
    // thread as they do, so a page stuck in a loop leaves it unanswered.
    // The answer is taken a turn later: a page deleted with the probe unanswered calls back from
    // its destructor, while the view that owns this watch is going too, and loading the pending
    // choice then would give the dying view a new page (Qt 6.4 crashes on it).
    m_view->page()->runJavaScript(QStringLiteral("1"), QWebEngineScript::ApplicationWorld,
        [watch = QPointer<PageWatch>(this), serial](const QVariant &) {
            QMetaObject::invokeMethod(
                watch,
                [watch, serial] {
                    if (watch)
                        watch->answered(serial);
                },
                Qt::QueuedConnection);
        });
    m_probeTimer.start();
}

void PageWatch::answered(int probe)
{
    // An answer after the time ran out comes from a process that is being ended anyway.
    if (!m_probing || probe != m_probeSerial)
        return;
    m_probing = false;
    m_probeTimer.stop();
    loadPending();
}

void PageWatch::checkMemory()
{
    if (m_ending)
        return;
    const qint64 pid = m_view->page()->renderProcessPid();
    if (pid <= 0)
        return;
    const std::optional<qint64> resident = pageprocess::residentBytes(pid);
    if (resident && *resident > kMaxRendererBytes)
        endProcess(
            QStringLiteral("a music page's process held %1 MiB, past the bound of %2 MiB; it was ended")
                .arg(*resident >> 20)
                .arg(kMaxRendererBytes >> 20));
}

void PageWatch::endProcess(const QString &refusal)
{
    const qint64 pid = m_view->page()->renderProcessPid();
    if (pid > 0 && pageprocess::end(pid)) {
        // The engine notices the end on its own and reports it; the next page loads from there.
        m_ending = true;
        reportRefusal(refusal);
        // Should the engine never report it, the strip must not wait for good.
        QTimer::singleShot(kEndReportTime, this, [this, serial = ++m_endSerial] {
            if (m_ending && serial == m_endSerial)
                processEnded(QWebEnginePage::KilledTerminationStatus);
        });
        return;
    }
    // Gone already, or the system refused: the choice is loaded all the same.
    loadPending();
}

void PageWatch::processEnded(int status)
{
    m_ending = false;
    m_probing = false;
    m_probeTimer.stop();
    // The process's pages are gone from the program's side too.
    trimHeapSoon();
    if (status == QWebEnginePage::NormalTerminationStatus)
        return;
    // Ended here or by a watch of another page in the same process (a pop-up of the same site),
    // or crashed: the new choice if there is one, else nothing until the next.
    if (m_pending.isEmpty())
        m_pending = QUrl(QStringLiteral("about:blank"));
    loadPending();
}

void PageWatch::loadPending()
{
    const QUrl address = std::exchange(m_pending, QUrl());
    if (!address.isEmpty())
        m_view->page()->load(address);
}

} // namespace thornvale
