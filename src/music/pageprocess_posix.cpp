#include "music/pageprocess.h"

#include <QByteArray>
#include <QFile>

#include <csignal>
#include <sys/types.h>

namespace thornvale::pageprocess {

std::optional<qint64> residentBytes(qint64 pid)
{
    // Linux only; elsewhere there is no /proc of this shape and the bound simply does not apply.
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return std::nullopt;
    // The file is a few dozen short lines; 8 KiB is far more than it ever holds.
    const QByteArray text = status.read(8192);
    for (QByteArrayView line : text.split('\n')) {
        if (!line.startsWith("VmRSS:"))
            continue;
        line = line.sliced(6).trimmed();
        if (!line.endsWith("kB"))
            return std::nullopt;
        bool ok = false;
        const qint64 kib = line.chopped(2).trimmed().toLongLong(&ok);
        return ok ? std::optional<qint64>(kib * 1024) : std::nullopt;
    }
    return std::nullopt;
}

bool end(qint64 pid)
{
    // A process id of 0 or below would signal a whole process group.
    if (pid <= 0)
        return false;
    return ::kill(static_cast<pid_t>(pid), SIGKILL) == 0;
}

} // namespace thornvale::pageprocess
