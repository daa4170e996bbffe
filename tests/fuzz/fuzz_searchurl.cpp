// BuildSearchUrl: the address start, the encoded name, the fixed keys, then start = (page-1)*10
// and the page, both as exact decimals for every 64-bit page; the start is worked out here in
// 128 bits.
//
// Input: eight bytes of page number (little-endian, two's complement), then the name as UTF-16LE
// code units.

#include "fuzzsupport.h"

#include "search/resultpage.h"
#include "search/urlencode.h"

#include <cstring>

using namespace thornvale;
using namespace thornvale::fuzz;

namespace {

__extension__ typedef __int128 Wide;

std::u16string decimal(Wide v)
{
    const bool negative = v < 0;
    std::u16string digits;
    do {
        const int d = int(v % 10);
        digits.insert(digits.begin(), char16_t(u'0' + (negative ? -d : d)));
        v /= 10;
    } while (v != 0);
    if (negative)
        digits.insert(digits.begin(), u'-');
    return digits;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 8)
        return 0;
    std::uint64_t bits = 0;
    for (int i = 7; i >= 0; --i)
        bits = bits << 8 | data[i];
    long long page = 0;
    std::memcpy(&page, &bits, sizeof page);
    const std::u16string name = Utf16Units(data + 8, size - 8);

    const std::u16string start = u"http://s.example/search?keyword=";
    std::u16string expected = start + URLEncode(name) + u"&dt=characters&sf=score&st=desc&start=";
    expected += decimal((Wide(page) - 1) * 10);
    expected += u"&page=";
    expected += decimal(page);
    check(BuildSearchUrl(start, name, page) == expected, "the address holds (page-1)*10 and page exactly");
    return 0;
}
