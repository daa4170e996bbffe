// Measures the window as a user meets it, against a running site-sim:
//   - Form1 load to shown (the status check included),
//   - the longest event-loop stall while a 10-page search runs,
//   - resident memory idle, after the search, and after the first music choice.
// Run it under Xvfb; bench/ui-figures.sh starts site-sim with the latency to use.

#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTimer>
#include <QWebEngineView>

#include <cstdio>

#include "net/qtbridge.h"
#include "search/siteconfig.h"
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

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
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

    // The stall meter: a 1 ms timer whose late ticks are the time the event loop was busy.
    QElapsedTimer tick;
    qint64 worstStall = 0;
    bool metering = false;
    QTimer meter;
    meter.setInterval(1);
    QObject::connect(&meter, &QTimer::timeout, [&] {
        if (metering)
            worstStall = std::max(worstStall, tick.elapsed());
        tick.restart();
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
            report("RSS idle after start-up", double(rssKiB()) / 1024.0, "MiB");
            window.txtName->setText(parser.value(name));
            tick.start();
            meter.start();
            metering = true;
            clock.restart();
            window.Command1_Click();
        });
    });
    QObject::connect(&window, &Form1::searchFinished, [&] {
        metering = false;
        meter.stop();
        report("10-page search, wall time", double(clock.nsecsElapsed()) / 1e6, "ms");
        report("  rows", window.results().count(), "");
        report("  longest event-loop stall during it", double(worstStall), "ms");
        report("RSS after the search", double(rssKiB()) / 1024.0, "MiB");
        clock.restart();
        window.gayo->trigger();
        report("first music choice, handler time", double(clock.nsecsElapsed()) / 1e6, "ms");
        auto *view = window.pic1->findChild<QWebEngineView *>();
        if (!view) {
            std::fprintf(stderr, "no browser after the music choice\n");
            QCoreApplication::exit(1);
            return;
        }
        QObject::connect(view, &QWebEngineView::loadFinished, [&](bool ok) {
            report("first music page loaded", double(clock.nsecsElapsed()) / 1e6, ok ? "ms" : "ms (failed)");
            QTimer::singleShot(3000, [&] {
                report("RSS 3 s after the first music choice", double(rssKiB()) / 1024.0, "MiB");
                report("  plus the browser's child processes", double(childrenRssKiB()) / 1024.0, "MiB");
                QCoreApplication::quit();
            });
        });
    });
    window.load();
    return QApplication::exec();
}
