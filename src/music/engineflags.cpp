#include "music/engineflags.h"

#include <QtGlobal>

namespace thornvale {

namespace {

constexpr char kFlagsVariable[] = "QTWEBENGINE_CHROMIUM_FLAGS";

} // namespace

QByteArray withEngineFlag(QByteArrayView flags, QByteArrayView flag)
{
    QByteArray joined = flags.trimmed().toByteArray();
    if (!joined.isEmpty())
        joined += ' ';
    joined += flag;
    return joined;
}

void setEngineFlags()
{
    // The engine reads the variable once anyway.
    static const bool done = [] {
        QByteArray flags = withEngineFlag(qgetenv(kFlagsVariable), "--log-level=3");
        flags = withEngineFlag(flags, "--disable-blink-features=FileSystem,FileSystemAccess");
        qputenv(kFlagsVariable, flags);
        return true;
    }();
    Q_UNUSED(done);
}

} // namespace thornvale
