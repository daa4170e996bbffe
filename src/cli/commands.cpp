#include "commands.h"

#include <QCoreApplication>
#include <QTimer>

#include <functional>

#include "clihost.h"
#include "net/pagefetcher.h"
#include "net/sitefetch.h"
#include "printers.h"
#include "qtbridge/qtbridge.h"
#include "search/characterpage.h"
#include "search/ranklookup.h"
#include "search/reporttext.h"
#include "search/servicestatus.h"
#include "search/urlencode.h"
#include "textout.h"

namespace thornvale::cli {

namespace {

constexpr ExitStatus ExitStatusTable[] = {
    { ExitRead, u"Everything was read; a search that finds no character too." },
    { ExitNegative, u"status: \"closed\"; rank: every page read and no row matched." },
    { ExitUsage,
        u"A usage error, and only that: no command or an unknown one, an unknown option, one "
        u"without its value or one the command does not take, the wrong number of arguments, "
        u"a PAGE below 1, or a --next-from value out of range. The message and the help go "
        u"to stderr." },
    { ExitUnreadable,
        u"The site could not be read: status \"unknown\"; a search or rank page that could "
        u"not be fetched (the rows that came are printed; a page without the result "
        u"heading counts as read); detail whose page could not be fetched or came with an "
        u"HTTP status of 400 or more (nothing on stdout, the cause on stderr)." },
};

} // namespace

const std::span<const ExitStatus> ExitStatuses = ExitStatusTable;

// One page run for the shell; the session keeps it until the event loop has ended.
struct SearchRun {
    ResultTable list;
    std::int32_t counter = 0;
    std::unique_ptr<CliSearchHost> host;
    std::unique_ptr<SearchPages> pages;
};

Session::Session() = default;
Session::~Session() = default;

net::PageFetcher &Session::fetcher()
{
    if (!pageFetcher)
        pageFetcher = std::make_unique<net::PageFetcher>();
    return *pageFetcher;
}

namespace {

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
    run->pages
        = std::make_unique<SearchPages>(opt.nextFrom ? SearchEntry::NextPages : SearchEntry::EnterSearch,
            *run->host, run->list, run->counter, opt.config.searchAddressStart(), opt.config.characterBase);
    run->pages->start();
    return run;
}

Outcome encodeCommand(Session &s)
{
    writeOut(toQString(URLEncode(view(s.args[0]))) + u'\n');
    return ExitRead;
}

Outcome urlCommand(Session &s)
{
    bool ok = false;
    const qlonglong page = s.args[1].toLongLong(&ok);
    // Result pages count from 1.
    if (!ok || page < 1)
        return ExitUsage;
    writeOut(toQString(BuildSearchUrl(s.opt.config.searchAddressStart(), view(s.args[0]), page)) + u'\n');
    return ExitRead;
}

Outcome searchCommand(Session &s)
{
    const auto print = [&s](const ResultTable &list, std::int32_t counter, int failures) {
        printSearch(s.opt.json, list, counter);
        s.exitCode = failures > 0 ? ExitUnreadable : ExitRead;
        QCoreApplication::quit();
    };
    s.search = runSearch(s.opt, s.args[0], s.fetcher(), print);
    return std::nullopt;
}

Outcome rankCommand(Session &s)
{
    const std::u16string nick = toU16(s.args[0]);
    const std::u16string server = toU16(s.args[1]);
    const auto print = [&s, nick, server](const ResultTable &list, std::int32_t, int failures) {
        bool matched = false;
        for (int at = NextRankMatch(list, 0, nick, server); at >= 0;
             at = NextRankMatch(list, at + 1, nick, server)) {
            writeOut(toQString(RankMessage(at)) + u'\n');
            matched = true;
        }
        // A page that never came may hold the row; only a complete search can say "nowhere".
        s.exitCode = failures > 0 ? ExitUnreadable : matched ? ExitRead : ExitNegative;
        QCoreApplication::quit();
    };
    s.search = runSearch(s.opt, s.args[2], s.fetcher(), print);
    return std::nullopt;
}

Outcome detailCommand(Session &s)
{
    const auto print = [&s](const PageBody &body) {
        const QString &address = s.args[0];
        if (!body.text) {
            // An empty result would read as a character without equipment.
            writeErr(QStringLiteral("detail: fetch failed: %1 (%2)\n")
                         .arg(toQString(LoggedText(body.error)), toQString(LoggedText(view(address)))));
            s.exitCode = ExitUnreadable;
        } else {
            const CharacterDetail detail = ParseCharacterPage(*body.text);
            for (const std::u16string &line : DetailReportLines(detail, view(address)))
                writeErr(QStringLiteral("detail: ") + toQString(line) + u'\n');
            printDetail(s.opt.json, detail);
        }
        QCoreApplication::quit();
    };
    net::FetchPageBody(
        s.fetcher(), s.args[0], QCoreApplication::instance(), print, net::StatusPolicy::ErrorStatusFails);
    return std::nullopt;
}

Outcome statusCommand(Session &s)
{
    const auto print = [&s](const StatusDecision &d) {
        switch (d.state) {
        case ServiceState::Open:
            writeOut(QStringLiteral("open\n"));
            s.exitCode = ExitRead;
            break;
        case ServiceState::Closed:
            writeOut(QStringLiteral("closed\n"));
            s.exitCode = ExitNegative;
            break;
        case ServiceState::Unknown:
            writeOut(QStringLiteral("unknown: %1\n").arg(escaped(toQString(d.reason))));
            s.exitCode = ExitUnreadable;
            break;
        }
        QCoreApplication::quit();
    };
    net::CheckServiceStatus(toQString(s.opt.config.statusUrl), QCoreApplication::instance(), print);
    return std::nullopt;
}

constexpr Command CommandTable[] = {
    { .name = u"encode",
        .arguments = 1,
        .usage = u"TEXT",
        .summary = u"Print TEXT URL-encoded, as a search address carries it.",
        .run = encodeCommand },
    { .name = u"url",
        .arguments = 2,
        .usage = u"NAME PAGE",
        .summary = u"Print the search address of NAME's result page PAGE (from 1).",
        .usageNote = u" (PAGE from 1)",
        .run = urlCommand },
    { .name = u"search",
        .arguments = 1,
        .usage = u"NAME [--next-from M] [--json]",
        .summary = u"Read ten result pages and list the characters found (number, nickname, server, level, "
                   u"class, race, page address), then the page counter.",
        .options = JsonOption | NextFromOption,
        .run = searchCommand },
    { .name = u"detail",
        .arguments = 1,
        .usage = u"ADDRESS [--json]",
        .summary = u"Read the character page at ADDRESS: title, server, level line, class, equipment and "
                   u"grades.",
        .options = JsonOption,
        .run = detailCommand },
    { .name = u"rank",
        .arguments = 3,
        .usage = u"NICKNAME SERVER NAME [--next-from M]",
        .summary = u"Search NAME and print each row number at which NICKNAME on SERVER stands.",
        .options = NextFromOption,
        .run = rankCommand },
    { .name = u"status",
        .arguments = 0,
        .usage = u"",
        .summary = u"Print the service status: \"open\", \"closed\" or \"unknown: REASON\".",
        .run = statusCommand },
};

} // namespace

const std::span<const Command> Commands = CommandTable;

const Command *findCommand(QStringView name)
{
    for (const Command &c : Commands)
        if (c.name == name)
            return &c;
    return nullptr;
}

} // namespace thornvale::cli
