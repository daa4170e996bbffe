#include "shell/traymode.h"

#include "shell/traybackend_p.h"

#include <QWidget>

namespace thornvale {

TrayMode::TrayMode(QWidget *window, QWidget *receiverP, QObject *parent)
    : QObject(parent)
    , m_window(window)
    , m_handler([this] { showWindow(); })
    , m_backend(detail::CreateTrayBackend(
          receiverP, this, [this](std::int32_t message) { m_handler.message(message); }))
{
}

TrayMode::~TrayMode()
{
    // An icon left behind would stay in the notification area until the pointer crosses it.
    if (m_iconShown)
        m_backend->remove(m_record);
}

void TrayMode::enter()
{
    if (!m_window)
        return;
    if (!m_iconShown && !m_backend->available()) {
        qWarning("thornvale: no notification area on this desktop; tray mode is not available");
        Q_EMIT unavailable();
        return;
    }
    m_window->hide();
    // The shell refuses a second icon for the same window and id, and with it the balloon, so the
    // first icon keeps serving.
    if (m_iconShown)
        return;
    m_iconShown = m_backend->add(m_record, m_window->windowIcon());
    if (!m_iconShown)
        m_window->show();
}

void TrayMode::removeIcon()
{
    m_backend->remove(m_record);
    m_iconShown = false;
}

void TrayMode::mouseMove(double xTwips, double twipsPerPixel)
{
    m_handler.mouseMove(xTwips, twipsPerPixel);
}

void TrayMode::showWindow()
{
    if (!m_window)
        return;
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
    Q_EMIT restored();
}

} // namespace thornvale
