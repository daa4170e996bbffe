// The browser launch: every address that passes IsSafeBrowserAddress holds no quote and no control
// character, and its command line, split by the Windows argument rules, gives back exactly
// windir\explorer.exe and the address. The splitter here follows those rules on its own (the
// program name ends at its closing quote or the first blank; in arguments 2n backslashes before a
// quote give n and the quote delimits, 2n+1 give n and a literal quote, and backslashes anywhere
// else are literal).
//
// Input: UTF-16LE code units for the address, so lone surrogates and any wide character are
// reached; the two bytes before them pick one of a few windir values.

#include "fuzzsupport.h"

#include "shell/links.h"

#include <QString>
#include <QStringList>

using namespace thornvale;
using namespace thornvale::fuzz;

namespace {

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

QStringList splitWindowsCommandLine(const QString &line)
{
    QStringList args;
    qsizetype i = 0;
    // The program name: no escapes at all.
    QString program;
    if (i < line.size() && line[i] == u'"') {
        for (++i; i < line.size() && line[i] != u'"'; ++i)
            program += line[i];
        if (i < line.size())
            ++i;
    } else {
        for (; i < line.size() && !isBlank(line[i]); ++i)
            program += line[i];
    }
    args << program;

    for (;;) {
        while (i < line.size() && isBlank(line[i]))
            ++i;
        if (i >= line.size())
            break;
        QString arg;
        bool quoted = false;
        while (i < line.size() && (quoted || !isBlank(line[i]))) {
            qsizetype backslashes = 0;
            while (i < line.size() && line[i] == u'\\')
                ++backslashes, ++i;
            if (i < line.size() && line[i] == u'"') {
                arg += QString(backslashes / 2, u'\\');
                if (backslashes % 2 == 1)
                    arg += u'"';
                else
                    quoted = !quoted;
                ++i;
            } else {
                arg += QString(backslashes, u'\\');
                if (i < line.size() && (quoted || !isBlank(line[i])))
                    arg += line[i++];
            }
        }
        args << arg;
    }
    return args;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 2)
        return 0;
    static const QString windirs[]
        = { QStringLiteral("C:\\WINDOWS"), QString(), QStringLiteral("D:\\Win\\") };
    const QString &windir = windirs[data[0] % 3];
    const std::u16string units = Utf16Units(data + 2, size - 2);
    const QString address(reinterpret_cast<const QChar *>(units.data()), qsizetype(units.size()));

    if (!IsSafeBrowserAddress(address))
        return 0;
    for (const QChar c : address)
        check(c != u'"' && c.category() != QChar::Other_Control, "a safe address holds no quote or control");

    const QString line = LaunchCommandLine(windir, address);
    check(line.startsWith(windir + QStringLiteral("\\explorer.exe \"")) && line.endsWith(u'"'),
        "the command line is the program, one space and the quoted address");
    const QStringList args = splitWindowsCommandLine(line);
    check(args.size() == 2, "two arguments: the program and the address");
    check(args[0] == windir + QStringLiteral("\\explorer.exe"), "the program is windir\\explorer.exe");
    check(args[1] == address, "explorer receives the address exactly");
    return 0;
}
