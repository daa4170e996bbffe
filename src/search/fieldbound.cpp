#include "search/fieldbound.h"

namespace thornvale {

namespace {

bool isHighSurrogate(char16_t c)
{
    return c >= 0xD800 && c <= 0xDBFF;
}

} // namespace

std::u16string_view CutAtCharacter(std::u16string_view text, std::size_t limit)
{
    if (text.size() <= limit)
        return text;
    // A high surrogate as the last unit kept would leave half a character; a lone one that the
    // page itself holds there goes the same way, which costs nothing.
    std::size_t end = limit;
    if (end > 0 && isHighSurrogate(text[end - 1]))
        --end;
    return text.substr(0, end);
}

std::u16string FieldBounds::text(std::u16string_view field)
{
    if (field.size() > MaxFieldLength)
        ++m_fieldsCut;
    return std::u16string(CutAtCharacter(field, MaxFieldLength));
}

std::optional<std::u16string> FieldBounds::text(std::optional<std::u16string_view> field)
{
    if (!field)
        return std::nullopt;
    return text(*field);
}

std::u16string FieldBounds::address(std::u16string_view base, std::u16string_view key)
{
    if (base.size() + key.size() > MaxAddressLength) {
        ++m_addressesDropped;
        return {};
    }
    std::u16string out;
    out.reserve(base.size() + key.size());
    out.append(base).append(key);
    return out;
}

} // namespace thornvale
