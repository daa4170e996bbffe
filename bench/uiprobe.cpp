// Measures the window as a user meets it, against a running site-sim:
//   - Form1 load to shown (the status check included),
//   - resident memory idle, before any music,
//   - a 10-page search from Enter to Form1::searchFinished, and the longest event-loop stall in it,
//   - the first music choice (the browser module loaded then): the longest event-loop stall until
//     its page has loaded, and resident memory after it.
// Run it under Xvfb; bench/ui-figures.sh starts site-sim with the latency to use. Like the
// program it links no QtWebEngine library: the music module brings it (THORNVALE_MUSIC_MODULE_DIR
// names the build tree's module folder).

#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>

#include <cstdio>
#include <functional>

#include "net/qtbridge.h"
#include "search/siteconfig.h"
#include "shell/musicstrip.h"
#include "shell/programicon.h"
#include "ui/form1.h"

using namespace thornvale;

namespace {

long rssKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

// The browser's renderer and helper processes are children of ours; their memory counts too.
long childrenRssKiB()
{
    long total = 0;
    const QString self = QString::number(QCoreApplication::applicationPid());
    for (const QString &pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray text = stat.readAll();
        // Field 4, after the command in parentheses, is the parent's pid.
        const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
        if (fields.value(1) != self.toLatin1())
            continue;
        QFile status(QStringLiteral("/proc/%1/status").arg(pid));
        if (!status.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray &line : status.readAll().split('\n')) {
            if (line.startsWith("VmRSS:"))
                total += line.mid(6).trimmed().split(' ').value(0).toLong();
        }
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
    const QCommandLineOption base(QStringLiteral("base"), QStringLiteral("site-sim address"), QStringLiteral("URL"),
                                  QStringLiteral("http://127.0.0.1:18080"));
    const QCommandLineOption name(QStringLiteral("name"), QStringLiteral("name to search"), QStringLiteral("NAME"),
                                  QString());
    parser.addOptions({base, name});
    parser.addHelpOption();
    parser.process(app);

    SiteConfig config = SiteConfig::compiledIn();
    const QString b = parser.value(base);
    config.searchBase = toU16(b);
    config.characterBase = toU16(b + QStringLiteral("/characters/"));
    config.statusUrl = toU16(b + QStringLiteral("/status"));
    config.musicUrls = {toU16(b + QStringLiteral("/music3")), toU16(b + QStringLiteral("/music2")),
                        toU16(b + QStringLiteral("/music1"))};

    Form1 window(config);
    QElapsedTimer clock;
    clock.start();
    StallMeter meter;
    PageWatch watch;

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
            window.txtName->setText(parser.value(name));
            meter.start();
            clock.restart();
            QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
            QCoreApplication::sendEvent(window.txtName, &enter);
        });
    });
    QObject::connect(&window, &Form1::searchFinished, [&] {
        report("10-page search, Enter to searchFinished", double(clock.nsecsElapsed()) / 1e6, "ms");
        report("  longest event-loop stall during it", double(meter.stop()), "ms");
        report("  rows", window.results().count(), "");
        report("RSS after the search", double(rssKiB()) / 1024.0, "MiB");
        // The choice is made from the event loop, as the menu makes it, so the meter sees the
        // whole of it: the module's load, the GL context, QtWebEngine's start.
        meter.start();
        QTimer::singleShot(0, [&] {
            clock.restart();
            window.gayo->trigger();
            report("first music choice, handler time", double(clock.nsecsElapsed()) / 1e6, "ms");
            QWidget *view = window.pic1->findChild<MusicStrip *>()->view();
            if (!view) {
                std::fprintf(stderr, "no browser after the music choice\n");
                QCoreApplication::exit(1);
                return;
            }
            watch.onLoaded = [&](bool ok) {
                const qint64 stall = meter.stop();
                report("first music page loaded", double(clock.nsecsElapsed()) / 1e6, ok ? "ms" : "ms (failed)");
                report("  longest event-loop stall until then", double(stall), "ms");
                QTimer::singleShot(3000, [&] {
                    report("RSS 3 s after the first music choice", double(rssKiB()) / 1024.0, "MiB");
                    report("  plus the browser's child processes", double(childrenRssKiB()) / 1024.0, "MiB");
                    // The window's own close path: it ends the pop-ups and then the program.
                    window.close();
                });
            };
            QObject::connect(view, SIGNAL(loadFinished(bool)), &watch, SLOT(loaded(bool)),
                             Qt::SingleShotConnection);
        });
    });
    window.load();
    return QApplication::exec();
}

#include "uiprobe.moc"
