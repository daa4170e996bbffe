#include "help.h"

#include <QCommandLineOption>
#include <QCoreApplication>
#include <QStringList>

#include "commands.h"

namespace thornvale::cli {

namespace {

// Where Qt starts an option's description; the commands and exit statuses line up with it.
constexpr qsizetype DescriptionColumn = 26;

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
// summary at the description column (below a usage too long to leave room for it).
QString commandsHelp()
{
    QString out;
    for (const Command &c : Commands) {
        QString line = QStringLiteral("  ") + usageLine(c);
        if (line.size() > DescriptionColumn - 2) {
            out += line + u'\n';
            line.clear();
        }
        out += wrapped(line, c.summary, DescriptionColumn);
    }
    return out;
}

QString exitStatusHelp()
{
    QString out;
    for (const ExitStatus &e : ExitStatuses)
        out += wrapped(QStringLiteral("  %1").arg(int(e.code)), e.meaning, 5);
    return out;
}

} // namespace

QString usageLine(const Command &c)
{
    QString line = c.name.toString();
    if (!c.usage.isEmpty())
        line.append(u' ').append(c.usage);
    return line;
}

QString commandNames()
{
    QStringList names;
    for (const Command &c : Commands)
        names << c.name.toString();
    const QString last = names.takeLast();
    return names.join(QStringLiteral(", ")) + QStringLiteral(" or ") + last;
}

QString helpDescription()
{
    // QCommandLineParser ends the description with its own line break.
    QString exits = exitStatusHelp();
    exits.chop(1);
    return QStringLiteral("Thornvale character search from the shell: the window's search, character\n"
                          "detail, rank lookup and service-status check, one command per run. Options may\n"
                          "stand before or after the command; every address defaults to the one compiled\n"
                          "into the program.\n"
                          "\n"
                          "Commands:\n")
        + commandsHelp() + QStringLiteral("\nExit status:\n") + exits;
}

QString commandHelp(const Command &c, std::initializer_list<ListedOption> options)
{
    QString out
        = QStringLiteral("Usage: %1 [options] %2\n\n").arg(QCoreApplication::applicationName(), usageLine(c));
    out += wrapped(QString(), c.summary, 0) + QStringLiteral("\nOptions:\n");
    for (const auto &[only, option] : options) {
        if (only != NoOptions && !(c.options & only))
            continue;
        QString head = QStringLiteral("  --") + option->names().constFirst();
        if (!option->valueName().isEmpty())
            head += QStringLiteral(" <%1>").arg(option->valueName());
        out += head.leftJustified(DescriptionColumn) + option->description() + u'\n';
    }
    return out;
}

} // namespace thornvale::cli
