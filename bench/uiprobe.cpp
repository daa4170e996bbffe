// Measures the window as a user meets it, against a running site-sim:
//   - Form1 load to shown (the status check included),
//   - resident memory idle, before any music,
//   - a 10-page search from Enter to Form1::searchFinished, and the longest event-loop stall in it,
//   - resident memory after 10 and after 100 searches (names alternating), each run to its end,
//   - the first music choice (the browser module loaded then): the longest event-loop stall until
//     its page has loaded, and resident memory after it,
//   - resident memory with the 8 pop-ups a page may open, and after they were closed again.
// With --amplify it measures a hostile server instead: ten 15.5 MiB result pages whose fields run
// to their ends, a click on the row they give, and a character page of the same kind; for each the
// longest event-loop stall, and the peak resident memory (VmHWM) afterwards.
// Run it under Xvfb; bench/ui-figures.sh starts site-sim with the latency to use. Like the
// program it links no QtWebEngine library: the music module brings it, from the build tree's
// module folder, which the probe is built knowing.

#include <QAction>
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QStringList>
#include <QTimer>
#include <QTreeView>

#include <algorithm>
#include <cstdio>
#include <functional>

#include "config/siteconfig.h"
#include "qtbridge/qtbridge.h"
#include "shell/musicstrip.h"
#include "shell/programicon.h"
#include "ui/form1.h"
#include "ui/resultmodel.h"

using namespace thornvale;

namespace {

// A "kB" field of a /proc/<pid>/status file: "VmRSS:", "VmHWM:".
long statusKiB(const QString &statusFile, const QByteArray &field = QByteArrayLiteral("VmRSS:"))
{
    QFile status(statusFile);
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(field.size()).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

long rssKiB()
{
    return statusKiB(QStringLiteral("/proc/self/status"));
}

long peakRssKiB()
{
    return statusKiB(QStringLiteral("/proc/self/status"), QByteArrayLiteral("VmHWM:"));
}

// The browser's helper processes: its renderers are forked from its zygote, not from us, so the
// whole tree below us counts, not only our children.
long childrenRssKiB()
{
    QHash<QByteArray, QByteArray> parentOf;
    for (const QString &pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray text = stat.readAll();
        // Field 4, after the command in parentheses, is the parent's pid.
        const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
        parentOf.insert(pid.toLatin1(), fields.value(1));
    }
    const QByteArray self = QByteArray::number(QCoreApplication::applicationPid());
    long total = 0;
    for (auto it = parentOf.cbegin(); it != parentOf.cend(); ++it) {
        QByteArray ancestor = it.value();
        while (!ancestor.isEmpty() && ancestor != "0" && ancestor != self)
            ancestor = parentOf.value(ancestor);
        if (ancestor == self)
            total += std::max(
                0L, statusKiB(QStringLiteral("/proc/%1/status").arg(QLatin1StringView(it.key()))));
    }
    return total;
}

void report(const char *what, double value, const char *unit)
{
    std::printf("%-44s %10.1f %s\n", what, value, unit);
    std::fflush(stdout);
}

// The browser's loadFinished(bool), taken by name: this program knows the browser only as a
// QWidget.
class PageWatch final : public QObject {
    Q_OBJECT

public:
    std::function<void(bool)> onLoaded;

public Q_SLOTS:
    void loaded(bool ok) { onLoaded(ok); }
};

// The longest time the event loop was busy: a 1 ms timer whose late ticks are that time.
class StallMeter final {
    Q_DISABLE_COPY_MOVE(StallMeter)

public:
    StallMeter()
    {
        m_timer.setInterval(1);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            m_worst = std::max(m_worst, m_tick.elapsed());
            m_tick.restart();
        });
    }
    void start()
    {
        m_worst = 0;
        m_tick.start();
        m_timer.start();
    }
    qint64 stop()
    {
        m_timer.stop();
        // The stretch since the last tick counts too: the stop may end a stall of its own.
        return std::max(m_worst, m_tick.elapsed());
    }

private:
    QTimer m_timer;
    QElapsedTimer m_tick;
    qint64 m_worst = 0;
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setWindowIcon(ProgramIcon());
    QApplication::setQuitOnLastWindowClosed(false);

    QCommandLineParser parser;
    const QCommandLineOption base(QStringLiteral("base"), QStringLiteral("site-sim address"),
        QStringLiteral("URL"), QStringLiteral("http://127.0.0.1:18080"));
    const QCommandLineOption name(
        QStringLiteral("name"), QStringLiteral("name to search"), QStringLiteral("NAME"), QString());
    const QCommandLineOption amplify(
        QStringLiteral("amplify"), QStringLiteral("measure site-sim's amplifying server instead"));
    parser.addOptions({ base, name, amplify });
    parser.addHelpOption();
    parser.process(app);

    SiteConfig config = SiteConfig::compiledIn();
    const QString b = parser.value(base);
    config.searchBase = toU16(b);
    config.characterBase = toU16(b + QStringLiteral("/characters/"));
    config.statusUrl = toU16(b + QStringLiteral("/status"));
    if (parser.isSet(amplify))
        config.searchBase = toU16(b + QStringLiteral("/hostile/amplify"));
    config.musicUrls = { toU16(b + QStringLiteral("/music3")), toU16(b + QStringLiteral("/music2")),
        toU16(b + QStringLiteral("/music1")) };

    Form1 window(config);
    window.setMusicModuleFolder(QStringLiteral(THORNVALE_MUSIC_MODULE_DIR));
    // The window's controls by the names the program gives them.
    auto *txtName = window.findChild<QLineEdit *>(QStringLiteral("txtName"));
    auto *strip = window.findChild<QWidget *>(QStringLiteral("pic1"))->findChild<MusicStrip *>();
    // The searches after the first alternate among a few names, so the list is refilled with
    // different rows every time.
    const QStringList names
        = { parser.value(name), QStringLiteral("토른"), QStringLiteral("검은"), QStringLiteral("Arin") };
    int searches = 0;
    const std::function<void()> search = [&] {
        txtName->setText(names.at(searches % names.size()));
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
        QCoreApplication::sendEvent(txtName, &enter);
    };
    constexpr int Popups = 8;
    QTimer popupPoll;
    QElapsedTimer clock;
    clock.start();
    StallMeter meter;
    PageWatch watch;

    // The hostile server: the search is done; a click on its row, then a character page of the
    // same kind, each measured as it stalls the loop.
    auto *list = window.findChild<QTreeView *>(QStringLiteral("LV"));
    const std::function<void()> amplifiedSearchFinished = [&] {
        report("amplifying server: 10-page search", double(clock.nsecsElapsed()) / 1e6, "ms");
        report("  longest event-loop stall during it", double(meter.stop()), "ms");
        report("  rows", window.results().count(), "");
        report("  peak RSS so far", double(peakRssKiB()) / 1024.0, "MiB");
        meter.start();
        const QRect row = list->visualRect(list->model()->index(0, 1));
        for (const QEvent::Type type : { QEvent::MouseButtonPress, QEvent::MouseButtonRelease }) {
            QMouseEvent click(type, row.center(), list->viewport()->mapToGlobal(row.center()), Qt::LeftButton,
                type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
            QCoreApplication::sendEvent(list->viewport(), &click);
        }
        QTimer::singleShot(1000, [&] {
            report("  a click on its row: longest stall", double(meter.stop()), "ms");
            auto *model = qobject_cast<ResultModel *>(list->model());
            model->append(u"1");
            model->setLastCell(ResultRow::Address, toU16(b + QStringLiteral("/hostile/amplify/character")));
            list->selectionModel()->select(model->index(model->rowCount() - 1, 0),
                QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
            meter.start();
            clock.restart();
            window.findChild<QAction *>(QStringLiteral("cmdcmd"))->trigger();
        });
    };
    QObject::connect(&window, &Form1::detailFinished, [&] {
        report("amplifying character page: detail view", double(clock.nsecsElapsed()) / 1e6, "ms");
        report("  longest event-loop stall during it", double(meter.stop()), "ms");
        report("  peak RSS so far", double(peakRssKiB()) / 1024.0, "MiB");
        window.close();
    });

    QObject::connect(&window, &Form1::loadFinished, [&](bool open) {
        if (!open) {
            std::fprintf(stderr, "the status check says closed\n");
            QCoreApplication::exit(1);
            return;
        }
        window.show();
        report("load to shown (status check included)", double(clock.nsecsElapsed()) / 1e6, "ms");
        QTimer::singleShot(2000, [&] {
            report("RSS idle after start-up, before any music", double(rssKiB()) / 1024.0, "MiB");
            meter.start();
            clock.restart();
            search();
        });
    });
    QObject::connect(&window, &Form1::searchFinished, [&] {
        ++searches;
        if (parser.isSet(amplify)) {
            amplifiedSearchFinished();
            return;
        }
        if (searches == 1) {
            report("10-page search, Enter to searchFinished", double(clock.nsecsElapsed()) / 1e6, "ms");
            report("  longest event-loop stall during it", double(meter.stop()), "ms");
            report("  rows", window.results().count(), "");
            report("RSS after the first search", double(rssKiB()) / 1024.0, "MiB");
        } else if (searches == 10) {
            report("RSS after 10 searches", double(rssKiB()) / 1024.0, "MiB");
        }
        if (searches < 100) {
            // From the event loop, as the next key press would come: never inside the run's end.
            QTimer::singleShot(0, search);
            return;
        }
        report("RSS after 100 searches", double(rssKiB()) / 1024.0, "MiB");
        // The choice is made from the event loop, as the menu makes it, so the meter sees the
        // whole of it: the module's load, the GL context, QtWebEngine's start.
        meter.start();
        QTimer::singleShot(0, [&] {
            clock.restart();
            window.findChild<QAction *>(QStringLiteral("gayo"))->trigger();
            report("first music choice, handler time", double(clock.nsecsElapsed()) / 1e6, "ms");
            QWidget *view = strip->view();
            if (!view) {
                std::fprintf(stderr, "no browser after the music choice\n");
                QCoreApplication::exit(1);
                return;
            }
            watch.onLoaded = [&](bool ok) {
                const qint64 stall = meter.stop();
                report(
                    "first music page loaded", double(clock.nsecsElapsed()) / 1e6, ok ? "ms" : "ms (failed)");
                report("  longest event-loop stall until then", double(stall), "ms");
                QTimer::singleShot(3000, [&] {
                    report("RSS 3 s after the first music choice", double(rssKiB()) / 1024.0, "MiB");
                    report("  plus the browser's helper processes", double(childrenRssKiB()) / 1024.0, "MiB");
                    strip->navigate(QUrl(b + QStringLiteral("/popuptest?count=%1").arg(Popups)));
                    clock.restart();
                    popupPoll.start();
                });
            };
            QObject::connect(
                view, SIGNAL(loadFinished(bool)), &watch, SLOT(loaded(bool)), Qt::SingleShotConnection);
        });
    });
    // The pop-ups open one by one as their pages load; they are counted, not waited for inside a
    // handler.
    popupPoll.setInterval(50);
    QObject::connect(&popupPoll, &QTimer::timeout, [&] {
        const qsizetype open = strip->popups().size();
        if (open < Popups && clock.elapsed() < 60000)
            return;
        popupPoll.stop();
        if (open < Popups) {
            std::fprintf(stderr, "only %lld of %d pop-ups opened\n", static_cast<long long>(open), Popups);
            QCoreApplication::exit(1);
            return;
        }
        report("pop-up page to its 8 pop-ups open", double(clock.nsecsElapsed()) / 1e6, "ms");
        report("RSS with the 8 pop-ups open", double(rssKiB()) / 1024.0, "MiB");
        report("  plus the browser's helper processes", double(childrenRssKiB()) / 1024.0, "MiB");
        // As the user closes them, one close box after the other.
        for (QWidget *form : strip->popups())
            form->close();
        // Their pages and renderers go on the event loop and in their own processes; the module
        // hands the freed heap back a second after the last one.
        QTimer::singleShot(3000, [&] {
            report("RSS 3 s after closing the 8 pop-ups", double(rssKiB()) / 1024.0, "MiB");
            report("  plus the browser's helper processes", double(childrenRssKiB()) / 1024.0, "MiB");
            // The window's own close path: it ends the pop-ups and then the program.
            window.close();
        });
    });

    window.load();
    return QApplication::exec();
}

#include "uiprobe.moc"
