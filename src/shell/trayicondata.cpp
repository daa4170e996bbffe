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

// Converts one whole fixed-width field. When the bytes do not fit, they end after the last whole
// character that fits, so the shell never sees half of a double-byte character. Where that is is
// found by converting the field character by character; what is written is always the start of
// the whole conversion, and an encoder that converts a character alone differently from within
// the field gets no further than where the two last agreed.
void putText(std::array<std::uint8_t, tray::kAnsiSize> &out, std::size_t offset, std::size_t width,
             std::u16string_view field, const AnsiEncoder &encode)
{
    const std::string bytes = encode(field);
    std::size_t keep = bytes.size();
    if (keep > width) {
        keep = 0;
        std::size_t i = 0;
        while (i < field.size()) {
            const bool pair = QChar::isHighSurrogate(field[i]) && i + 1 < field.size() &&
                              QChar::isLowSurrogate(field[i + 1]);
            const std::size_t units = pair ? 2 : 1;
            const std::string one = encode(field.substr(i, units));
            if (keep + one.size() > width || bytes.compare(keep, one.size(), one) != 0)
                break;
            keep += one.size();
            i += units;
        }
    }
    std::copy_n(bytes.begin(), keep, out.begin() + std::ptrdiff_t(offset));
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
    // A lone surrogate is no character, and like any character the code page lacks it becomes
    // '?'. ICU does that for one inside the text but holds one at the very end back for a low
    // half that never comes and Qt never flushes, so that it would vanish from a field cut
    // character by character; U+FFFD, which the code page also lacks, takes its place first.
    std::u16string cleaned(text);
    for (std::size_t i = 0; i < cleaned.size(); ++i) {
        if (QChar::isHighSurrogate(cleaned[i]) && i + 1 < cleaned.size() && QChar::isLowSurrogate(cleaned[i + 1]))
            ++i;
        else if (QChar::isSurrogate(cleaned[i]))
            cleaned[i] = u'\uFFFD';
    }
    // The Windows table, as the fetcher reads pages: ICU's "CP949" is another vendor's 949, with
    // other bytes for the backslash and some controls and a filler for most Hangul syllables
    // outside KS X 1001.
    QStringEncoder encoder("windows-949", QStringConverter::Flag::Stateless);
    const QByteArray bytes = encoder.encode(QStringView(cleaned));
    return std::string(bytes.constData(), std::size_t(bytes.size()));
}

std::u16string FieldText(const char16_t *field, std::size_t width)
{
    const char16_t *end = std::find(field, field + width, u'\0');
    return std::u16string(field, end);
}

} // namespace thornvale
