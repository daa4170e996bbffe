#pragma once

// Links opened in the user's web browser: the three utility downloads, the three portal pages and
// the character page of the selected result row ("주소접속").

#include <QString>

#include <functional>

namespace thornvale {

// The Windows launch command: windir, "\explorer.exe", one space and the address in one pair of
// double quotes. An empty windir gives a path from the root of the current drive.
QString LaunchCommandLine(const QString &windir, const QString &address);

// True for an absolute http or https address with a host, no double quote and no control
// character. Anything else could break out of the quoted explorer argument or run something other
// than a browser, so it is never launched.
bool IsSafeBrowserAddress(const QString &address);

// Opens address in the default browser without waiting: on Windows explorer.exe started with
// LaunchCommandLine, elsewhere the desktop's URL handler. An address that fails
// IsSafeBrowserAddress, or a launch that fails, is reported as one line on stderr and nothing
// else happens. gourl_Click calls this with cell 6 of the selected row; with no row selected the
// window does not call it at all.
void ShellOpenUrl(const QString &address);

// Replaces the platform launch (after the safety check) so tests see what would open; an empty
// function restores the real launch.
using BrowserLauncher = std::function<void(const QString &address)>;
void setBrowserLauncherForTesting(BrowserLauncher launcher);

// The six menu items with a fixed target, in menu order.
enum class LinkCommand { Down1, Down2, Down3, Inven, Gong, Naver };

// The compiled-in target of a link command.
QString LinkTarget(LinkCommand command);
// Down1_Click ... naver_Click: ShellOpenUrl(LinkTarget(command)).
void OpenLink(LinkCommand command);
// Caption of utility 1, 2 or 3 (index 0 to 2) in the "유틸리티" menu.
QString DownloadCaption(int index);

} // namespace thornvale
