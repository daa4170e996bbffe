#pragma once

// The page of every browser the module makes, the strip's and each Form2's. A music page is
// somebody else's web page: it may show itself and play, and nothing more. It cannot leave the web
// (no other scheme, no desktop handler), open a dialog, take a permission, a file, a download or
// the full screen, or write to the terminal; each refusal says so in one stderr line, within one
// budget for the whole process.

#include <QUrl>
#include <QWebEnginePage>

#include <functional>

class QWebEngineProfile;

namespace thornvale {

class MusicPage final : public QWebEnginePage {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MusicPage)

public:
    // Makes the window that one of the page's requests for a new window loads in, or refuses it
    // with nullptr.
    using WindowOpener = std::function<QWebEnginePage *()>;

    // Without an opener the page's own requests for new windows are not handled (a Form2's).
    MusicPage(QWebEngineProfile *profile, QObject *parent, WindowOpener opener = {});
    ~MusicPage() override;

    // The profile's downloads are cancelled, whichever page starts them. Called once, when the
    // profile is made.
    static void guardProfile(QWebEngineProfile *profile);

protected:
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override;
    QWebEnginePage *createWindow(WebWindowType type) override;
    void javaScriptAlert(const QUrl &securityOrigin, const QString &msg) override;
    bool javaScriptConfirm(const QUrl &securityOrigin, const QString &msg) override;
    bool javaScriptPrompt(const QUrl &securityOrigin, const QString &msg, const QString &defaultValue,
        QString *result) override;
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString &message, int lineNumber,
        const QString &sourceID) override;
    QStringList chooseFiles(
        FileSelectionMode mode, const QStringList &oldFiles, const QStringList &acceptedMimeTypes) override;

private:
    WindowOpener m_opener;
    QUrl m_lastRefused;
};

// One "thornvale: " line on stderr for something a music page was refused. The process writes 20
// such lines at most: a page that asks again and again must not flood the terminal or a log.
void reportRefusal(const QString &what);

// An address as a refusal line shows it: encoded, cut short, and free of controls.
QString describeAddress(const QUrl &url);

} // namespace thornvale
