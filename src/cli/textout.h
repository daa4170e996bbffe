#pragma once

#include <QString>
#include <QStringList>

#include <vector>

namespace thornvale::cli {

// Columns a text takes on a terminal: Hangul and other East Asian wide characters take two.
int displayWidth(const QString &text);

// The widest a column of formatTable grows; a longer cell is written whole, and the rest of its
// row follows it.
inline constexpr int MaxColumnWidth = 40;

// Rows laid out in columns padded to their widest cell (up to MaxColumnWidth), one line each,
// header first. Every cell is written through escaped() (qtbridge) and measured after it.
QString formatTable(const QStringList &header, const std::vector<QStringList> &rows);

// UTF-8 to a pipe or a file; to a Windows console UTF-16, which it shows whatever its code page.
void writeOut(const QString &text);
void writeErr(const QString &text);

// True when stderr is a terminal that takes the progress line's escapes (a Windows console once
// it has been told to).
bool progressTerminal();

} // namespace thornvale::cli
