#pragma once

// The notification-area service behind TrayMode: the shell's Shell_NotifyIconW on Windows
// (traymode_win.cpp), QSystemTrayIcon elsewhere (traybackend_qt.cpp).

#include "shell/trayicondata.h"

#include <QIcon>

#include <cstdint>
#include <functional>
#include <memory>

class QObject;
class QWidget;

namespace thornvale::detail {

class TrayBackend {
public:
    virtual ~TrayBackend() = default;
    // Whether this desktop has a notification area at all, asked before the window goes.
    virtual bool available() const = 0;
    // Fills record for tray mode with the platform's handles and adds the icon, which shows the
    // record's balloon once. False when there is no notification area or it refused the icon.
    virtual bool add(TrayIconData &record, const QIcon &icon) = 0;
    // Removes the icon of record's (window, id) pair; harmless when there is none.
    virtual void remove(TrayIconData &record) = 0;
};

// onMessage gets the mouse message of every notification (the WM_* number, as the shell sends it).
// Objects the backend creates are children of owner.
std::unique_ptr<TrayBackend> CreateTrayBackend(
    QWidget *receiverP, QObject *owner, std::function<void(std::int32_t)> onMessage);

} // namespace thornvale::detail
