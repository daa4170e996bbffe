// The notification area through QSystemTrayIcon, for every platform but Windows. Qt reports
// clicks as activation reasons; they are turned back into the mouse messages the Windows shell
// would send, so the same handler decides.

#include "shell/traybackend_p.h"
#include "shell/traynotification.h"

#include "qtbridge/qtbridge.h"

#include <QPointer>
#include <QSystemTrayIcon>
#include <QWidget>

#include <utility>

namespace thornvale::detail {

namespace {

QString fieldString(const char16_t *field, std::size_t width)
{
    return toQString(FieldText(field, width));
}

std::int32_t messageFor(QSystemTrayIcon::ActivationReason reason)
{
    switch (reason) {
    case QSystemTrayIcon::Trigger:
    // A double click ends in a left-button release too.
    case QSystemTrayIcon::DoubleClick:
        return tray::kLeftButtonUp;
    case QSystemTrayIcon::Context:
        return tray::kRightButtonUp;
    case QSystemTrayIcon::MiddleClick:
        return tray::kMiddleButtonUp;
    case QSystemTrayIcon::Unknown:
        break;
    }
    return std::int32_t(tray::kCallbackMessage);
}

class QtTrayBackend final : public TrayBackend {
public:
    QtTrayBackend(QObject *owner, std::function<void(std::int32_t)> onMessage)
        : m_owner(owner)
        , m_onMessage(std::move(onMessage))
    {
    }

    ~QtTrayBackend() override { delete m_icon; }

    bool available() const override { return QSystemTrayIcon::isSystemTrayAvailable(); }

    bool add(TrayIconData &record, const QIcon &icon) override
    {
        // No native handles here; the record still carries everything the icon shows.
        FillForTrayMode(record, 0, 0);
        if (!available())
            return false;
        if (!m_icon) {
            m_icon = new QSystemTrayIcon(m_owner);
            QObject::connect(m_icon, &QSystemTrayIcon::activated, m_owner,
                [this](QSystemTrayIcon::ActivationReason reason) { m_onMessage(messageFor(reason)); });
        }
        m_icon->setIcon(icon);
        m_icon->setToolTip(fieldString(record.szTip.data(), record.szTip.size()));
        m_icon->show();
        if (!m_icon->isVisible())
            return false;
        m_icon->showMessage(fieldString(record.szInfoTitle.data(), record.szInfoTitle.size()),
            fieldString(record.szInfo.data(), record.szInfo.size()),
            record.dwInfoFlags == tray::kInfoIcon ? QSystemTrayIcon::Information : QSystemTrayIcon::NoIcon,
            int(record.uTimeout));
        return true;
    }

    void remove(TrayIconData &) override { delete m_icon; }

private:
    QObject *m_owner;
    std::function<void(std::int32_t)> m_onMessage;
    QPointer<QSystemTrayIcon> m_icon;
};

} // namespace

std::unique_ptr<TrayBackend> CreateTrayBackend(
    QWidget *, QObject *owner, std::function<void(std::int32_t)> onMessage)
{
    return std::make_unique<QtTrayBackend>(owner, std::move(onMessage));
}

} // namespace thornvale::detail
