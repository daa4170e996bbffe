#include "music/clipboardguard.h"

#include "music/musicpage.h"

#include <QAction>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPointer>
#include <QWebEngineView>

#include <algorithm>

namespace thornvale {

namespace {

// The engine writes the clipboard a round trip to the page's process after the user's Copy; on a
// loaded machine that can take a good part of a second.
constexpr qint64 kViewCopyMs = 2000;
// What is kept of one format to put back; a larger one (a whole picture, say) is left out
// rather than held in memory on every change.
constexpr qsizetype kMaxKeptFormatBytes = qsizetype(16) << 20;

bool isCopyOrCut(const QKeyEvent *key)
{
    return key->matches(QKeySequence::Copy) || key->matches(QKeySequence::Cut);
}

// The Copy and Cut entries of Qt's own context menus, and the program's actions bound to the
// Copy or Cut keys (the result list's row copy).
bool isCopyEntry(const QAction *action)
{
    if (!action)
        return false;
    if (action->objectName() == u"edit-copy" || action->objectName() == u"edit-cut")
        return true;
    const QList<QKeySequence> keys = action->shortcuts();
    return std::any_of(keys.begin(), keys.end(), [](const QKeySequence &key) {
        return QKeySequence::keyBindings(QKeySequence::Copy).contains(key)
            || QKeySequence::keyBindings(QKeySequence::Cut).contains(key);
    });
}

bool sameData(const QMimeData *a, const QMimeData *b)
{
    if (!a || !b)
        return a == b;
    const QStringList formats = a->formats();
    if (formats != b->formats())
        return false;
    return std::all_of(formats.begin(), formats.end(),
        [&](const QString &format) { return a->data(format) == b->data(format); });
}

} // namespace

ClipboardGuard *ClipboardGuard::instance()
{
    static QPointer<ClipboardGuard> guard;
    if (!guard)
        guard = new ClipboardGuard;
    return guard;
}

ClipboardGuard::ClipboardGuard()
    : QObject(QCoreApplication::instance())
{
    keep();
    connect(QGuiApplication::clipboard(), &QClipboard::changed, this, &ClipboardGuard::changed);
    qApp->installEventFilter(this);
}

ClipboardGuard::~ClipboardGuard()
{
    // Gone with the application object, which no longer answers to its name by then.
    if (QCoreApplication *app = QCoreApplication::instance())
        app->removeEventFilter(this);
}

void ClipboardGuard::trust(QAction *action)
{
    connect(action, &QAction::triggered, this, [this] { m_sinceViewCopy.start(); });
}

bool ClipboardGuard::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::ShortcutOverride:
    case QEvent::KeyPress: {
        const auto *key = static_cast<QKeyEvent *>(event);
        const auto *menu = qobject_cast<QMenu *>(watched);
        const bool choice = menu
            && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter || key->key() == Qt::Key_Space);
        if (isCopyOrCut(key) || (choice && isCopyEntry(menu->activeAction())))
            userCopies(watched);
        break;
    }
    case QEvent::MouseButtonRelease:
        if (const auto *menu = qobject_cast<QMenu *>(watched); menu && isCopyEntry(menu->activeAction()))
            userCopies(watched);
        break;
    default:
        break;
    }
    return false;
}

void ClipboardGuard::userCopies(const QObject *target)
{
    for (const QObject *o = target; o; o = o->parent()) {
        if (qobject_cast<const QWebEngineView *>(o)) {
            m_sinceViewCopy.start();
            return;
        }
    }
    // A widget of the program copies while this event is handled; the flag goes with the turn.
    if (!m_userCopying) {
        m_userCopying = true;
        QMetaObject::invokeMethod(
            this, [this] { m_userCopying = false; }, Qt::QueuedConnection);
    }
}

bool ClipboardGuard::userCopiedJustNow() const
{
    return m_userCopying || (m_sinceViewCopy.isValid() && m_sinceViewCopy.elapsed() < kViewCopyMs);
}

void ClipboardGuard::changed(QClipboard::Mode mode)
{
    // The selection is what the user selected last, in a page as anywhere else; it is not the
    // clipboard that Ctrl+V pastes.
    if (mode != QClipboard::Clipboard || m_puttingBack)
        return;
    const QClipboard *clipboard = QGuiApplication::clipboard();
    if (!clipboard->ownsClipboard() || userCopiedJustNow()) {
        keep();
        return;
    }
    // Our own putting back, announced late by a platform that reports changes asynchronously.
    if (sameData(clipboard->mimeData(), m_kept.get()))
        return;
    // Not from inside the change notice: the platform is still setting the data.
    QMetaObject::invokeMethod(this, &ClipboardGuard::putBack, Qt::QueuedConnection);
}

void ClipboardGuard::keep()
{
    auto kept = std::make_unique<QMimeData>();
    if (const QMimeData *now = QGuiApplication::clipboard()->mimeData()) {
        for (const QString &format : now->formats()) {
            const QByteArray data = now->data(format);
            if (data.size() <= kMaxKeptFormatBytes)
                kept->setData(format, data);
        }
    }
    m_kept = std::move(kept);
}

void ClipboardGuard::putBack()
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    if (!clipboard->ownsClipboard() || sameData(clipboard->mimeData(), m_kept.get()))
        return;
    m_puttingBack = true;
    if (m_kept->formats().isEmpty()) {
        clipboard->clear();
    } else {
        auto copy = std::make_unique<QMimeData>();
        for (const QString &format : m_kept->formats())
            copy->setData(format, m_kept->data(format));
        clipboard->setMimeData(copy.release());
    }
    m_puttingBack = false;
    reportRefusal(QStringLiteral("a music page's write to the clipboard was undone"));
}

} // namespace thornvale
