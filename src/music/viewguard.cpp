#include "music/viewguard.h"

#include "music/clipboardguard.h"
#include "music/musicpage.h"

#include <QAction>
#include <QChildEvent>
#include <QColorDialog>
#include <QHelpEvent>
#include <QPointer>
#include <QTextBoundaryFinder>
#include <QToolTip>
#include <QWebEnginePage>
#include <QWebEngineView>

namespace thornvale {

namespace {

// Enough for any honest title; Qt lays a tooltip out in the program's own thread, so a long one
// (or a table) stalls the window at every hover.
constexpr qsizetype MaxToolTipChars = 300;
constexpr qsizetype MaxToolTipLines = 12;
constexpr char16_t kEllipsis = u'\u2026';

// The start of the last whole character (grapheme) that ends at or before limit.
qsizetype characterCut(const QString &text, qsizetype limit)
{
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    finder.setPosition(limit);
    if (finder.isAtBoundary())
        return limit;
    const qsizetype cut = finder.toPreviousBoundary();
    return cut < 0 ? 0 : cut;
}

class ViewGuard final : public QObject {
public:
    explicit ViewGuard(QWebEngineView *view)
        : QObject(view)
        , m_view(view)
    {
        view->installEventFilter(this);
        // The engine's own menu offers Save page (which makes ~/Downloads), View source and Open
        // in new window; a music page is only played, so the menu is the page's history and Copy.
        view->setContextMenuPolicy(Qt::ActionsContextMenu);
        for (const QWebEnginePage::WebAction action :
            { QWebEnginePage::Back, QWebEnginePage::Forward, QWebEnginePage::Reload, QWebEnginePage::Copy })
            view->addAction(view->page()->action(action));
        // The user's own Copy, from this menu or the engine's key binding.
        ClipboardGuard::instance()->trust(view->page()->action(QWebEnginePage::Copy));
        ClipboardGuard::instance()->trust(view->page()->action(QWebEnginePage::Cut));
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched != m_view) {
            // A dialog of the view's (below), just before it would map its window. QColorDialog
            // clears the attribute as it opens, and again as it closes; a modal window Qt never
            // showed would then stay in Qt's list of modal windows after it is gone, so it opens
            // without modality: nobody sees it, nothing needs to wait for it.
            if (event->type() == QEvent::Show) {
                auto *dialog = static_cast<QWidget *>(watched);
                dialog->setWindowModality(Qt::NonModal);
                dialog->setAttribute(Qt::WA_DontShowOnScreen);
            }
            return false;
        }
        switch (event->type()) {
        case QEvent::ToolTipChange:
            // The view takes the page's tooltip as it comes; what it stores is rewritten at once, so
            // that no other reader of toolTip() meets the page's markup either.
            if (const QString text = m_view->toolTip(); !text.isEmpty() && text != m_shown) {
                m_shown = plainToolTip(text);
                m_view->setToolTip(m_shown);
            }
            return false;
        case QEvent::ToolTip:
            // Shown here rather than by QWidget, whose rule might change: the text is the rewritten
            // one or nothing.
            if (m_view->toolTip().isEmpty() || m_view->toolTip() != m_shown) {
                QToolTip::hideText();
            } else {
                QToolTip::showText(static_cast<QHelpEvent *>(event)->globalPos(), m_shown, m_view);
            }
            return true;
        case QEvent::ChildAdded:
            refuseDialog(static_cast<QChildEvent *>(event)->child());
            return false;
        default:
            return false;
        }
    }

private:
    // Qt 6.4 gives no hook for <input type=color>: the view makes a QColorDialog as its child and
    // opens it at once, modal, taking the focus. It is announced here while it is still being
    // built, before it opens, so it can only be kept off the screen now and refused a turn later.
    void refuseDialog(QObject *child)
    {
        if (!child->isWidgetType())
            return;
        auto *widget = static_cast<QWidget *>(child);
        if (widget->windowType() != Qt::Dialog)
            return;
        // Set now, it keeps the platform's own colour chooser out, which QColorDialog would
        // otherwise use; set again when it shows, it keeps Qt's own off the screen.
        widget->setAttribute(Qt::WA_DontShowOnScreen);
        widget->installEventFilter(this);
        QMetaObject::invokeMethod(
            this,
            [dialog = QPointer<QWidget>(widget)] {
                // Any other dialog the engine makes for a page is refused the same way; it is already
                // off the screen, and a modal dialog nobody sees would hold the window.
                auto *refused = qobject_cast<QDialog *>(dialog.data());
                if (!refused)
                    return;
                auto *colour = qobject_cast<QColorDialog *>(refused);
                if (colour)
                    colour->setOption(QColorDialog::DontUseNativeDialog);
                refused->reject();
                reportRefusal(colour ? QStringLiteral("a music page was not shown a colour chooser")
                                     : QStringLiteral("a music page was not shown a dialog"));
            },
            Qt::QueuedConnection);
    }

    QWebEngineView *m_view;
    QString m_shown;
};

} // namespace

QString plainToolTip(const QString &pageText)
{
    QString text = pageText;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    bool cut = false;
    if (text.size() > MaxToolTipChars) {
        text.truncate(characterCut(text, MaxToolTipChars));
        cut = true;
    }
    if (qsizetype newlines = 0; text.count(u'\n') >= MaxToolTipLines) {
        for (qsizetype i = 0; i < text.size(); ++i) {
            if (text.at(i) == u'\n' && ++newlines == MaxToolTipLines) {
                text.truncate(i);
                cut = true;
                break;
            }
        }
    }
    if (cut)
        text += kEllipsis;
    // Markup of the program's own around the escaped text: Qt shows it as rich text, so every
    // character reads as itself, and pre-wrap keeps the page's line breaks.
    return QStringLiteral("<p style='white-space:pre-wrap'>") + text.toHtmlEscaped() + QStringLiteral("</p>");
}

void guardView(QWebEngineView *view)
{
    new ViewGuard(view);
}

} // namespace thornvale
