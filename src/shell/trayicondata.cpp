#include "shell/trayicondata.h"

#include <algorithm>

namespace thornvale {

namespace {

bool isHighSurrogate(char16_t unit)
{
    return unit >= 0xD800 && unit <= 0xDBFF;
}

bool isLowSurrogate(char16_t unit)
{
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

} // namespace

void FillForTrayMode(TrayIconData &record, std::uint32_t hwnd, std::uint32_t hicon)
{
    record.cbSize = tray::kRecordSize;
    record.hWnd = hwnd;
    record.uID = tray::kIconId;
    record.uFlags = tray::kFlags;
    record.hIcon = hicon;
    record.uCallbackMessage = tray::kCallbackMessage;

    // A fixed-length field: the text, its terminator, then the field padded with spaces.
    auto &info = record.szInfo;
    const std::size_t n = std::min(tray::kBalloonText.size(), info.size());
    std::copy_n(tray::kBalloonText.begin(), n, info.begin());
    if (n < info.size())
        info[n] = u'\0';
    std::fill(info.begin() + std::ptrdiff_t(std::min(n + 1, info.size())), info.end(), u' ');

    record.uTimeout = tray::kBalloonTimeoutMs;
    record.dwInfoFlags = tray::kInfoIcon;
}

void CopyWideField(std::u16string_view field, char16_t *dest, std::size_t destWidth)
{
    if (destWidth == 0)
        return;
    std::size_t keep = std::min(field.size(), destWidth - 1);
    // Half a character would reach the shell as a lone surrogate, so a pair the cut runs through
    // is left out whole.
    if (keep > 0 && keep < field.size() && isHighSurrogate(field[keep - 1]) && isLowSurrogate(field[keep]))
        --keep;
    std::copy_n(field.begin(), keep, dest);
    std::fill(dest + keep, dest + destWidth, u'\0');
}

std::u16string FieldText(const char16_t *field, std::size_t width)
{
    const char16_t *end = std::find(field, field + width, u'\0');
    return std::u16string(field, end);
}

} // namespace thornvale
