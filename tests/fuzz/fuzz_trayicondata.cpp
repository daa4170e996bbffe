// CopyWideField: the native field always ends in a NUL within its width, holds a prefix of the
// record's field, as long as fits but for a surrogate pair the cut would part, never half of such
// a pair, and zeros after it; nothing past the width is written.
//
// Input: two bytes for the native field's width (1 to 320, past the widest field the record has),
// then UTF-16LE code units for the record's field, so lone surrogates, pairs and NULs meet the cut.

#include "fuzzsupport.h"

#include "shell/trayicondata.h"

#include <algorithm>

using namespace thornvale;
using namespace thornvale::fuzz;

namespace {

constexpr char16_t kUnwritten = u'#';

bool isHigh(char16_t unit)
{
    return unit >= 0xD800 && unit <= 0xDBFF;
}

bool isLow(char16_t unit)
{
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 2)
        return 0;
    const std::size_t width = 1 + std::size_t(data[0] | data[1] << 8) % 320;
    const std::u16string field = Utf16Units(data + 2, size - 2);

    std::u16string dest(width + 1, kUnwritten);
    CopyWideField(field, dest.data(), width);

    check(dest[width] == kUnwritten, "nothing written past the width");
    check(dest[width - 1] == u'\0', "the last unit is a NUL");

    // How much of the field the native one starts with. The field may hold NULs of its own, so a
    // kept NUL and the fill cannot be told apart; the longest common start is what is measured.
    const auto [fieldEnd, destEnd]
        = std::mismatch(field.begin(), field.end(), dest.begin(), dest.begin() + std::ptrdiff_t(width - 1));
    const auto kept = std::size_t(fieldEnd - field.begin());
    check(std::all_of(destEnd, dest.begin() + std::ptrdiff_t(width), [](char16_t u) { return u == u'\0'; }),
        "the start of the field, then zeros");
    const bool parted = kept > 0 && kept < field.size() && isHigh(field[kept - 1]) && isLow(field[kept]);
    check(!parted, "no surrogate pair parted");
    const std::size_t fits = std::min(field.size(), width - 1);
    const bool pairAtCut
        = kept + 1 == fits && fits < field.size() && isHigh(field[kept]) && isLow(field[kept + 1]);
    check(kept == fits || pairAtCut, "as much as fits, less only the pair the cut runs through");
    return 0;
}
