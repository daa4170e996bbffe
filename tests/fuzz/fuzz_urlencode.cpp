// URLEncode: nothing but "%" followed by one or two upper-case hex digits, never a leading zero,
// and those bytes are the text's UTF-8; ToUtf8 and FromUtf8 give each other back, lone surrogates
// becoming U+FFFD.
//
// Input: UTF-16LE code units, so lone and reversed surrogates are reached.

#include "fuzzsupport.h"

#include "search/urlencode.h"

using namespace thornvale;
using namespace thornvale::fuzz;

namespace {

int hexValue(char16_t c)
{
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return -1; // lower case included: the encoding is upper case only
}

// The text with every unpaired surrogate made U+FFFD.
std::u16string withoutLoneSurrogates(std::u16string_view text)
{
    std::u16string out(text);
    for (std::size_t i = 0; i < out.size(); ++i) {
        const bool high = out[i] >= 0xD800 && out[i] <= 0xDBFF;
        const bool low = out[i] >= 0xDC00 && out[i] <= 0xDFFF;
        if (high && i + 1 < out.size() && out[i + 1] >= 0xDC00 && out[i + 1] <= 0xDFFF)
            ++i;
        else if (high || low)
            out[i] = 0xFFFD;
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::u16string text = Utf16Units(data, size);
    const std::u16string encoded = URLEncode(text);

    std::string decoded;
    for (std::size_t i = 0; i < encoded.size();) {
        check(encoded[i] == u'%', "every byte starts with %");
        ++i;
        std::size_t digits = 0;
        int value = 0;
        for (; i < encoded.size() && encoded[i] != u'%'; ++i, ++digits) {
            const int v = hexValue(encoded[i]);
            check(v >= 0, "only upper-case hex digits follow %");
            value = value * 16 + v;
        }
        check(digits == 1 || digits == 2, "one or two digits a byte");
        check(digits == 1 || value >= 16, "no leading zero");
        decoded += char(value);
    }

    const std::string utf8 = ToUtf8(text);
    check(decoded == utf8, "the encoding decodes to the text's UTF-8");
    check(FromUtf8(utf8) == withoutLoneSurrogates(text),
        "UTF-8 and back gives the text, lone surrogates as U+FFFD");

    // The same bytes read as UTF-8 the other way round: whatever FromUtf8 makes of them is text
    // that survives another round.
    const std::string bytes(reinterpret_cast<const char *>(data), size);
    const std::u16string fromBytes = FromUtf8(bytes);
    check(withoutLoneSurrogates(fromBytes) == fromBytes, "FromUtf8 never makes a lone surrogate");
    check(FromUtf8(ToUtf8(fromBytes)) == fromBytes, "FromUtf8's text survives a round through UTF-8");
    // Bytes that do not come back were malformed, and malformed bytes leave a U+FFFD behind: an
    // overlong or surrogate form taken silently would not.
    check(ToUtf8(fromBytes) == bytes || fromBytes.find(u'\uFFFD') != std::u16string::npos,
        "bytes that change on the way are marked with U+FFFD");
    return 0;
}
