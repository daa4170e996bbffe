#pragma once

// Tray mode: `menu2` hides the main window behind a notification-area icon; releasing the left
// mouse button on the icon shows the window again. The icon stays until the window closes.

#include "shell/trayicondata.h"
#include "shell/traynotification.h"

#include <QObject>
#include <QPointer>

#include <memory>

class QWidget;

namespace thornvale {

namespace detail {
class TrayBackend;
}

class TrayMode final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TrayMode)

public:
    // window: the main window, hidden and shown again, whose icon becomes the tray icon.
    // receiverP: the invisible picture box `P`, whose native window receives the notifications
    // on Windows.
    TrayMode(QWidget *window, QWidget *receiverP, QObject *parent = nullptr);
    ~TrayMode() override;

    // menu2_Click. Hides the window and adds the icon with its one balloon. Entered again while
    // the icon is there, it only hides the window. On a desktop without a notification area the
    // window is left exactly as it is and unavailable() says so; when the area refuses the icon
    // the window is shown again. Either way there would be no way to bring it back.
    void enter();
    // Form_QueryUnload: removes the icon, whether or not tray mode was ever used.
    void removeIcon();
    bool iconShown() const { return m_iconShown; }

    // P_MouseMove, for a receiver that reports the notification as a mouse move (X in twips).
    void mouseMove(double xTwips, double twipsPerPixel);

    const TrayIconData &record() const { return m_record; }
    const TrayNotificationHandler &notifications() const { return m_handler; }

Q_SIGNALS:
    // The window was shown again from the icon.
    void restored();
    // Tray mode was asked for on a desktop that has no notification area.
    void unavailable();

private:
    void showWindow();

    QPointer<QWidget> m_window;
    TrayIconData m_record;
    TrayNotificationHandler m_handler;
    std::unique_ptr<detail::TrayBackend> m_backend;
    bool m_iconShown = false;
};

} // namespace thornvale
