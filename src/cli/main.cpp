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
#include "search/controltext.h"
#include "search/ranklookup.h"
#include "search/reporttext.h"
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
    writeErr(escaped(message) + u'\n');
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

// A text as JSON carries it: exactly as read, but for lone surrogates, which would come out as
// "\ud800" escapes that strict readers refuse.
QString jsonText(std::u16string_view text)
{
    return toQString(wellFormed(text));
}

void printSearch(const Options &opt, const ResultTable &list, std::int32_t counter)
{
    if (opt.json) {
        QJsonArray rows;
        for (const ResultRow &row : list.rows()) {
            QJsonArray cells;
            for (const auto &c : row.cells)
                cells.append(jsonText(c));
            rows.append(cells);
        }
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
    return text ? QJsonValue(jsonText(*text)) : QJsonValue(QJsonValue::Null);
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
            sub.append(jsonText(part));
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
                 .arg(escaped(show(d.title)), escaped(show(d.server)), escaped(toQString(JoinSubParts(d.subParts))),
                      escaped(show(d.job))));
    // The table escapes its own cells.
    std::vector<QStringList> rows;
    int k = 0;
    for (const auto &item : d.items)
        rows.push_back({QString::number(++k), show(item.name), show(item.grade)});
    writeOut(formatTable({QStringLiteral("#"), QStringLiteral("장비명"), QStringLiteral("등급")}, rows));
}

// What a command works with. main keeps it until the event loop has ended, so whatever a command
// leaves running may hold on to it.
struct Session {
    Options opt;
    QStringList args; // the command's own, after its name
    // Declared before `search`, whose host fetches through it, so that it is destroyed after it.
    std::unique_ptr<net::PageFetcher> pageFetcher;
    std::unique_ptr<SearchRun> search;
    int exitCode = ExitRead;

    // Made on first use: encode and url never start the network stack.
    net::PageFetcher &fetcher()
    {
        if (!pageFetcher)
            pageFetcher = std::make_unique<net::PageFetcher>();
        return *pageFetcher;
    }
};

// A command's exit code, or none yet: it has started work that sets Session::exitCode from the
// event loop. ExitUsage means arguments it cannot take, and main then prints its usage.
using Outcome = std::optional<int>;

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
        printSearch(s.opt, list, counter);
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
            printDetail(s.opt, detail);
        }
        QCoreApplication::quit();
    };
    net::FetchPageBody(s.fetcher(), s.args[0], QCoreApplication::instance(), print,
                       net::StatusPolicy::ErrorStatusFails);
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

// The options only some commands take; the three addresses are every command's.
enum CommandOption : unsigned { NoOptions = 0, JsonOption = 1, NextFromOption = 2 };

struct Command {
    QStringView name;
    qsizetype arguments;        // exactly this many
    QStringView usage;          // what follows the name, in the help and in its usage error
    QStringView summary;        // for the help, which wraps it
    QStringView usageNote = {}; // what only the usage error adds: a range the count does not show
    unsigned options = NoOptions;
    Outcome (*run)(Session &);
};

// In the order the help lists them.
constexpr Command Commands[] = {
    {.name = u"encode",
     .arguments = 1,
     .usage = u"TEXT",
     .summary = u"Print TEXT URL-encoded, as a search address carries it.",
     .run = encodeCommand},
    {.name = u"url",
     .arguments = 2,
     .usage = u"NAME PAGE",
     .summary = u"Print the search address of NAME's result page PAGE (from 1).",
     .usageNote = u" (PAGE from 1)",
     .run = urlCommand},
    {.name = u"search",
     .arguments = 1,
     .usage = u"NAME [--next-from M] [--json]",
     .summary = u"Read ten result pages and list the characters found (number, nickname, server, level, "
                u"class, race, page address), then the page counter.",
     .options = JsonOption | NextFromOption,
     .run = searchCommand},
    {.name = u"detail",
     .arguments = 1,
     .usage = u"ADDRESS [--json]",
     .summary = u"Read the character page at ADDRESS: title, server, level line, class, equipment and "
                u"grades.",
     .options = JsonOption,
     .run = detailCommand},
    {.name = u"rank",
     .arguments = 3,
     .usage = u"NICKNAME SERVER NAME [--next-from M]",
     .summary = u"Search NAME and print each row number at which NICKNAME on SERVER stands.",
     .options = NextFromOption,
     .run = rankCommand},
    {.name = u"status",
     .arguments = 0,
     .usage = u"",
     .summary = u"Print the service status: \"open\", \"closed\" or \"unknown: REASON\".",
     .run = statusCommand},
};

const Command *findCommand(QStringView name)
{
    for (const Command &c : Commands)
        if (c.name == name)
            return &c;
    return nullptr;
}

QString usageLine(const Command &c)
{
    QString line = c.name.toString();
    if (!c.usage.isEmpty())
        line.append(u' ').append(c.usage);
    return line;
}

// "encode, url, ... or status".
QString commandNames()
{
    QStringList names;
    for (const Command &c : Commands)
        names << c.name.toString();
    const QString last = names.takeLast();
    return names.join(QStringLiteral(", ")) + QStringLiteral(" or ") + last;
}

// `text` appended to `line` word by word from column `column`, wrapped within 79 columns as Qt
// wraps the options' descriptions.
QString wrapped(QString line, QStringView text, qsizetype column)
{
    constexpr qsizetype Width = 79;
    QString out;
    line = line.leftJustified(column);
    for (const QStringView word : text.tokenize(u' ')) {
        const bool started = line.size() > column;
        if (started && line.size() + 1 + word.size() > Width) {
            out += line + u'\n';
            line = QString(column, u' ');
        } else if (started) {
            line += u' ';
        }
        line += word;
    }
    return out + line + u'\n';
}

// The commands laid out as Qt lays out the options further down, so the help reads as one: the
// summary from column 26 (below a usage too long to leave room for it).
QString commandsHelp()
{
    constexpr qsizetype SummaryColumn = 26;
    QString out;
    for (const Command &c : Commands) {
        QString line = QStringLiteral("  ") + usageLine(c);
        if (line.size() > SummaryColumn - 2) {
            out += line + u'\n';
            line.clear();
        }
        out += wrapped(line, c.summary, SummaryColumn);
    }
    return out;
}

// One option as a command's help lists it; `only` is the command option it is, or NoOptions for
// one every command takes.
struct ListedOption {
    unsigned only;
    const QCommandLineOption *option;
};

// "thornvale-cli COMMAND --help": the command's usage and summary, and the options it takes.
QString commandHelp(const Command &c, std::initializer_list<ListedOption> options)
{
    QString out = QStringLiteral("Usage: %1 [options] %2\n\n").arg(QCoreApplication::applicationName(), usageLine(c));
    out += wrapped(QString(), c.summary, 0) + QStringLiteral("\nOptions:\n");
    for (const auto &[only, option] : options) {
        if (only != NoOptions && !(c.options & only))
            continue;
        QString head = QStringLiteral("  --") + option->names().constFirst();
        if (!option->valueName().isEmpty())
            head += QStringLiteral(" <%1>").arg(option->valueName());
        out += head.leftJustified(26) + option->description() + u'\n';
    }
    return out;
}

// What --help prints above the options, and so the manual's description too.
QString helpDescription()
{
    return QStringLiteral("Thornvale character search from the shell: the window's search, character\n"
                          "detail, rank lookup and service-status check, one command per run. Options may\n"
                          "stand before or after the command; every address defaults to the one compiled\n"
                          "into the program.\n"
                          "\n"
                          "Commands:\n")
        + commandsHelp()
        + QStringLiteral("\n"
                         "Exit status:\n"
                         "  0  Everything was read (a search that found nothing included).\n"
                         "  1  status: \"closed\"; rank: every page read, no row matched.\n"
                         "  2  A usage error.\n"
                         "  3  The site could not be read: status \"unknown\"; a search or rank page\n"
                         "     that could not be fetched (the rows that came are printed); detail\n"
                         "     whose page could not be fetched or came with an HTTP error status\n"
                         "     (nothing is printed).");
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("thornvale-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(THORNVALE_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(helpDescription());
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
    parser.addPositionalArgument(QStringLiteral("command"), commandNames(),
                                 QStringLiteral("command [arguments...]"));
    // parse() rather than process(): an unknown option is a usage error like any other (exit 2),
    // not Qt's own exit 1.
    if (!parser.parse(QCoreApplication::arguments()))
        return usageError(parser, parser.errorText());
    const QStringList args = parser.positionalArguments();
    const QString name = args.value(0);
    const Command *command = findCommand(name);
    if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all"))) {
        // "COMMAND --help" is that command's; "--help" alone, or after no known command, the whole.
        writeOut(command ? commandHelp(*command,
                               { { NoOptions, &searchBase }, { NoOptions, &characterBase }, { NoOptions, &statusUrl },
                                   { JsonOption, &json }, { NextFromOption, &nextFrom } })
                         : parser.helpText());
        return 0;
    }
    if (parser.isSet(version)) {
        writeOut(QCoreApplication::applicationName() + u' ' + QCoreApplication::applicationVersion() + u'\n');
        return 0;
    }

    Session s;
    s.opt.config.searchBase = toU16(parser.value(searchBase));
    s.opt.config.characterBase = toU16(parser.value(characterBase));
    s.opt.config.statusUrl = toU16(parser.value(statusUrl));
    s.opt.json = parser.isSet(json);
    if (parser.isSet(nextFrom)) {
        bool ok = false;
        const qlonglong m = parser.value(nextFrom).toLongLong(&ok);
        // The counter is 32-bit and a run adds ten to it.
        if (!ok || m < 0 || m > INT32_MAX - SearchPages::PagesPerRun)
            return usageError(parser, QStringLiteral("--next-from takes a page counter from 0 to %1")
                                          .arg(INT32_MAX - SearchPages::PagesPerRun));
        s.opt.nextFrom = std::int32_t(m);
    }

    if (!command)
        return usageError(parser, name.isEmpty() ? QStringLiteral("no command given")
                                                 : QStringLiteral("unknown command: %1").arg(name));
    for (const auto &[only, option] : { ListedOption { JsonOption, &json }, ListedOption { NextFromOption, &nextFrom } })
        if (parser.isSet(*option) && !(command->options & only))
            return usageError(parser, QStringLiteral("%1 takes no --%2 option").arg(name, option->names().constFirst()));
    s.args = args.mid(1);
    const Outcome outcome = s.args.size() == command->arguments ? command->run(s) : Outcome(ExitUsage);
    if (outcome == ExitUsage)
        return usageError(parser, QStringLiteral("usage: %1%2").arg(usageLine(*command), command->usageNote));
    if (outcome)
        return *outcome;
    const int loop = app.exec();
    return loop != 0 ? loop : s.exitCode;
}
