// thornvale-cli: the window's search, detail, rank lookup and status check from a shell. This file
// reads the command line and dispatches; the commands are in commands.cpp, their help in help.cpp.

#include <QCommandLineParser>
#include <QCoreApplication>

#include <climits>
#include <cstdint>

#include "commands.h"
#include "help.h"
#include "qtbridge/qtbridge.h"
#include "search/searchpages.h"
#include "textout.h"

using namespace thornvale;
using namespace thornvale::cli;

namespace {

int usageError(const QCommandLineParser &parser, const QString &message)
{
    writeErr(escaped(message) + u'\n');
    writeErr(parser.helpText());
    return ExitUsage;
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
        QStringLiteral("Search host: addresses are URL/search?keyword=..."), QStringLiteral("URL"),
        toQString(compiled.searchBase));
    const QCommandLineOption characterBase(QStringLiteral("character-base"),
        QStringLiteral("Character-page base, ending in /characters/."), QStringLiteral("URL"),
        toQString(compiled.characterBase));
    const QCommandLineOption statusUrl(QStringLiteral("status-url"),
        QStringLiteral("Address of the service status (status)."), QStringLiteral("URL"),
        toQString(compiled.statusUrl));
    const QCommandLineOption json(
        QStringLiteral("json"), QStringLiteral("Print the result as one line of JSON (search, detail)."));
    const QCommandLineOption nextFrom(QStringLiteral("next-from"),
        QStringLiteral("Go on from page counter M: pages M+1 to M+10."), QStringLiteral("M"));
    parser.addOptions({ searchBase, characterBase, statusUrl, json, nextFrom });
    parser.addPositionalArgument(
        QStringLiteral("command"), commandNames(), QStringLiteral("command [arguments...]"));
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
            return usageError(parser,
                QStringLiteral("--next-from takes a page counter from 0 to %1")
                    .arg(INT32_MAX - SearchPages::PagesPerRun));
        s.opt.nextFrom = std::int32_t(m);
    }

    if (!command)
        return usageError(parser,
            name.isEmpty() ? QStringLiteral("no command given")
                           : QStringLiteral("unknown command: %1").arg(name));
    for (const auto &[only, option] :
        { ListedOption { JsonOption, &json }, ListedOption { NextFromOption, &nextFrom } })
        if (parser.isSet(*option) && !(command->options & only))
            return usageError(
                parser, QStringLiteral("%1 takes no --%2 option").arg(name, option->names().constFirst()));
    s.args = args.mid(1);
    const Outcome outcome = s.args.size() == command->arguments ? command->run(s) : Outcome(ExitUsage);
    if (outcome == ExitUsage)
        return usageError(parser, QStringLiteral("usage: %1%2").arg(usageLine(*command), command->usageNote));
    if (outcome)
        return *outcome;
    const int loop = app.exec();
    return loop != 0 ? loop : s.exitCode;
}
