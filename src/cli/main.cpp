// thornvale-cli: the window's search, detail, rank lookup and status check from a shell.

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimer>

#include <climits>
#include <cstdint>
#include <memory>
#include <optional>

#include "clihost.h"
#include "config/siteconfig.h"
#include "net/pagefetcher.h"
#include "net/sitefetch.h"
#include "qtbridge/qtbridge.h"
#include "search/characterpage.h"
#include "search/ranklookup.h"
#include "search/resultpage.h"
#include "search/servicestatus.h"
#include "search/urlencode.h"
#include "textout.h"

using namespace thornvale;
using namespace thornvale::cli;

namespace {

// Exit codes by cause, so a script tells a closed site, a typo and a dead server apart.
constexpr int ExitRead = 0;       // everything was read (a search without rows included)
constexpr int ExitNegative = 1;   // the status is "closed"; rank read every page and matched nothing
constexpr int ExitUsage = 2;      // usage errors only
constexpr int ExitUnreadable = 3; // the site could not be read, wholly or in part

struct Options {
    SiteConfig config = SiteConfig::compiledIn();
    bool json = false;
    std::optional<std::int32_t> nextFrom;
};

int usageError(const QCommandLineParser &parser, const QString &message)
{
    writeErr(safe(message) + u'\n');
    writeErr(parser.helpText());
    return ExitUsage;
}

// One page run for the shell; main keeps it until the event loop has ended.
struct SearchRun {
    ResultTable list;
    std::int32_t counter = 0;
    std::unique_ptr<CliSearchHost> host;
    std::unique_ptr<SearchPages> pages;
};

// Starts the run for name; `then` gets the finished list, the counter and the number of pages
// that could not be fetched, on the event loop.
std::unique_ptr<SearchRun> runSearch(const Options &opt, const QString &name, net::PageFetcher &fetcher,
                                     std::function<void(const ResultTable &, std::int32_t, int)> then)
{
    auto run = std::make_unique<SearchRun>();
    run->counter = opt.nextFrom.value_or(0);
    SearchRun *r = run.get();
    run->host = std::make_unique<CliSearchHost>(toU16(name), fetcher, [r, then] {
        // Leave the run's own call stack before reporting.
        QTimer::singleShot(0, [r, then] { then(r->list, r->counter, r->host->fetchFailures()); });
    });
    run->pages = std::make_unique<SearchPages>(opt.nextFrom ? SearchEntry::NextPages : SearchEntry::EnterSearch,
                                               *run->host, run->list, run->counter,
                                               opt.config.searchAddressStart(), opt.config.characterBase);
    run->pages->start();
    return run;
}

QStringList cellsOf(const ResultRow &row)
{
    QStringList cells;
    for (const auto &c : row.cells)
        cells << toQString(c);
    return cells;
}

void printSearch(const Options &opt, const ResultTable &list, std::int32_t counter)
{
    if (opt.json) {
        QJsonArray rows;
        for (const ResultRow &row : list.rows())
            rows.append(QJsonArray::fromStringList(cellsOf(row)));
        const QJsonObject root{{QStringLiteral("pageCounter"), counter}, {QStringLiteral("rows"), rows}};
        writeOut(QString::fromUtf8(QJsonDocument(root).toJson(QJsonDocument::Compact)) + u'\n');
        return;
    }
    std::vector<QStringList> rows;
    for (const ResultRow &row : list.rows())
        rows.push_back(cellsOf(row));
    QStringList header;
    for (const std::u16string_view caption : ColumnCaptions)
        header << toQString(caption);
    writeOut(formatTable(header, rows));
    writeOut(QStringLiteral("%1 characters, page counter %2\n").arg(list.count()).arg(counter));
}

QJsonValue optionalText(const std::optional<std::u16string> &text)
{
    return text ? QJsonValue(toQString(*text)) : QJsonValue(QJsonValue::Null);
}

void printDetail(const Options &opt, const CharacterDetail &d)
{
    if (opt.json) {
        QJsonArray items;
        for (const auto &item : d.items)
            items.append(QJsonObject{{QStringLiteral("name"), optionalText(item.name)},
                                     {QStringLiteral("grade"), optionalText(item.grade)}});
        QJsonArray sub;
        for (const auto &part : d.subParts)
            sub.append(toQString(part));
        const QJsonObject root{{QStringLiteral("items"), items},
                               {QStringLiteral("title"), optionalText(d.title)},
                               {QStringLiteral("server"), optionalText(d.server)},
                               {QStringLiteral("subParts"), sub},
                               {QStringLiteral("job"), optionalText(d.job)}};
        writeOut(QString::fromUtf8(QJsonDocument(root).toJson(QJsonDocument::Compact)) + u'\n');
        return;
    }
    auto show = [](const std::optional<std::u16string> &t) {
        return t ? toQString(*t) : QStringLiteral("(없음)");
    };
    writeOut(QStringLiteral("칭호: %1\n서버: %2\n%3\n직업: %4\n")
                 .arg(safe(show(d.title)), safe(show(d.server)), safe(toQString(JoinSubParts(d.subParts))),
                      safe(show(d.job))));
    // The table escapes its own cells.
    std::vector<QStringList> rows;
    int k = 0;
    for (const auto &item : d.items)
        rows.push_back({QString::number(++k), show(item.name), show(item.grade)});
    writeOut(formatTable({QStringLiteral("#"), QStringLiteral("장비명"), QStringLiteral("등급")}, rows));
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("thornvale-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(THORNVALE_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Thornvale character search from the shell: the window's search, character\n"
        "detail, rank lookup and service-status check, one command per run. Options may\n"
        "stand before or after the command; every address defaults to the one compiled\n"
        "into the program.\n"
        "\n"
        "Commands:\n"
        "  encode TEXT             Print TEXT URL-encoded, as a search address carries\n"
        "                          it.\n"
        "  url NAME PAGE           Print the search address of NAME's result page PAGE\n"
        "                          (from 1).\n"
        "  search NAME [--next-from M] [--json]\n"
        "                          Read ten result pages and list the characters found\n"
        "                          (number, nickname, server, level, class, race, page\n"
        "                          address), then the page counter.\n"
        "  detail ADDRESS [--json]\n"
        "                          Read the character page at ADDRESS: title, server,\n"
        "                          level line, class, equipment and grades.\n"
        "  rank NICKNAME SERVER NAME [--next-from M]\n"
        "                          Search NAME and print each row number at which\n"
        "                          NICKNAME on SERVER stands.\n"
        "  status                  Print the service status: \"open\", \"closed\" or\n"
        "                          \"unknown: REASON\".\n"
        "\n"
        "Exit status:\n"
        "  0  Everything was read (a search that found nothing included).\n"
        "  1  status: \"closed\"; rank: every page read, no row matched.\n"
        "  2  A usage error.\n"
        "  3  The site could not be read: status \"unknown\"; a search or rank page\n"
        "     that could not be fetched (the rows that came are printed); detail\n"
        "     whose page could not be fetched (nothing is printed)."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const SiteConfig &compiled = SiteConfig::compiledIn();
    const QCommandLineOption searchBase(QStringLiteral("search-base"),
                                        QStringLiteral("Search host: addresses are URL/search?keyword=..."),
                                        QStringLiteral("URL"), toQString(compiled.searchBase));
    const QCommandLineOption characterBase(QStringLiteral("character-base"),
                                           QStringLiteral("Character-page base, ending in /characters/."),
                                           QStringLiteral("URL"), toQString(compiled.characterBase));
    const QCommandLineOption statusUrl(QStringLiteral("status-url"),
                                       QStringLiteral("Address of the service status (status)."),
                                       QStringLiteral("URL"), toQString(compiled.statusUrl));
    const QCommandLineOption json(QStringLiteral("json"),
                                  QStringLiteral("Print the result as one line of JSON (search, detail)."));
    const QCommandLineOption nextFrom(QStringLiteral("next-from"),
                                      QStringLiteral("Go on from page counter M: pages M+1 to M+10."),
                                      QStringLiteral("M"));
    parser.addOptions({searchBase, characterBase, statusUrl, json, nextFrom});
    parser.addPositionalArgument(QStringLiteral("command"),
                                 QStringLiteral("encode, url, search, detail, rank or status"),
                                 QStringLiteral("command [arguments...]"));
    // parse() rather than process(): an unknown option is a usage error like any other (exit 2),
    // not Qt's own exit 1.
    if (!parser.parse(QCoreApplication::arguments()))
        return usageError(parser, parser.errorText());
    if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all"))) {
        writeOut(parser.helpText());
        return 0;
    }
    if (parser.isSet(version)) {
        writeOut(QCoreApplication::applicationName() + u' ' + QCoreApplication::applicationVersion() + u'\n');
        return 0;
    }

    Options opt;
    opt.config.searchBase = toU16(parser.value(searchBase));
    opt.config.characterBase = toU16(parser.value(characterBase));
    opt.config.statusUrl = toU16(parser.value(statusUrl));
    opt.json = parser.isSet(json);
    if (parser.isSet(nextFrom)) {
        bool ok = false;
        const qlonglong m = parser.value(nextFrom).toLongLong(&ok);
        // The counter is 32-bit and a run adds ten to it.
        if (!ok || m < 0 || m > INT32_MAX - SearchPages::PagesPerRun)
            return usageError(parser, QStringLiteral("--next-from takes a page counter from 0 to %1")
                                          .arg(INT32_MAX - SearchPages::PagesPerRun));
        opt.nextFrom = std::int32_t(m);
    }

    const QStringList args = parser.positionalArguments();
    const QString command = args.value(0);
    auto need = [&](int count) { return args.size() == count + 1; };

    if (command == u"encode") {
        if (!need(1))
            return usageError(parser, QStringLiteral("usage: encode TEXT"));
        writeOut(toQString(URLEncode(view(args[1]))) + u'\n');
        return ExitRead;
    }
    if (command == u"url") {
        bool ok = false;
        const qlonglong page = args.value(2).toLongLong(&ok);
        // Result pages count from 1.
        if (!need(2) || !ok || page < 1)
            return usageError(parser, QStringLiteral("usage: url NAME PAGE (PAGE from 1)"));
        writeOut(toQString(BuildSearchUrl(opt.config.searchAddressStart(), view(args[1]), page)) + u'\n');
        return 0;
    }

    net::PageFetcher fetcher;
    std::unique_ptr<SearchRun> search;
    int exitCode = ExitRead;
    if (command == u"search") {
        if (!need(1))
            return usageError(parser, QStringLiteral("usage: search NAME [--next-from M] [--json]"));
        search = runSearch(opt, args[1], fetcher, [&](const ResultTable &list, std::int32_t counter, int failures) {
            printSearch(opt, list, counter);
            exitCode = failures > 0 ? ExitUnreadable : ExitRead;
            QCoreApplication::quit();
        });
    } else if (command == u"rank") {
        if (!need(3))
            return usageError(parser, QStringLiteral("usage: rank NICKNAME SERVER NAME [--next-from M]"));
        const std::u16string nick = toU16(args[1]);
        const std::u16string server = toU16(args[2]);
        search = runSearch(opt, args[3], fetcher, [&, nick, server](const ResultTable &list, std::int32_t, int failures) {
            bool matched = false;
            for (int at = NextRankMatch(list, 0, nick, server); at >= 0;
                 at = NextRankMatch(list, at + 1, nick, server)) {
                writeOut(toQString(RankMessage(at)) + u'\n');
                matched = true;
            }
            // A page that never came may hold the row; only a complete search can say "nowhere".
            exitCode = failures > 0 ? ExitUnreadable : matched ? ExitRead : ExitNegative;
            QCoreApplication::quit();
        });
    } else if (command == u"detail") {
        if (!need(1))
            return usageError(parser, QStringLiteral("usage: detail ADDRESS [--json]"));
        auto *handle = fetcher.FetchPage(args[1]);
        QObject::connect(handle, &net::FetchHandle::finished, &app, [&](const net::FetchResult &r) {
            if (!r.ok) {
                // An empty result would read as a character without equipment.
                writeErr(QStringLiteral("detail: fetch failed: %1 (%2)\n").arg(safe(r.error), safe(args[1])));
                exitCode = ExitUnreadable;
            } else {
                const CharacterDetail detail = ParseCharacterPage(view(r.text));
                if (detail.itemsDropped > 0)
                    writeErr(QStringLiteral("detail: %1 item blocks past the first %2 dropped (%3)\n")
                                 .arg(detail.itemsDropped)
                                 .arg(MaxItemsPerPage)
                                 .arg(safe(args[1])));
                printDetail(opt, detail);
            }
            QCoreApplication::quit();
        });
    } else if (command == u"status") {
        if (!need(0))
            return usageError(parser, QStringLiteral("usage: status"));
        net::CheckServiceStatus(toQString(opt.config.statusUrl), &app, [&](const StatusDecision &d) {
            switch (d.state) {
            case ServiceState::Open:
                writeOut(QStringLiteral("open\n"));
                exitCode = ExitRead;
                break;
            case ServiceState::Closed:
                writeOut(QStringLiteral("closed\n"));
                exitCode = ExitNegative;
                break;
            case ServiceState::Unknown:
                writeOut(QStringLiteral("unknown: %1\n").arg(safe(toQString(d.reason))));
                exitCode = ExitUnreadable;
                break;
            }
            QCoreApplication::quit();
        });
    } else {
        return usageError(parser, command.isEmpty() ? QStringLiteral("no command given")
                                                    : QStringLiteral("unknown command: %1").arg(command));
    }
    const int loop = app.exec();
    return loop != 0 ? loop : exitCode;
}
