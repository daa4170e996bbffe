#include "shell/links.h"

#include "qtbridge/qtbridge.h"

#include <QUrl>

#include <cstdio>

#ifdef _WIN32
#include <windows.h>
#else
#include <QDesktopServices>
#endif

namespace thornvale {

using namespace Qt::StringLiterals;

namespace {

// One line whatever the address holds: nothing in it reaches the terminal as a control.
void reportRefusal(const char *why, const QString &address)
{
    const QString shown = escaped(address);
    std::fprintf(stderr, "thornvale: %s: %s\n", why, shown.toLocal8Bit().constData());
}

bool launchPlatformBrowser(const QString &address)
{
#ifdef _WIN32
    std::wstring commandLine = LaunchCommandLine(qEnvironmentVariable("windir"), address).toStdWString();
    STARTUPINFOW startup {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process {};
    if (!CreateProcessW(
            nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return false;
    // Nobody waits for explorer; keeping the handles would only leak them.
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
#else
    return QDesktopServices::openUrl(QUrl(address));
#endif
}

} // namespace

QString LaunchCommandLine(const QString &windir, const QString &address)
{
    // By the Windows argument rules backslashes before a quote escape it, two for one; the run
    // that ends the address stands before the closing quote, so it goes out doubled.
    qsizetype trailing = 0;
    while (trailing < address.size() && address[address.size() - 1 - trailing] == u'\\')
        ++trailing;
    return windir + u"\\explorer.exe \""_s + address + QString(trailing, u'\\') + QChar(u'"');
}

bool IsSafeBrowserAddress(const QString &address)
{
    for (QChar c : address) {
        if (c == QChar(u'"') || c.category() == QChar::Other_Control)
            return false;
    }
    // Tolerant parsing: a space or a non-ASCII letter in a path is the browser's to encode.
    const QUrl url(address);
    if (!url.isValid() || url.isRelative() || url.host().isEmpty())
        return false;
    const QString scheme = url.scheme();
    return scheme == QStringView(u"http") || scheme == QStringView(u"https");
}

void ShellOpenUrl(const QString &address, const BrowserLauncher &launch)
{
    if (!IsSafeBrowserAddress(address)) {
        reportRefusal("not opening an address that is not an absolute http(s) address", address);
        return;
    }
    if (launch) {
        launch(address);
        return;
    }
    if (!launchPlatformBrowser(address))
        reportRefusal("could not start the web browser for", address);
}

} // namespace thornvale
