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

void silenceEngineLog()
{
    // 3: fatal messages only. Set once per process: the engine reads the variable once anyway.
    static const bool done = [] {
        qputenv(kFlagsVariable, withEngineFlag(qgetenv(kFlagsVariable), "--log-level=3"));
        return true;
    }();
    Q_UNUSED(done);
}

} // namespace thornvale
