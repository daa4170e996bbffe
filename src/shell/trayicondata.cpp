#include "shell/trayicondata.h"

#include <QString>
#include <QStringEncoder>

#include <algorithm>

namespace thornvale {

namespace {

void putU32(std::array<std::uint8_t, tray::kAnsiSize> &out, std::size_t offset, std::uint32_t v)
{
    for (std::size_t i = 0; i < 4; ++i)
        out[offset + i] = std::uint8_t(v >> (8 * i));
}

// Converts one whole fixed-width field. When the bytes do not fit, whole characters are taken
// until the next would overflow, so the shell never sees half of a double-byte character.
void putText(std::array<std::uint8_t, tray::kAnsiSize> &out, std::size_t offset, std::size_t width,
             std::u16string_view field, const AnsiEncoder &encode)
{
    std::string bytes = encode(field);
    if (bytes.size() > width) {
        bytes.clear();
        std::size_t i = 0;
        while (i < field.size()) {
            const bool pair = QChar::isHighSurrogate(field[i]) && i + 1 < field.size() &&
                              QChar::isLowSurrogate(field[i + 1]);
            const std::size_t units = pair ? 2 : 1;
            const std::string one = encode(field.substr(i, units));
            if (bytes.size() + one.size() > width)
                break;
            bytes += one;
            i += units;
        }
    }
    std::copy(bytes.begin(), bytes.end(), out.begin() + std::ptrdiff_t(offset));
}

template <std::size_t N>
std::u16string_view whole(const std::array<char16_t, N> &field)
{
    return {field.data(), N};
}

} // namespace

void FillForTrayMode(TrayIconData &record, std::uint32_t hwnd, std::uint32_t hicon)
{
    record.cbSize = tray::kAnsiSize;
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

std::array<std::uint8_t, tray::kAnsiSize> PackAnsi(const TrayIconData &record,
                                                   const AnsiEncoder &encode)
{
    std::array<std::uint8_t, tray::kAnsiSize> out{};
    putU32(out, tray::kOffCbSize, record.cbSize);
    putU32(out, tray::kOffHWnd, record.hWnd);
    putU32(out, tray::kOffUID, record.uID);
    putU32(out, tray::kOffUFlags, record.uFlags);
    putU32(out, tray::kOffCallback, record.uCallbackMessage);
    putU32(out, tray::kOffHIcon, record.hIcon);
    putText(out, tray::kOffTip, tray::kTipBytes, whole(record.szTip), encode);
    putU32(out, tray::kOffState, record.dwState);
    putU32(out, tray::kOffStateMask, record.dwStateMask);
    putText(out, tray::kOffInfo, tray::kInfoBytes, whole(record.szInfo), encode);
    putU32(out, tray::kOffTimeout, record.uTimeout);
    putText(out, tray::kOffInfoTitle, tray::kInfoTitleBytes, whole(record.szInfoTitle), encode);
    putU32(out, tray::kOffInfoFlags, record.dwInfoFlags);
    return out;
}

std::string EncodeCp949(std::u16string_view text)
{
    QStringEncoder encoder("CP949");
    const QByteArray bytes =
        encoder.encode(QStringView(reinterpret_cast<const QChar *>(text.data()), qsizetype(text.size())));
    return std::string(bytes.constData(), std::size_t(bytes.size()));
}

std::u16string FieldText(const char16_t *field, std::size_t width)
{
    const char16_t *end = std::find(field, field + width, u'\0');
    return std::u16string(field, end);
}

} // namespace thornvale
