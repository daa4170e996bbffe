#pragma once

// Links opened in the user's web browser: the three utility downloads, the three portal pages and
// the character page of the selected result row ("주소접속").

#include <QString>

#include <functional>

namespace thornvale {

// The Windows launch command: windir, "\explorer.exe", one space and the address in one pair of
// double quotes, split by the Windows argument rules into exactly that program and that address:
// backslashes that end the address are doubled so that the closing quote still closes. An empty
// windir gives a path from the root of the current drive.
QString LaunchCommandLine(const QString &windir, const QString &address);

// True for an absolute http or https address with a host, no double quote and no control
// character. Anything else could break out of the quoted explorer argument or run something other
// than a browser, so it is never launched.
bool IsSafeBrowserAddress(const QString &address);

// Starts a browser on an address that passed IsSafeBrowserAddress.
using BrowserLauncher = std::function<void(const QString &address)>;

// Opens address in the default browser without waiting: through `launch` when one is given (the
// window's tests record what would open), else on Windows explorer.exe started with
// LaunchCommandLine, elsewhere the desktop's URL handler. An address that fails
// IsSafeBrowserAddress, or a launch that fails, is reported as one line on stderr and nothing
// else happens.
void ShellOpenUrl(const QString &address, const BrowserLauncher &launch = {});

} // namespace thornvale
