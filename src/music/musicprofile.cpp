#include "music/musicprofile.h"

#include "music/musicpage.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestInfo>
#include <QWebEngineUrlRequestInterceptor>

#include <memory>

namespace thornvale {

namespace {

// Qt 6.4 sets no bound on what a page stores, and these two APIs are the ones a page can fill
// without a permission: hidden from every document, frames and pop-ups included, before the
// page's own scripts run. A dedicated worker still has them; nothing here reaches into workers.
constexpr char16_t kHideStorageSource[] = uR"((() => {
    for (const name of ['indexedDB', 'caches']) {
        try {
            Object.defineProperty(window, name, { value: undefined, writable: false, configurable: false });
        } catch (e) {}
    }
})();)";

// A service worker outlives its page and keeps its own storage; a music page needs none.
class ServiceWorkerRefusal final : public QWebEngineUrlRequestInterceptor {
public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;

    void interceptRequest(QWebEngineUrlRequestInfo &info) override
    {
        if (info.resourceType() != QWebEngineUrlRequestInfo::ResourceTypeServiceWorker)
            return;
        info.block(true);
        // Called on the engine's IO thread: the line is written from the main one.
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [url = info.requestUrl()] {
                reportRefusal(QStringLiteral("a music page was refused the service worker %1")
                                  .arg(describeAddress(url)));
            },
            Qt::QueuedConnection);
    }
};

// Sets an environment variable for as long as it lives, then puts back what was there.
class ScopedVariable final {
public:
    ScopedVariable(const char *name, const QByteArray &value)
        : m_name(name)
        , m_had(qEnvironmentVariableIsSet(name))
        , m_old(qgetenv(name))
    {
        qputenv(name, value);
    }
    ~ScopedVariable()
    {
        if (m_had)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }
    Q_DISABLE_COPY_MOVE(ScopedVariable)

private:
    const char *m_name;
    bool m_had;
    QByteArray m_old;
};

QTemporaryDir *s_folder = nullptr;
QWebEngineProfile *s_profile = nullptr;

void removeFolder()
{
    delete s_folder;
    s_folder = nullptr;
}

void dropProfile()
{
    delete s_profile;
    s_profile = nullptr;
}

} // namespace

QWebEngineProfile *musicProfile()
{
    if (s_profile)
        return s_profile;
    if (!s_folder) {
        // QTemporaryDir makes the folder 0700. Post routines run last registered first, and the
        // engine registers its teardown when the profile below starts it: the folder is removed
        // after the engine has let go of its files.
        auto folder
            = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/thornvale-music-XXXXXX"));
        if (!folder->isValid()) {
            qWarning("thornvale: music unavailable: no private temporary folder: %ls",
                qUtf16Printable(folder->errorString()));
            return nullptr;
        }
        s_folder = folder.release();
        qAddPostRoutine(removeFolder);
    }
    const QDir root(s_folder->path());

    // Named, so the engine keeps the page's storage on disk where these paths say; an unnamed
    // (off-the-record) profile keeps IndexedDB in the program's own memory, however much. Qt 6.4
    // takes no paths before the name: the constructor already makes a folder tree and a prefs file
    // under the user's data folder, so for its length that folder is the private one. (Where the
    // data folder is not read from the environment, as on Windows, this changes nothing.)
    QWebEngineProfile *profile = nullptr;
    {
        const ScopedVariable dataHome(
            "XDG_DATA_HOME", QFile::encodeName(root.filePath(QStringLiteral("data"))));
        profile = new QWebEngineProfile(QStringLiteral("music"));
    }
    // Registered after the engine's teardown, so run before it: the pages are gone by then.
    qAddPostRoutine(dropProfile);
    profile->setPersistentStoragePath(root.filePath(QStringLiteral("storage")));
    profile->setCachePath(root.filePath(QStringLiteral("cache")));
    profile->setDownloadPath(root.filePath(QStringLiteral("downloads")));
    profile->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);

    // Qt 6.4 lets this switch WebSQL off as well.
    profile->settings()->setAttribute(QWebEngineSettings::LocalStorageEnabled, false);
    profile->setUrlRequestInterceptor(new ServiceWorkerRefusal(profile));

    QWebEngineScript hideStorage;
    hideStorage.setName(QStringLiteral("thornvale-hide-storage"));
    hideStorage.setInjectionPoint(QWebEngineScript::DocumentCreation);
    hideStorage.setWorldId(QWebEngineScript::MainWorld);
    hideStorage.setRunsOnSubFrames(true);
    hideStorage.setSourceCode(QString::fromUtf16(kHideStorageSource));
    profile->scripts()->insert(hideStorage);

    MusicPage::guardProfile(profile);
    s_profile = profile;
    return s_profile;
}

} // namespace thornvale
