#include "music/musicpage.h"

#include "qtbridge/qtbridge.h"

#include <QAuthenticator>
#include <QCoreApplication>
#include <QMetaEnum>
#include <QWebEngineCertificateError>
#include <QWebEngineClientCertificateSelection>
#include <QWebEngineDownloadRequest>
#include <QWebEngineFileSystemAccessRequest>
#include <QWebEngineFullScreenRequest>
#include <QWebEngineLoadingInfo>
#include <QWebEngineProfile>
#include <QWebEngineQuotaRequest>
#include <QWebEngineRegisterProtocolHandlerRequest>
#include <QWebEngineSettings>

namespace thornvale {

namespace {

constexpr int MaxRefusalLines = 20;
// Enough to tell one address from another; a data: address can run to megabytes.
constexpr qsizetype MaxShownAddress = 120;

// The web, and the two empty documents a page's frames start from.
bool isWebAddress(const QUrl &url)
{
    const QString scheme = url.scheme();
    if (scheme == u"http" || scheme == u"https")
        return true;
    return scheme == u"about" && (url.path() == u"blank" || url.path() == u"srcdoc");
}

QString originOf(const QUrl &url)
{
    return describeAddress(url.adjusted(QUrl::RemovePath | QUrl::RemoveQuery | QUrl::RemoveFragment));
}

// Qt 6.4 asks the before-unload question through javaScriptConfirm, in this text.
bool isLeaveQuestion(const QString &msg)
{
    return msg
        == QCoreApplication::translate("QWebEnginePage",
            "Are you sure you want to leave this page? Changes that you made may not be saved.");
}

} // namespace

void reportRefusal(const QString &what)
{
    static int written = 0;
    if (written >= MaxRefusalLines)
        return;
    ++written;
    const char *last = written == MaxRefusalLines ? "; later refusals are not reported" : "";
    qWarning("thornvale: %ls%s", qUtf16Printable(what), last);
}

QString describeAddress(const QUrl &url)
{
    QString text = QString::fromLatin1(url.toEncoded());
    if (text.size() > MaxShownAddress)
        text = text.left(MaxShownAddress) + QStringLiteral("...");
    return escaped(text);
}

MusicPage::MusicPage(QWebEngineProfile *profile, QObject *parent, WindowOpener opener)
    : QWebEnginePage(profile, parent)
    , m_opener(std::move(opener))
{
    QWebEngineSettings *s = settings();
    // Qt's default hands a scheme it does not know to the desktop when the user clicks, and
    // desktops register handlers for many; some of them run programs.
    s->setUnknownUrlSchemePolicy(QWebEngineSettings::DisallowUnknownUrlSchemes);
    s->setAttribute(QWebEngineSettings::FullScreenSupportEnabled, false);
    s->setAttribute(QWebEngineSettings::PlaybackRequiresUserGesture, false);

    // Refused unknown schemes never reach acceptNavigationRequest; their load stops instead.
    connect(this, &QWebEnginePage::loadingChanged, this, [this](const QWebEngineLoadingInfo &info) {
        const bool ended = info.status() == QWebEngineLoadingInfo::LoadStoppedStatus
            || info.status() == QWebEngineLoadingInfo::LoadFailedStatus;
        if (ended && !info.url().isEmpty() && !isWebAddress(info.url()) && info.url() != m_lastRefused)
            reportRefusal(QStringLiteral("a music page's link to %1 was not followed")
                              .arg(describeAddress(info.url())));
    });
    connect(this, &QWebEnginePage::featurePermissionRequested, this,
        [this](const QUrl &origin, QWebEnginePage::Feature feature) {
            setFeaturePermission(origin, feature, QWebEnginePage::PermissionDeniedByUser);
            const char *name = QMetaEnum::fromType<QWebEnginePage::Feature>().valueToKey(feature);
            reportRefusal(QStringLiteral("%1 was refused the permission %2")
                              .arg(originOf(origin), QLatin1StringView(name ? name : "?")));
        });
    connect(this, &QWebEnginePage::fullScreenRequested, this, [](QWebEngineFullScreenRequest request) {
        request.reject();
        reportRefusal(QStringLiteral("%1 was refused the full screen").arg(originOf(request.origin())));
    });
    QT_WARNING_PUSH
    QT_WARNING_DISABLE_DEPRECATED
    connect(this, &QWebEnginePage::quotaRequested, this, [](QWebEngineQuotaRequest request) {
        request.reject();
        reportRefusal(QStringLiteral("%1 was refused storage").arg(originOf(request.origin())));
    });
    QT_WARNING_POP
    connect(this, &QWebEnginePage::registerProtocolHandlerRequested, this,
        [](QWebEngineRegisterProtocolHandlerRequest request) {
            request.reject();
            reportRefusal(
                QStringLiteral("%1 was refused a protocol handler").arg(originOf(request.origin())));
        });
    connect(this, &QWebEnginePage::fileSystemAccessRequested, this,
        [](QWebEngineFileSystemAccessRequest request) {
            request.reject();
            reportRefusal(QStringLiteral("%1 was refused the file system").arg(originOf(request.origin())));
        });
    connect(this, &QWebEnginePage::selectClientCertificate, this,
        [](QWebEngineClientCertificateSelection selection) {
            selection.selectNone();
            reportRefusal(
                QStringLiteral("%1 was given no client certificate").arg(originOf(selection.host())));
        });
    // Refused outright, as a browser would before the user's say; the engine's own lines about it
    // are silenced (engineflags.h), so this is the only one.
    connect(this, &QWebEnginePage::certificateError, this, [](const QWebEngineCertificateError &error) {
        QWebEngineCertificateError refused = error;
        refused.rejectCertificate();
        reportRefusal(
            QStringLiteral("%1 has a certificate that was not accepted").arg(originOf(error.url())));
    });
    // An authenticator left empty cancels the request.
    connect(this, &QWebEnginePage::authenticationRequired, this, [](const QUrl &url, QAuthenticator *) {
        reportRefusal(QStringLiteral("%1 was given no password").arg(originOf(url)));
    });
    connect(this, &QWebEnginePage::proxyAuthenticationRequired, this,
        [](const QUrl &url, QAuthenticator *, const QString &) {
            reportRefusal(QStringLiteral("%1 was given no proxy password").arg(originOf(url)));
        });
}

MusicPage::~MusicPage() = default;

void MusicPage::guardProfile(QWebEngineProfile *profile)
{
    connect(profile, &QWebEngineProfile::downloadRequested, profile, [](QWebEngineDownloadRequest *download) {
        download->cancel();
        reportRefusal(QStringLiteral("a music page's download of %1 was cancelled")
                          .arg(describeAddress(download->url())));
    });
}

bool MusicPage::acceptNavigationRequest(const QUrl &url, NavigationType, bool)
{
    if (isWebAddress(url))
        return true;
    // Its load ends as stopped, which must not be reported a second time.
    m_lastRefused = url;
    reportRefusal(QStringLiteral("a music page's navigation to %1 was refused").arg(describeAddress(url)));
    return false;
}

QWebEnginePage *MusicPage::createWindow(WebWindowType)
{
    return m_opener ? m_opener() : nullptr;
}

void MusicPage::javaScriptAlert(const QUrl &securityOrigin, const QString &)
{
    reportRefusal(QStringLiteral("%1 was not shown an alert").arg(originOf(securityOrigin)));
}

bool MusicPage::javaScriptConfirm(const QUrl &securityOrigin, const QString &msg)
{
    // A page that asks to stay would keep every later music choice out.
    if (isLeaveQuestion(msg))
        return true;
    reportRefusal(QStringLiteral("%1 was not shown a question; answered no").arg(originOf(securityOrigin)));
    return false;
}

bool MusicPage::javaScriptPrompt(const QUrl &securityOrigin, const QString &, const QString &, QString *)
{
    reportRefusal(QStringLiteral("%1 was not shown a prompt; answered null").arg(originOf(securityOrigin)));
    return false;
}

void MusicPage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString &, int, const QString &)
{
    // Qt writes a page's console warnings and errors to stderr as they are; the page chooses them.
}

QStringList MusicPage::chooseFiles(FileSelectionMode, const QStringList &, const QStringList &)
{
    reportRefusal(QStringLiteral("%1 was not shown a file chooser").arg(originOf(url())));
    return {};
}

} // namespace thornvale
