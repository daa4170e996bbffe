// PackAnsi with EncodeCp949: every number little-endian at its offset; every text field is the
// start of its whole conversion, ends on a character boundary of code page 949 (read by the
// lead/trail byte structure, not by the converter), holds as many characters as fit, and is zero
// after the cut. The conversion of a field is the conversions of its characters one after the
// other, so cutting character by character can keep the start of the whole.
//
// Input: UTF-16LE code units, twelve for six numbers, then the tip, the balloon text and the
// balloon title in turn, so lone surrogates, NULs and Hangul meet the cut.

#include "fuzzsupport.h"

#include "shell/trayicondata.h"

#include <QChar>

#include <algorithm>
#include <unordered_map>

using namespace thornvale;
using namespace thornvale::fuzz;

namespace {

using Packed = std::array<std::uint8_t, tray::kAnsiSize>;

template <std::size_t N>
std::u16string_view fill(std::array<char16_t, N> &field, std::u16string_view &units)
{
    const std::size_t n = std::min(N, units.size());
    std::copy_n(units.begin(), n, field.begin());
    units.remove_prefix(n);
    return {field.data(), N};
}

// Where the characters of code page 949 bytes end: a lead byte 0x81 to 0xFE takes the next byte
// with it, any other byte stands alone.
std::vector<std::size_t> characterEnds(const std::string &bytes)
{
    std::vector<std::size_t> ends;
    for (std::size_t i = 0; i < bytes.size();) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        i += (b >= 0x81 && b <= 0xFE && i + 1 < bytes.size()) ? 2 : 1;
        ends.push_back(i);
    }
    return ends;
}

void checkField(const Packed &packed, std::size_t offset, std::size_t width, std::u16string_view field)
{
    const std::string whole = EncodeCp949(field);

    // A character converts the same every time (the encoder starts afresh on every call), so its
    // bytes are kept: a field is hundreds of characters, and converting each anew every run
    // would cost most of the run.
    static std::unordered_map<char32_t, std::string> known;
    std::string pieceByPiece;
    for (std::size_t i = 0; i < field.size();) {
        const bool pair = QChar::isHighSurrogate(field[i]) && i + 1 < field.size() &&
                          QChar::isLowSurrogate(field[i + 1]);
        const std::size_t units = pair ? 2 : 1;
        const char32_t key = pair ? QChar::surrogateToUcs4(field[i], field[i + 1]) : char32_t(field[i]);
        auto it = known.find(key);
        if (it == known.end())
            it = known.emplace(key, EncodeCp949(field.substr(i, units))).first;
        pieceByPiece += it->second;
        i += units;
    }
    check(pieceByPiece == whole, "a field converts the same whole and character by character");

    const std::string kept(reinterpret_cast<const char *>(packed.data() + offset), width);
    if (whole.size() <= width) {
        check(kept == whole + std::string(width - whole.size(), '\0'), "a field that fits is kept whole");
        return;
    }
    // The cut is the longest run of whole characters that fits; what follows it is zero.
    const std::vector<std::size_t> ends = characterEnds(whole);
    std::size_t cut = 0;
    for (const std::size_t end : ends) {
        if (end > width)
            break;
        cut = end;
    }
    check(kept == whole.substr(0, cut) + std::string(width - cut, '\0'),
          "a long field keeps the whole characters that fit, then zeros");
}

std::uint32_t u32At(const Packed &p, std::size_t offset)
{
    return std::uint32_t(p[offset]) | std::uint32_t(p[offset + 1]) << 8 | std::uint32_t(p[offset + 2]) << 16 |
           std::uint32_t(p[offset + 3]) << 24;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::u16string input = Utf16Units(data, size);
    std::u16string_view units = input;

    TrayIconData record;
    auto number = [&](std::size_t k) {
        return k + 1 < input.size() ? std::uint32_t(input[k]) | std::uint32_t(input[k + 1]) << 16 : 0u;
    };
    record.cbSize = number(0);
    record.hWnd = number(2);
    record.uFlags = number(4);
    record.dwState = number(6);
    record.uTimeout = number(8);
    record.dwInfoFlags = number(10);
    units.remove_prefix(std::min<std::size_t>(12, units.size()));
    const std::u16string_view tip = fill(record.szTip, units);
    const std::u16string_view info = fill(record.szInfo, units);
    const std::u16string_view title = fill(record.szInfoTitle, units);

    const Packed packed = PackAnsi(record, EncodeCp949);
    check(u32At(packed, tray::kOffCbSize) == record.cbSize && u32At(packed, tray::kOffHWnd) == record.hWnd &&
              u32At(packed, tray::kOffUFlags) == record.uFlags && u32At(packed, tray::kOffState) == record.dwState &&
              u32At(packed, tray::kOffTimeout) == record.uTimeout &&
              u32At(packed, tray::kOffInfoFlags) == record.dwInfoFlags,
          "numbers little-endian at their offsets");
    checkField(packed, tray::kOffTip, tray::kTipBytes, tip);
    checkField(packed, tray::kOffInfo, tray::kInfoBytes, info);
    checkField(packed, tray::kOffInfoTitle, tray::kInfoTitleBytes, title);
    return 0;
}
