#include "shell/musicstrip.h"

#include "music/musicengine.h"
#include "shell/links.h"
#include "shell/programicon.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFocusFrame>
#include <QKeyEvent>
#include <QPluginLoader>
#include <QUrl>
#include <QWidget>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace thornvale {

namespace {

// The folders to look in for the module, first match wins.
QStringList moduleFolders()
{
    // Beside the program in the build tree; under the library folder in an installed one.
    const QDir programDir(QCoreApplication::applicationDirPath());
    return { programDir.path(),
        QDir::cleanPath(programDir.filePath(QStringLiteral(THORNVALE_MUSIC_INSTALL_DIR))) };
}

bool runsAsRoot()
{
#ifdef _WIN32
    return false;
#else
    return ::geteuid() == 0;
#endif
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
    , m_focusFrame(new QFocusFrame(pic1->parentWidget()))
{
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) { markFocus(now); });
}

void MusicStrip::setTabNeighbours(QWidget *before, QWidget *after)
{
    m_before = before;
    m_after = after;
    QWidget::setTabOrder(before, m_pic1);
    QWidget::setTabOrder(m_pic1, after);
    adoptFocusProxy();
}

void MusicStrip::adoptFocusProxy()
{
    if (!m_view)
        return;
    QWidget *input = m_view->focusProxy() ? m_view->focusProxy() : m_view.data();
    if (input == m_input)
        return;
    const bool hadFocus = m_pic1->hasFocus() || (m_input && m_input->hasFocus());
    m_input = input;
    input->installEventFilter(this);
    input->setAccessibleName(m_pic1->accessibleName());
    // pic1 lies under the browser now: a stop there would be one nobody sees.
    if (m_pic1->focusPolicy() != Qt::NoFocus)
        m_pic1Policy = m_pic1->focusPolicy();
    m_pic1->setFocusPolicy(Qt::NoFocus);
    if (m_before)
        QWidget::setTabOrder(m_before, input);
    if (m_after)
        QWidget::setTabOrder(input, m_after);
    if (hadFocus)
        input->setFocus(Qt::OtherFocusReason);
}

void MusicStrip::markFocus(QWidget *now)
{
    // The frame follows the widget it is set on, shown whenever that is; so it is set only while
    // the strip has the focus.
    const bool inStrip = now && (now == m_pic1 || m_pic1->isAncestorOf(now));
    m_focusFrame->setWidget(inStrip ? m_pic1 : nullptr);
}

bool MusicStrip::eventFilter(QObject *watched, QEvent *event)
{
    if (QWidget *window = m_pic1->window(); watched == window && event->type() == QEvent::WinIdChange) {
        // The new native window is one the window manager has not seen the user choose: it maps
        // it without the keyboard. The user was typing in the old one, so it gets it back once.
        if (m_reactivate && window->internalWinId()) {
            m_reactivate = false;
            window->removeEventFilter(this);
            QMetaObject::invokeMethod(window, &QWidget::activateWindow, Qt::QueuedConnection);
        }
        return false;
    }
    if (watched == m_view && event->type() == QEvent::ChildAdded) {
        // The browser sets its focus proxy right after it has added the widget.
        QMetaObject::invokeMethod(this, &MusicStrip::adoptFocusProxy, Qt::QueuedConnection);
    } else if (watched == m_input && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const bool plain = !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
        QWidget *next = key->key() == Qt::Key_Tab ? m_after.data()
            : key->key() == Qt::Key_Backtab       ? m_before.data()
                                                  : nullptr;
        if (plain && next) {
            next->setFocus(key->key() == Qt::Key_Tab ? Qt::TabFocusReason : Qt::BacktabFocusReason);
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

MusicStrip::~MusicStrip() = default;

MusicEngine *MusicStrip::loadEngine()
{
    if (m_engine || m_loadTried)
        return m_engine;
    m_loadTried = true;

    const QString refusal = engineStartRefusal(runsAsRoot(),
        qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"), qgetenv("QTWEBENGINE_CHROMIUM_FLAGS"));
    if (!refusal.isEmpty()) {
        qWarning("thornvale: music unavailable: %ls", qUtf16Printable(refusal));
        return nullptr;
    }

    const QString fileName = QStringLiteral(THORNVALE_MUSIC_MODULE);
    const QStringList folders = m_moduleFolder.isEmpty() ? moduleFolders() : QStringList { m_moduleFolder };
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
#ifdef _WIN32
    // QtWebEngine does not build with MinGW, so Windows has no browser for the strip yet: the
    // page plays in the user's own browser, which takes http and https addresses alone.
    qWarning("thornvale: music plays in the web browser here: %ls",
        qUtf16Printable(address.toDisplayString(QUrl::FullyEncoded)));
    ShellOpenUrl(address.toString(QUrl::FullyEncoded));
    return;
#endif
    if (!m_view) {
        MusicEngine *engine = m_browserFailed ? nullptr : loadEngine();
        if (!engine)
            return;
        // The browser's GL surface makes Qt recreate the main window's native window, once.
        m_reactivate = !m_madeBrowser && m_pic1->window()->isActiveWindow();
        if (m_reactivate)
            m_pic1->window()->installEventFilter(this);
        m_view = engine->createBrowser(m_pic1, ProgramIcon());
        // The engine has said why; a second try would meet the same machine.
        if (!m_view) {
            m_browserFailed = true;
            m_reactivate = false;
            m_pic1->window()->removeEventFilter(this);
            return;
        }
        m_madeBrowser = true;
        m_view->setAccessibleName(m_pic1->accessibleName());
        m_view->installEventFilter(this);
        // Ended by the module: pic1 is the strip's tab stop again until the next browser.
        connect(m_view, &QObject::destroyed, this, [this] {
            m_pic1->setFocusPolicy(m_pic1Policy);
            if (m_before)
                QWidget::setTabOrder(m_before, m_pic1);
            if (m_after)
                QWidget::setTabOrder(m_pic1, m_after);
        });
        adoptFocusProxy();
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

QString engineStartRefusal(bool root, bool disableSandboxSet, QByteArrayView chromiumFlags)
{
    if (!root || disableSandboxSet)
        return {};
    // The engine splits its flags at spaces, and takes a switch with one dash or two, with or
    // without a value.
    for (const QByteArrayView flag : QByteArray(chromiumFlags.toByteArray()).split(' ')) {
        QByteArrayView name = flag.startsWith("--") ? flag.sliced(2)
            : flag.startsWith('-')                  ? flag.sliced(1)
                                                    : flag;
        if (const qsizetype equals = name.indexOf('='); equals >= 0)
            name = name.first(equals);
        if (name == "no-sandbox")
            return {};
    }
    return QStringLiteral("the browser engine does not run as root with its sandbox on; set "
                          "QTWEBENGINE_DISABLE_SANDBOX=1 to play music as root");
}

} // namespace thornvale
