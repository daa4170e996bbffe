#include "search/controltext.h"

namespace thornvale {

namespace {

bool isControl(char16_t c)
{
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x061C || c == 0x200E || c == 0x200F
        || (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

} // namespace

std::u16string escapeControls(std::u16string_view text)
{
    static constexpr char16_t Hex[] = u"0123456789abcdef";
    std::u16string out;
    out.reserve(text.size());
    for (const char16_t c : text) {
        if (!isControl(c)) {
            out += c;
            continue;
        }
        out += u'\\';
        if (c < 0x100) {
            out += u'x';
        } else {
            out += u'u';
            out += Hex[(c >> 12) & 0xF];
            out += Hex[(c >> 8) & 0xF];
        }
        out += Hex[(c >> 4) & 0xF];
        out += Hex[c & 0xF];
    }
    return out;
}

std::u16string wellFormed(std::u16string_view text)
{
    std::u16string out(text);
    for (std::size_t i = 0; i < out.size(); ++i) {
        const char16_t c = out[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < out.size() && out[i + 1] >= 0xDC00 && out[i + 1] <= 0xDFFF)
            ++i; // a pair
        else if (c >= 0xD800 && c <= 0xDFFF)
            out[i] = 0xFFFD;
    }
    return out;
}

} // namespace thornvale
