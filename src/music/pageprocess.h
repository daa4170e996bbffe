#pragma once

// A page's renderer process, seen from the program: how much memory it holds and how it is ended.
// QtWebEngine 6.4 gives a process id and nothing else (no "unresponsive" signal, no way to end a
// renderer), so these few calls are all the module needs of the system. Each platform has its own
// file; see src/music/CMakeLists.txt.

#include <QtGlobal>

#include <optional>

namespace thornvale::pageprocess {

// The process's resident memory in bytes; nothing when it cannot be read (ended, or a platform
// without a way to ask).
std::optional<qint64> residentBytes(qint64 pid);

// Ends the process at once, without asking it: a renderer stuck in a script loop answers nothing.
// False when the system refused.
bool end(qint64 pid);

} // namespace thornvale::pageprocess
