#include "search/urlencode.h"

namespace thornvale {

namespace {

void appendUtf8(std::string &out, char32_t cp)
{
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xC0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += char(0xE0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    } else {
        out += char(0xF0 | (cp >> 18));
        out += char(0x80 | ((cp >> 12) & 0x3F));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
}

bool isHigh(char16_t u)
{
    return u >= 0xD800 && u <= 0xDBFF;
}
bool isLow(char16_t u)
{
    return u >= 0xDC00 && u <= 0xDFFF;
}

} // namespace

std::string ToUtf8(std::u16string_view text)
{
    std::string out;
    out.reserve(text.size() * 3);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t u = text[i];
        if (isHigh(u) && i + 1 < text.size() && isLow(text[i + 1])) {
            appendUtf8(out, 0x10000 + ((char32_t(u) - 0xD800) << 10) + (char32_t(text[i + 1]) - 0xDC00));
            ++i;
        } else if (isHigh(u) || isLow(u)) {
            appendUtf8(out, 0xFFFD);
        } else {
            appendUtf8(out, u);
        }
    }
    return out;
}

std::u16string FromUtf8(std::string_view text)
{
    std::u16string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const auto b = static_cast<unsigned char>(text[i]);
        int extra = 0;
        char32_t cp = 0;
        char32_t min = 0;
        if (b < 0x80) {
            cp = b;
        } else if ((b & 0xE0) == 0xC0) {
            extra = 1, cp = b & 0x1F, min = 0x80;
        } else if ((b & 0xF0) == 0xE0) {
            extra = 2, cp = b & 0x0F, min = 0x800;
        } else if ((b & 0xF8) == 0xF0) {
            extra = 3, cp = b & 0x07, min = 0x10000;
        } else {
            out += char16_t(0xFFFD);
            ++i;
            continue;
        }
        std::size_t j = i + 1;
        bool ok = true;
        for (int n = 0; n < extra; ++n, ++j) {
            if (j >= text.size() || (static_cast<unsigned char>(text[j]) & 0xC0) != 0x80) {
                ok = false;
                break;
            }
            cp = (cp << 6) | (static_cast<unsigned char>(text[j]) & 0x3F);
        }
        if (!ok || cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            out += char16_t(0xFFFD);
            i = j; // a bad lead or short sequence resyncs at the first byte that did not fit
            continue;
        }
        if (cp >= 0x10000) {
            out += char16_t(0xD800 + ((cp - 0x10000) >> 10));
            out += char16_t(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            out += char16_t(cp);
        }
        i = j;
    }
    return out;
}

std::u16string URLEncode(std::u16string_view text)
{
    static constexpr char16_t digits[] = u"0123456789ABCDEF";
    const std::string bytes = ToUtf8(text);
    std::u16string out;
    out.reserve(bytes.size() * 3);
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        out += u'%';
        if (b >= 16)
            out += digits[b >> 4];
        out += digits[b & 0xF];
    }
    return out;
}

} // namespace thornvale
