#pragma once

#include <QString>

#include <initializer_list>

class QCommandLineOption;

namespace thornvale::cli {

struct Command;

// "search NAME [--next-from M] [--json]": a command's name and what follows it.
QString usageLine(const Command &c);

// "encode, url, ... or status".
QString commandNames();

// What --help prints above the options, and so the manual's description too: the commands and
// the exit statuses.
QString helpDescription();

// One option as a command's help lists it; `only` is the command option it is, or NoOptions for
// one every command takes.
struct ListedOption {
    unsigned only;
    const QCommandLineOption *option;
};

// "thornvale-cli COMMAND --help": the command's usage and summary, and the options it takes.
QString commandHelp(const Command &c, std::initializer_list<ListedOption> options);

} // namespace thornvale::cli
