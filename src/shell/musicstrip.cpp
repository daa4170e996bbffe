#include "shell/musicstrip.h"

#include "music/musicengine.h"
#include "shell/programicon.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QPluginLoader>
#include <QUrl>
#include <QWidget>

namespace thornvale {

namespace {

// The folders to look in for the module, first match wins. The tests' executables live away from
// the program, so they name the build tree's module folder themselves; nothing else sets this.
QStringList moduleFolders()
{
    const QString forced = qEnvironmentVariable("THORNVALE_MUSIC_MODULE_DIR");
    if (!forced.isEmpty())
        return { forced };
    // Beside the program in the build tree; under the library folder in an installed one.
    const QDir programDir(QCoreApplication::applicationDirPath());
    return { programDir.path(),
        QDir::cleanPath(programDir.filePath(QStringLiteral(THORNVALE_MUSIC_INSTALL_DIR))) };
}

QtMessageHandler previousHandler = nullptr;

// QtWebEngine loaded after the application object warns that it "seems to be initialized from a
// plugin" and asks for Qt::AA_ShareOpenGLContexts at start: the start-up cost this late load is
// there to avoid. The module registers the shared context itself before its first view, so the
// advice does not apply; that one line goes, everything else passes on.
void dropLateStartWarning(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtWarningMsg && message.contains(QLatin1StringView("initialized from a plugin")))
        return;
    previousHandler(type, context, message);
}

// The warning is written while the library loads; the filter is there for exactly that long.
class LateStartWarningFilter final {
public:
    LateStartWarningFilter() { previousHandler = qInstallMessageHandler(dropLateStartWarning); }
    ~LateStartWarningFilter() { qInstallMessageHandler(previousHandler); }
    Q_DISABLE_COPY_MOVE(LateStartWarningFilter)
};

} // namespace

MusicStrip::MusicStrip(QWidget *pic1)
    : QObject(pic1)
    , m_pic1(pic1)
{
}

MusicStrip::~MusicStrip() = default;

MusicEngine *MusicStrip::loadEngine()
{
    if (m_engine || m_loadTried)
        return m_engine;
    m_loadTried = true;

    const QString fileName = QStringLiteral(THORNVALE_MUSIC_MODULE);
    const QStringList folders = moduleFolders();
    QString path;
    for (const QString &folder : folders) {
        const QFileInfo candidate(QDir(folder), fileName);
        // Absolute: QPluginLoader looks for a relative name in Qt's plugin folders, not here.
        if (candidate.exists()) {
            path = candidate.absoluteFilePath();
            break;
        }
    }
    if (path.isEmpty()) {
        qWarning("thornvale: music unavailable: %ls not found in %ls", qUtf16Printable(fileName),
            qUtf16Printable(folders.join(QStringLiteral(", "))));
        return nullptr;
    }

    QPluginLoader loader(path);
    QObject *root = nullptr;
    {
        const LateStartWarningFilter filter;
        root = loader.instance();
    }
    if (!root) {
        qWarning("thornvale: music unavailable: %ls", qUtf16Printable(loader.errorString()));
        return nullptr;
    }
    m_engine = qobject_cast<MusicEngine *>(root);
    if (!m_engine)
        qWarning(
            "thornvale: music unavailable: %ls is not this program's music module", qUtf16Printable(path));
    return m_engine;
}

void MusicStrip::navigate(const QUrl &address)
{
    if (!m_view) {
        MusicEngine *engine = m_browserFailed ? nullptr : loadEngine();
        if (!engine)
            return;
        m_view = engine->createBrowser(m_pic1, ProgramIcon());
        // The engine has said why; a second try would meet the same machine.
        if (!m_view) {
            m_browserFailed = true;
            return;
        }
    }
    m_engine->navigate(m_view, address);
}

QList<QWidget *> MusicStrip::popups() const
{
    return m_engine ? m_engine->popups() : QList<QWidget *>();
}

void MusicStrip::closePopups()
{
    if (m_engine)
        m_engine->closePopups();
}

} // namespace thornvale
