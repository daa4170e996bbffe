// site-sim: serves the simulated game website until SIGINT or SIGTERM.

#include "site-sim/sitesim.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QStringList>

#include <csignal>
#include <cstdio>
#include <map>
#include <optional>
#include <pthread.h>
#include <utility>
#include <vector>

namespace {

std::optional<sitesim::Fault> faultNamed(const QString &name)
{
    static const std::map<QString, sitesim::Fault> faults = {
        { QStringLiteral("error-status"), sitesim::Fault::ErrorStatus },
        { QStringLiteral("no-heading"), sitesim::Fault::NoHeading },
        { QStringLiteral("close-mid-body"), sitesim::Fault::CloseMidBody },
        { QStringLiteral("hang"), sitesim::Fault::Hang },
        { QStringLiteral("oversized"), sitesim::Fault::Oversized },
    };
    const auto it = faults.find(name);
    return it == faults.end() ? std::nullopt : std::optional(it->second);
}

int fail(const QString &message)
{
    std::fprintf(stderr, "site-sim: %s\n", message.toLocal8Bit().constData());
    return 2;
}

} // namespace

int main(int argc, char *argv[])
{
    // Blocked before any thread exists, so every thread inherits the mask and the signals wait
    // for the sigwait() below instead of killing the process mid-response.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("site-sim"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Serves pages in the game website's format on a local port."));
    parser.addHelpOption();
    const QCommandLineOption hostOption(QStringLiteral("host"), QStringLiteral("Address to listen on."),
        QStringLiteral("host"), QStringLiteral("127.0.0.1"));
    const QCommandLineOption portOption(QStringLiteral("port"),
        QStringLiteral("Port to listen on (0: any free port)."), QStringLiteral("port"),
        QStringLiteral("18080"));
    const QCommandLineOption charsetOption(QStringLiteral("charset"),
        QStringLiteral("Page charset: utf-8 or euc-kr."), QStringLiteral("charset"), QStringLiteral("utf-8"));
    const QCommandLineOption noHeaderCharsetOption(
        QStringLiteral("no-header-charset"), QStringLiteral("Declare the charset only in <meta charset>."));
    const QCommandLineOption latencyOption(QStringLiteral("latency-ms"),
        QStringLiteral("Delay before every response."), QStringLiteral("ms"), QStringLiteral("0"));
    const QCommandLineOption statusOption(QStringLiteral("status"), QStringLiteral("Body of /status."),
        QStringLiteral("body"), QStringLiteral("1//thornvale"));
    const QCommandLineOption faultOption(QStringLiteral("fault"),
        QStringLiteral("Fault for a search page (0: every request, status: the status resource alone); "
                       "kinds error-status, no-heading, close-mid-body, hang, oversized. Repeatable."),
        QStringLiteral("page:kind"));
    const QCommandLineOption musicOption(QStringLiteral("music-redirect"),
        QStringLiteral("Send /music1 to /music3 to this path instead, e.g. /hostile/dialogs."),
        QStringLiteral("path"));
    parser.addOptions({ hostOption, portOption, charsetOption, noHeaderCharsetOption, latencyOption,
        statusOption, faultOption, musicOption });
    parser.process(app);

    sitesim::Options options;
    options.host = parser.value(hostOption).toStdString();
    bool ok = false;
    options.port = parser.value(portOption).toInt(&ok);
    if (!ok || options.port < 0 || options.port > 65535)
        return fail(QStringLiteral("bad --port"));
    const QString charset = parser.value(charsetOption).toLower();
    if (charset == QStringLiteral("utf-8"))
        options.charset = sitesim::Charset::Utf8;
    else if (charset == QStringLiteral("euc-kr"))
        options.charset = sitesim::Charset::EucKr;
    else
        return fail(QStringLiteral("--charset must be utf-8 or euc-kr"));
    options.declareCharsetInHeader = !parser.isSet(noHeaderCharsetOption);
    const int latency = parser.value(latencyOption).toInt(&ok);
    if (!ok || latency < 0)
        return fail(QStringLiteral("bad --latency-ms"));
    options.latency = std::chrono::milliseconds(latency);
    options.statusBody = parser.value(statusOption).toStdString();
    options.musicRedirect = parser.value(musicOption).toStdString();

    std::vector<std::pair<int, sitesim::Fault>> faults;
    for (const QString &faultText : parser.values(faultOption)) {
        const QStringList parts = faultText.split(QLatin1Char(':'));
        // The status resource is page -1 here.
        const bool status = parts.size() == 2 && parts.at(0) == QStringLiteral("status");
        ok = status;
        const int page = status ? -1 : parts.size() == 2 ? parts.at(0).toInt(&ok) : -2;
        const auto fault = parts.size() == 2 ? faultNamed(parts.at(1)) : std::nullopt;
        if (!ok || page < -1 || !fault)
            return fail(QStringLiteral("bad --fault %1 (want PAGE:KIND)").arg(faultText));
        faults.emplace_back(page, *fault);
    }

    sitesim::Server server(options);
    for (const auto &[page, fault] : faults) {
        if (page < 0)
            server.setStatusFault(fault);
        else
            server.setFault(page, fault);
    }
    if (!server.start()) {
        std::fprintf(stderr, "site-sim: cannot listen on %s:%d\n", options.host.c_str(), options.port);
        return 1;
    }
    // Scripts wait for this one line before they talk to the server.
    std::printf("site-sim listening on http://%s:%d\n", options.host.c_str(), server.port());
    std::fflush(stdout);

    int signal = 0;
    sigwait(&stopSignals, &signal);
    server.stop();
    // The latency measurement reads these: how many TCP connections a run really opened.
    std::fprintf(stderr, "site-sim: %zu connections, %zu requests\n", server.connectionsAccepted(),
        server.requestsServed());
    return 0;
}
