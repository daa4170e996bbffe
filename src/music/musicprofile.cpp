#include "music/musicprofile.h"

#include "music/musicpage.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestInfo>
#include <QWebEngineUrlRequestInterceptor>

namespace thornvale {

namespace {

constexpr int kHttpCacheBytes = 16 << 20;

// Qt 6.4 sets no bound on what a page stores, and these two APIs are the ones a page can fill
// without a permission: hidden from the page's documents before its own scripts run. This is a
// courtesy to honest pages, not the bound: workers, frames made by script and the pop-ups of
// window.open('') still have them, and what they store counts against the memory bound.
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

// A temporary folder that lives as long as its parent.
class ScratchFolder final : public QObject {
public:
    explicit ScratchFolder(QObject *parent)
        : QObject(parent)
        , m_dir(QDir::tempPath() + QStringLiteral("/thornvale-music-XXXXXX"))
    {
    }
    bool isValid() const { return m_dir.isValid(); }
    QString path() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
};

} // namespace

QWebEngineProfile *makeMusicProfile(QObject *parent)
{
    // Unnamed, so off the record. A named profile would keep IndexedDB and Blobs on disk, where
    // a page can fill the disk, and Qt 6.4 writes its prefs under the user's data folder before
    // any other path can be set.
    auto *profile = new QWebEngineProfile(parent);
    // Chromium makes a tree of empty folders for an off-the-record profile all the same, under
    // the user's data folder unless told otherwise: a private temporary one (mode 0700) instead,
    // which goes with the profile. Nothing is stored there.
    auto *folder = new ScratchFolder(profile);
    if (folder->isValid()) {
        profile->setPersistentStoragePath(folder->path() + QStringLiteral("/storage"));
        profile->setCachePath(folder->path() + QStringLiteral("/cache"));
    }
    // In memory too, off the record; Chromium's own bound for it is larger than a music page needs.
    profile->setHttpCacheMaximumSize(kHttpCacheBytes);
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
    return profile;
}

} // namespace thornvale
