#pragma once

// The tray icon record: the shell's NOTIFYICONDATA in the size of shell version 5, which is 488
// bytes in its ANSI (32-bit) form. The window keeps it as 16-bit text and packs it for every call.

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace thornvale {

struct TrayIconData {
    std::uint32_t cbSize = 0;
    std::uint32_t hWnd = 0;
    std::uint32_t uID = 0;
    std::uint32_t uFlags = 0;
    std::uint32_t uCallbackMessage = 0;
    std::uint32_t hIcon = 0;
    std::array<char16_t, 128> szTip{};
    std::uint32_t dwState = 0;
    std::uint32_t dwStateMask = 0;
    std::array<char16_t, 256> szInfo{};
    std::uint32_t uTimeout = 0;
    std::array<char16_t, 64> szInfoTitle{};
    std::uint32_t dwInfoFlags = 0;
};

namespace tray {
inline constexpr std::size_t kAnsiSize = 488;
inline constexpr std::uint32_t kIconId = 1;
inline constexpr std::uint32_t kFlags = 0x17; // NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_INFO
inline constexpr std::uint32_t kCallbackMessage = 0x200;      // arrives as WM_MOUSEMOVE
inline constexpr std::uint32_t kBalloonTimeoutMs = 100000;
inline constexpr std::uint32_t kInfoIcon = 1;                  // NIIF_INFO
inline constexpr std::u16string_view kBalloonText = u"트레이모드가 시전되었습니다.";

// Offsets of the ANSI form.
inline constexpr std::size_t kOffCbSize = 0, kOffHWnd = 4, kOffUID = 8, kOffUFlags = 12,
                             kOffCallback = 16, kOffHIcon = 20, kOffTip = 24, kOffState = 152,
                             kOffStateMask = 156, kOffInfo = 160, kOffTimeout = 416,
                             kOffInfoTitle = 420, kOffInfoFlags = 484;
inline constexpr std::size_t kTipBytes = 128, kInfoBytes = 256, kInfoTitleBytes = 64;
} // namespace tray

// Stores what tray mode puts into the record: size, receiver window, id 1, the four flags, the
// callback message, the icon, the balloon text (then one NUL, then spaces to the field's end), the
// balloon time-out and the information icon. The tip, the state fields and the balloon title are
// left as they are (zero in a fresh record: no tooltip, no balloon title).
void FillForTrayMode(TrayIconData &record, std::uint32_t hwnd, std::uint32_t hicon);

// Converts 16-bit text to the bytes of the system's ANSI code page.
using AnsiEncoder = std::function<std::string(std::u16string_view)>;

// The record in its 488-byte ANSI form, every number little-endian at its offset. Each text field
// is converted whole (terminator and fill included) and cut to the field's width in bytes; the cut
// keeps the start of that conversion and never splits a multi-byte character, the bytes after it
// stay zero.
std::array<std::uint8_t, tray::kAnsiSize> PackAnsi(const TrayIconData &record,
                                                   const AnsiEncoder &encode);

// Code page 949 as Windows has it, the ANSI code page of a Korean Windows; what PackAnsi uses
// away from Windows. A lone surrogate gives '?' like any character the code page lacks, wherever
// it stands, so a text converts the same whole as character by character.
std::string EncodeCp949(std::u16string_view text);

// The balloon text of a record field: everything before its first NUL.
std::u16string FieldText(const char16_t *field, std::size_t width);

} // namespace thornvale
