#pragma once

// The one crossing between Qt's text and the core's: QString and std::u16string hold the same
// UTF-16 code units, so a view costs nothing and a copy is a plain copy.

#include <QString>
#include <QStringView>

#include <string>
#include <string_view>

#include "search/controltext.h"
#include "search/reporttext.h"

namespace thornvale {

// The string's code units in place; valid while the string lives unchanged.
inline std::u16string_view view(QStringView s)
{
    return { s.utf16(), std::size_t(s.size()) };
}

inline std::u16string toU16(const QString &s)
{
    return s.toStdU16String();
}

inline QString toQString(std::u16string_view s)
{
    return QString::fromUtf16(s.data(), qsizetype(s.size()));
}

// The text as a terminal, a log or the clipboard may take it from a website: every control and
// bidi control written as an escape (escapeControls).
inline QString escaped(QStringView s)
{
    return toQString(escapeControls(view(s)));
}

// Text from a page or a reply as a log line shows it: escaped, and a long one shortened
// (LoggedText).
inline QString logged(QStringView s)
{
    return toQString(LoggedText(view(s)));
}

} // namespace thornvale
