#pragma once

// The tray icon record: the shell's NOTIFYICONDATA in the size of shell version 5, with its text
// in UTF-16 as the wide record holds it. The window keeps the record and copies it into the
// shell's own structure for every call.

#include <array>
#include <cstddef>
#include <cstdint>
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
    std::array<char16_t, 128> szTip {};
    std::uint32_t dwState = 0;
    std::uint32_t dwStateMask = 0;
    std::array<char16_t, 256> szInfo {};
    std::uint32_t uTimeout = 0;
    std::array<char16_t, 64> szInfoTitle {};
    std::uint32_t dwInfoFlags = 0;
};

namespace tray {
// The wide record of shell version 5 (NOTIFYICONDATAW_V2_SIZE) in its 64-bit layout.
inline constexpr std::uint32_t kRecordSize = 952;
inline constexpr std::uint32_t kIconId = 1;
inline constexpr std::uint32_t kFlags = 0x17; // NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_INFO
inline constexpr std::uint32_t kCallbackMessage = 0x200; // arrives as WM_MOUSEMOVE
inline constexpr std::uint32_t kBalloonTimeoutMs = 100000;
inline constexpr std::uint32_t kInfoIcon = 1; // NIIF_INFO
inline constexpr std::u16string_view kBalloonText = u"트레이모드가 시전되었습니다.";
} // namespace tray

// Stores what tray mode puts into the record: size, receiver window, id 1, the four flags, the
// callback message, the icon, the balloon text (then one NUL, then spaces to the field's end), the
// balloon time-out and the information icon. The tip, the state fields and the balloon title are
// left as they are (zero in a fresh record: no tooltip, no balloon title).
void FillForTrayMode(TrayIconData &record, std::uint32_t hwnd, std::uint32_t hicon);

// Copies a record's text field into a native field of destWidth units. The shell wants a NUL in
// the field's last unit at the latest, so the field is cut to destWidth - 1 units, one less when
// that would part a surrogate pair, and the NUL follows; the units after it are zero. Everything
// before the cut is copied as it stands, NULs and lone surrogates included.
void CopyWideField(std::u16string_view field, char16_t *dest, std::size_t destWidth);

// The balloon text of a record field: everything before its first NUL.
std::u16string FieldText(const char16_t *field, std::size_t width);

} // namespace thornvale
