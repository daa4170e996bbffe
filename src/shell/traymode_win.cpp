// The notification area through the shell's Shell_NotifyIconA, on Windows only. The record is
// packed into its 488-byte ANSI form with the system's ANSI code page; the shell posts every mouse
// message on the icon to the window of `P` as message 512 with the mouse message in the low word
// of lParam, which a native event filter picks up before Qt would take it for a mouse move.

#include "shell/traybackend_p.h"
#include "shell/traynotification.h"

#include <QAbstractNativeEventFilter>
#include <QByteArray>
#include <QCoreApplication>
#include <QImage>
#include <QPixmap>
#include <QPointer>
#include <QWidget>

#include <windows.h>
#include <shellapi.h>

#include <cstring>
#include <string>
#include <utility>

namespace thornvale::detail {

namespace {

std::string encodeAnsi(std::u16string_view text)
{
    if (text.empty())
        return {};
    static_assert(sizeof(wchar_t) == sizeof(char16_t));
    const auto *wide = reinterpret_cast<const wchar_t *>(text.data());
    const int length = int(text.size());
    const int bytes = WideCharToMultiByte(CP_ACP, 0, wide, length, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0)
        return {};
    std::string out(std::size_t(bytes), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide, length, out.data(), bytes, nullptr, nullptr);
    return out;
}

std::uint32_t readU32(const std::array<std::uint8_t, tray::kAnsiSize> &packed, std::size_t offset)
{
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < 4; ++i)
        v |= std::uint32_t(packed[offset + i]) << (8 * i);
    return v;
}

// Window and icon handles carry 32 significant bits on 64-bit Windows as well, which is what lets
// the 32-bit record hold them; they widen by sign extension.
template <typename Handle>
Handle widen(std::uint32_t handle)
{
    return reinterpret_cast<Handle>(static_cast<INT_PTR>(static_cast<std::int32_t>(handle)));
}

template <typename Handle>
std::uint32_t narrow(Handle handle)
{
    return static_cast<std::uint32_t>(reinterpret_cast<UINT_PTR>(handle));
}

// The 488-byte form is the 32-bit layout. A 32-bit build hands the same bytes to the shell; a
// 64-bit build copies them field by field into its own (wider) layout of the same version.
NOTIFYICONDATAA toNative(const std::array<std::uint8_t, tray::kAnsiSize> &packed)
{
    NOTIFYICONDATAA data{};
    data.cbSize = NOTIFYICONDATAA_V2_SIZE;
    data.hWnd = widen<HWND>(readU32(packed, tray::kOffHWnd));
    data.uID = readU32(packed, tray::kOffUID);
    data.uFlags = readU32(packed, tray::kOffUFlags);
    data.uCallbackMessage = readU32(packed, tray::kOffCallback);
    data.hIcon = widen<HICON>(readU32(packed, tray::kOffHIcon));
    std::memcpy(data.szTip, packed.data() + tray::kOffTip, tray::kTipBytes);
    data.dwState = readU32(packed, tray::kOffState);
    data.dwStateMask = readU32(packed, tray::kOffStateMask);
    std::memcpy(data.szInfo, packed.data() + tray::kOffInfo, tray::kInfoBytes);
    data.uTimeout = readU32(packed, tray::kOffTimeout);
    std::memcpy(data.szInfoTitle, packed.data() + tray::kOffInfoTitle, tray::kInfoTitleBytes);
    data.dwInfoFlags = readU32(packed, tray::kOffInfoFlags);
    return data;
}

bool notify(DWORD action, const TrayIconData &record)
{
    NOTIFYICONDATAA data = toNative(PackAnsi(record, encodeAnsi));
    return Shell_NotifyIconA(action, &data) != FALSE;
}

class NotificationFilter final : public QAbstractNativeEventFilter {
public:
    explicit NotificationFilter(std::function<void(std::int32_t)> onMessage)
        : m_onMessage(std::move(onMessage))
    {
    }

    // The window the icon was added for; nothing is picked up before.
    void setReceiver(HWND receiver) { m_receiver = receiver; }

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *) override
    {
        if (!m_receiver || eventType != "windows_generic_MSG")
            return false;
        const auto *msg = static_cast<const MSG *>(message);
        if (msg->hwnd != m_receiver || msg->message != tray::kCallbackMessage)
            return false;
        m_onMessage(std::int32_t(LOWORD(msg->lParam)));
        return true;
    }

private:
    HWND m_receiver = nullptr;
    std::function<void(std::int32_t)> m_onMessage;
};

class WinTrayBackend final : public TrayBackend {
public:
    WinTrayBackend(QWidget *receiverP, std::function<void(std::int32_t)> onMessage)
        : m_receiver(receiverP)
        , m_filter(std::move(onMessage))
    {
        QCoreApplication::instance()->installNativeEventFilter(&m_filter);
    }

    ~WinTrayBackend() override
    {
        if (QCoreApplication *app = QCoreApplication::instance())
            app->removeNativeEventFilter(&m_filter);
        if (m_icon)
            DestroyIcon(m_icon);
    }

    // The taskbar's notification area is part of every Windows desktop.
    bool available() const override { return true; }

    bool add(TrayIconData &record, const QIcon &icon) override
    {
        if (!m_receiver)
            return false;
        // winId() gives the invisible `P` a native window of its own to receive the messages.
        const HWND receiver = reinterpret_cast<HWND>(m_receiver->winId());
        m_filter.setReceiver(receiver);
        if (!m_icon) {
            const int side = GetSystemMetrics(SM_CXSMICON);
            m_icon = icon.pixmap(side, side).toImage().toHICON();
        }
        FillForTrayMode(record, narrow(receiver), narrow(m_icon));
        return notify(NIM_ADD, record);
    }

    void remove(TrayIconData &record) override { notify(NIM_DELETE, record); }

private:
    QPointer<QWidget> m_receiver;
    NotificationFilter m_filter;
    HICON m_icon = nullptr;
};

} // namespace

std::unique_ptr<TrayBackend> CreateTrayBackend(QWidget *receiverP, QObject *,
                                               std::function<void(std::int32_t)> onMessage)
{
    return std::make_unique<WinTrayBackend>(receiverP, std::move(onMessage));
}

} // namespace thornvale::detail
