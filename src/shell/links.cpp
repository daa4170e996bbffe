#include "shell/links.h"

#include "search/siteconfig.h"

#include <QUrl>

#include <cstdio>
#include <string_view>
#include <utility>

#ifdef _WIN32
#include <windows.h>
#else
#include <QDesktopServices>
#endif

namespace thornvale {

using namespace Qt::StringLiterals;

namespace {

QString toQString(std::u16string_view s)
{
    return QString(reinterpret_cast<const QChar *>(s.data()), qsizetype(s.size()));
}

BrowserLauncher &launcherHook()
{
    static BrowserLauncher hook;
    return hook;
}

// One line whatever the address holds: its control characters are written as escapes.
void reportRefusal(const char *why, const QString &address)
{
    QString shown;
    for (QChar c : address) {
        if (c.category() == QChar::Other_Control)
            shown += u"\\x"_s + QString::number(c.unicode(), 16).rightJustified(2, u'0');
        else
            shown += c;
    }
    std::fprintf(stderr, "thornvale: %s: %s\n", why, shown.toLocal8Bit().constData());
}

bool launchPlatformBrowser(const QString &address)
{
#ifdef _WIN32
    std::wstring commandLine =
        LaunchCommandLine(qEnvironmentVariable("windir"), address).toStdWString();
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
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
    return windir + u"\\explorer.exe \""_s + address + QChar(u'"');
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

void ShellOpenUrl(const QString &address)
{
    if (!IsSafeBrowserAddress(address)) {
        reportRefusal("not opening an address that is not an absolute http(s) address", address);
        return;
    }
    if (const BrowserLauncher &hook = launcherHook()) {
        hook(address);
        return;
    }
    if (!launchPlatformBrowser(address))
        reportRefusal("could not start the web browser for", address);
}

void setBrowserLauncherForTesting(BrowserLauncher launcher)
{
    launcherHook() = std::move(launcher);
}

QString LinkTarget(LinkCommand command)
{
    const SiteConfig &config = SiteConfig::compiledIn();
    switch (command) {
    case LinkCommand::Down1:
        return toQString(config.downloads[0].url);
    case LinkCommand::Down2:
        return toQString(config.downloads[1].url);
    case LinkCommand::Down3:
        return toQString(config.downloads[2].url);
    case LinkCommand::Inven:
        return toQString(config.invenUrl);
    case LinkCommand::Gong:
        return toQString(config.gongUrl);
    case LinkCommand::Naver:
        return toQString(config.naverUrl);
    }
    return {};
}

void OpenLink(LinkCommand command)
{
    ShellOpenUrl(LinkTarget(command));
}

QString DownloadCaption(int index)
{
    const auto &downloads = SiteConfig::compiledIn().downloads;
    if (index < 0 || std::size_t(index) >= downloads.size())
        return {};
    return toQString(downloads[std::size_t(index)].caption);
}

} // namespace thornvale
