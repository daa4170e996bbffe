#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

namespace thornvale::cli {

// Columns a text takes on a terminal: Hangul and other East Asian wide characters take two.
int displayWidth(const QString &text);

// Rows laid out in columns padded to their widest cell, one line each, header first.
QString formatTable(const QStringList &header, const std::vector<QStringList> &rows);

void writeOut(const QString &text);
void writeErr(const QString &text);

} // namespace thornvale::cli
