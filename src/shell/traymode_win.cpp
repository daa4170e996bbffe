// The notification area through the shell's Shell_NotifyIconW, on Windows only. The record goes
// over in the wide form, so the balloon reads the same whatever the system's ANSI code page; the
// shell hands every mouse message on the icon to the window of `P` as message 512 with the mouse
// message in the low word of lParam, which a subclass of that window picks up before Qt would take
// it for a mouse move.

#include "shell/traybackend_p.h"
#include "shell/traynotification.h"

#include <QImage>
#include <QPixmap>
#include <QPointer>
#include <QWidget>

// windows.h first, in a block of its own: the other two use its types.
#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#include <array>
#include <cstring>
#include <string_view>
#include <utility>

namespace thornvale::detail {

namespace {

// Window and icon handles carry 32 significant bits on 64-bit Windows as well, which is what lets
// the record's 32-bit fields hold them; they widen by sign extension.
template <typename Handle> Handle widen(std::uint32_t handle)
{
    return reinterpret_cast<Handle>(static_cast<INT_PTR>(static_cast<std::int32_t>(handle)));
}

template <typename Handle> std::uint32_t narrow(Handle handle)
{
    return static_cast<std::uint32_t>(reinterpret_cast<UINT_PTR>(handle));
}

#ifdef _WIN64
static_assert(tray::kRecordSize == NOTIFYICONDATAW_V2_SIZE);
#endif

// WCHAR is a 16-bit unit on Windows, so the record's text goes over unit for unit; it is cut in
// a char16_t buffer and copied in bytes, as the two types may not alias.
static_assert(sizeof(wchar_t) == sizeof(char16_t));

template <std::size_t N, std::size_t Width>
void copyText(const std::array<char16_t, N> &field, WCHAR (&dest)[Width])
{
    std::array<char16_t, Width> cut {};
    CopyWideField(std::u16string_view(field.data(), N), cut.data(), Width);
    std::memcpy(dest, cut.data(), sizeof dest);
}

NOTIFYICONDATAW toNative(const TrayIconData &record)
{
    NOTIFYICONDATAW data {};
    // The record's size is the 64-bit one; a 32-bit build gives the shell the size of its own
    // layout of the same version.
    data.cbSize = NOTIFYICONDATAW_V2_SIZE;
    data.hWnd = widen<HWND>(record.hWnd);
    data.uID = record.uID;
    data.uFlags = record.uFlags;
    data.uCallbackMessage = record.uCallbackMessage;
    data.hIcon = widen<HICON>(record.hIcon);
    copyText(record.szTip, data.szTip);
    data.dwState = record.dwState;
    data.dwStateMask = record.dwStateMask;
    copyText(record.szInfo, data.szInfo);
    data.uTimeout = record.uTimeout;
    copyText(record.szInfoTitle, data.szInfoTitle);
    data.dwInfoFlags = record.dwInfoFlags;
    return data;
}

bool notify(DWORD action, const TrayIconData &record)
{
    NOTIFYICONDATAW data = toNative(record);
    return Shell_NotifyIconW(action, &data) != FALSE;
}

class WinTrayBackend final : public TrayBackend {
public:
    WinTrayBackend(QWidget *receiverP, std::function<void(std::int32_t)> onMessage)
        : m_receiver(receiverP)
        , m_onMessage(std::move(onMessage))
    {
    }

    ~WinTrayBackend() override
    {
        if (m_hooked)
            RemoveWindowSubclass(m_hooked, &WinTrayBackend::hook, kHookId);
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
        // The shell may send the message rather than post it, and a sent mouse message reaches
        // only the window procedure, never Qt's event filters; so the window is subclassed.
        if (m_hooked != receiver) {
            if (m_hooked)
                RemoveWindowSubclass(m_hooked, &WinTrayBackend::hook, kHookId);
            m_hooked = SetWindowSubclass(
                           receiver, &WinTrayBackend::hook, kHookId, reinterpret_cast<DWORD_PTR>(this))
                ? receiver
                : nullptr;
        }
        if (!m_icon) {
            const int side = GetSystemMetrics(SM_CXSMICON);
            m_icon = icon.pixmap(side, side).toImage().toHICON();
        }
        FillForTrayMode(record, narrow(receiver), narrow(m_icon));
        return notify(NIM_ADD, record);
    }

    void remove(TrayIconData &record) override { notify(NIM_DELETE, record); }

private:
    static constexpr UINT_PTR kHookId = 0x7472; // any id unique to this hook on the window

    static LRESULT CALLBACK hook(
        HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR self)
    {
        if (message != tray::kCallbackMessage)
            return DefSubclassProc(window, message, wParam, lParam);
        reinterpret_cast<WinTrayBackend *>(self)->m_onMessage(std::int32_t(LOWORD(lParam)));
        return 0;
    }

    QPointer<QWidget> m_receiver;
    std::function<void(std::int32_t)> m_onMessage;
    HWND m_hooked = nullptr;
    HICON m_icon = nullptr;
};

} // namespace

std::unique_ptr<TrayBackend> CreateTrayBackend(
    QWidget *receiverP, QObject *, std::function<void(std::int32_t)> onMessage)
{
    return std::make_unique<WinTrayBackend>(receiverP, std::move(onMessage));
}

} // namespace thornvale::detail
