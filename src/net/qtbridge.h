#pragma once

// QString and the core's UTF-16 text hold the same code units; these pass them across.

#include <QString>

#include <string>
#include <string_view>

namespace thornvale {

inline std::u16string_view view(const QString &s)
{
    return {reinterpret_cast<const char16_t *>(s.utf16()), std::size_t(s.size())};
}

inline std::u16string toU16(const QString &s)
{
    return std::u16string(view(s));
}

inline QString toQString(std::u16string_view s)
{
    return QString(reinterpret_cast<const QChar *>(s.data()), qsizetype(s.size()));
}

} // namespace thornvale
