#include "textout.h"

#include "qtbridge/qtbridge.h"

#include <cstdio>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace thornvale::cli {

namespace {

bool isWide(char32_t c)
{
    return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) || (c >= 0xAC00 && c <= 0xD7A3)
        || (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60)
        || (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x1F300 && c <= 0x1FAFF) || (c >= 0x20000 && c <= 0x3FFFD);
}

} // namespace

int displayWidth(const QString &text)
{
    int width = 0;
    for (const char32_t c : text.toUcs4())
        width += isWide(c) ? 2 : (c < 0x20 ? 0 : 1);
    return width;
}

QString formatTable(const QStringList &header, const std::vector<QStringList> &rawRows)
{
    auto escapedCells = [](const QStringList &raw) {
        QStringList cells;
        for (const QString &cell : raw)
            cells << escaped(cell);
        return cells;
    };
    std::vector<QStringList> rows { escapedCells(header) };
    rows.reserve(rawRows.size() + 1);
    for (const QStringList &raw : rawRows)
        rows.push_back(escapedCells(raw));

    // Capped, or one hostile cell would pad every other row to its width: a page's megabyte of
    // nickname times a hundred rows.
    std::vector<int> widths(std::size_t(header.size()), 0);
    for (const auto &row : rows) {
        for (qsizetype i = 0; i < row.size() && i < header.size(); ++i)
            widths[std::size_t(i)]
                = std::max(widths[std::size_t(i)], std::min(displayWidth(row[i]), MaxColumnWidth));
    }

    QString out;
    auto addLine = [&](const QStringList &row) {
        QString line;
        for (qsizetype i = 0; i < row.size() && i < header.size(); ++i) {
            line += row[i];
            if (i + 1 < header.size())
                line += QString(std::max(0, widths[std::size_t(i)] - displayWidth(row[i])) + 2, u' ');
        }
        while (line.endsWith(u' '))
            line.chop(1);
        out += line + u'\n';
    };
    for (const auto &row : rows)
        addLine(row);
    return out;
}

namespace {

#ifdef _WIN32
// The console a standard stream writes to, or null for a pipe or a file.
HANDLE consoleOf(std::FILE *stream)
{
    const HANDLE handle = GetStdHandle(stream == stdout ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
    DWORD mode = 0;
    return handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) ? handle : nullptr;
}
#endif

void write(std::FILE *stream, const QString &text)
{
#ifdef _WIN32
    if (const HANDLE console = consoleOf(stream)) {
        static_assert(sizeof(wchar_t) == sizeof(char16_t));
        DWORD written = 0;
        WriteConsoleW(
            console, reinterpret_cast<const wchar_t *>(text.utf16()), DWORD(text.size()), &written, nullptr);
        return;
    }
#endif
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stream);
    std::fflush(stream);
}

} // namespace

void writeOut(const QString &text)
{
    write(stdout, text);
}

void writeErr(const QString &text)
{
    write(stderr, text);
}

bool progressTerminal()
{
#ifdef _WIN32
    const HANDLE console = consoleOf(stderr);
    DWORD mode = 0;
    return console && GetConsoleMode(console, &mode)
        && SetConsoleMode(console, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING | ENABLE_PROCESSED_OUTPUT);
#else
    return ::isatty(STDERR_FILENO) == 1;
#endif
}

} // namespace thornvale::cli
