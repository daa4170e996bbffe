#pragma once

// The clipboard is the user's. A music page may write it under a click of the user's (Chromium
// lets document.execCommand('copy') through on any user activation, whatever the settings say, and
// a page reaches it through frames of its own making), so the decision is taken here, in Qt: a
// change that the program's own process made is undone, and what the clipboard held comes back,
// unless it is the user's own Copy or Cut. The program's widgets copy while the user's key or
// menu choice is being handled; a music view's engine copies a moment later, so a Copy or Cut
// there counts for a short while. Another program's changes are always kept.

#include <QClipboard>
#include <QElapsedTimer>
#include <QObject>

#include <memory>

class QAction;
class QMimeData;

namespace thornvale {

class ClipboardGuard final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ClipboardGuard)

public:
    // The one guard of the process, made on the first call; the module makes it with the first
    // browser, before any page can write.
    static ClipboardGuard *instance();
    ~ClipboardGuard() override;

    // action, a music view's Copy or Cut, is the user's own when it is triggered: from the view's
    // context menu, or by a test.
    void trust(QAction *action);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    ClipboardGuard();
    void changed(QClipboard::Mode mode);
    void keep();
    void putBack();
    bool userCopiedJustNow() const;
    void userCopies(const QObject *target);

    QElapsedTimer m_sinceViewCopy; // the user's last Copy or Cut in a music view
    bool m_userCopying = false; // a Copy or Cut of the user's elsewhere, until the next turn
    std::unique_ptr<QMimeData> m_kept;
    bool m_puttingBack = false;
};

} // namespace thornvale
