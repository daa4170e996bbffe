#pragma once

#include <QStringList>
#include <QStringView>

#include <cstdint>
#include <memory>
#include <optional>
#include <span>

#include "config/siteconfig.h"

namespace thornvale::net {
class PageFetcher;
} // namespace thornvale::net

namespace thornvale::cli {

// Exit codes by cause, so a script tells a closed site, a typo and a dead server apart. What each
// means is written once, in ExitStatuses, for the help and the manual.
enum ExitCode : int { ExitRead = 0, ExitNegative = 1, ExitUsage = 2, ExitUnreadable = 3 };

struct ExitStatus {
    ExitCode code;
    QStringView meaning;
};
extern const std::span<const ExitStatus> ExitStatuses;

struct Options {
    SiteConfig config = SiteConfig::compiledIn();
    bool json = false;
    std::optional<std::int32_t> nextFrom;
};

struct SearchRun;

// What a command works with. main keeps it until the event loop has ended, so whatever a command
// leaves running may hold on to it.
struct Session {
    Session();
    ~Session();
    Session(const Session &) = delete;
    Session &operator=(const Session &) = delete;

    Options opt;
    QStringList args; // the command's own, after its name
    // Declared before `search`, whose host fetches through it, so that it is destroyed after it.
    std::unique_ptr<net::PageFetcher> pageFetcher;
    std::unique_ptr<SearchRun> search;
    int exitCode = ExitRead;

    // Made on first use: encode and url never start the network stack.
    net::PageFetcher &fetcher();
};

// A command's exit code, or none yet: it has started work that sets Session::exitCode from the
// event loop. ExitUsage means arguments it cannot take, and main then prints its usage.
using Outcome = std::optional<int>;

// The options only some commands take; the three addresses are every command's.
enum CommandOption : unsigned { NoOptions = 0, JsonOption = 1, NextFromOption = 2 };

struct Command {
    QStringView name;
    qsizetype arguments; // exactly this many
    QStringView usage; // what follows the name, in the help and in its usage error
    QStringView summary; // for the help, which wraps it
    QStringView usageNote = {}; // what only the usage error adds: a range the count does not show
    unsigned options = NoOptions;
    Outcome (*run)(Session &);
};

// In the order the help lists them.
extern const std::span<const Command> Commands;

const Command *findCommand(QStringView name);

} // namespace thornvale::cli
