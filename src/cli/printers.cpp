#include "printers.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <optional>

#include "qtbridge/qtbridge.h"
#include "search/characterpage.h"
#include "search/controltext.h"
#include "search/resultlist.h"
#include "textout.h"

namespace thornvale::cli {

namespace {

// A text as JSON carries it: exactly as read, but for lone surrogates, which would come out as
// "\ud800" escapes that strict readers refuse.
QString jsonText(std::u16string_view text)
{
    return toQString(wellFormed(text));
}

QJsonValue optionalText(const std::optional<std::u16string> &text)
{
    return text ? QJsonValue(jsonText(*text)) : QJsonValue(QJsonValue::Null);
}

void writeJson(const QJsonObject &root)
{
    writeOut(QString::fromUtf8(QJsonDocument(root).toJson(QJsonDocument::Compact)) + u'\n');
}

} // namespace

void printSearch(bool json, const ResultTable &list, std::int32_t counter)
{
    if (json) {
        QJsonArray rows;
        for (const ResultRow &row : list.rows()) {
            QJsonArray cells;
            for (const auto &c : row.cells)
                cells.append(jsonText(c));
            rows.append(cells);
        }
        writeJson({ { QStringLiteral("pageCounter"), counter }, { QStringLiteral("rows"), rows } });
        return;
    }
    // The table escapes its own cells.
    std::vector<QStringList> rows;
    for (const ResultRow &row : list.rows()) {
        QStringList cells;
        for (const auto &c : row.cells)
            cells << toQString(c);
        rows.push_back(cells);
    }
    QStringList header;
    for (const std::u16string_view caption : ColumnCaptions)
        header << toQString(caption);
    writeOut(formatTable(header, rows));
    writeOut(QStringLiteral("%1 characters, page counter %2\n").arg(list.count()).arg(counter));
}

void printDetail(bool json, const CharacterDetail &d)
{
    if (json) {
        QJsonArray items;
        for (const auto &item : d.items)
            items.append(QJsonObject { { QStringLiteral("name"), optionalText(item.name) },
                { QStringLiteral("grade"), optionalText(item.grade) } });
        QJsonArray sub;
        for (const auto &part : d.subParts)
            sub.append(jsonText(part));
        writeJson({ { QStringLiteral("items"), items }, { QStringLiteral("title"), optionalText(d.title) },
            { QStringLiteral("server"), optionalText(d.server) }, { QStringLiteral("subParts"), sub },
            { QStringLiteral("job"), optionalText(d.job) } });
        return;
    }
    auto show
        = [](const std::optional<std::u16string> &t) { return t ? toQString(*t) : QStringLiteral("(없음)"); };
    writeOut(QStringLiteral("칭호: %1\n서버: %2\n%3\n직업: %4\n")
                 .arg(escaped(show(d.title)), escaped(show(d.server)),
                     escaped(toQString(JoinSubParts(d.subParts))), escaped(show(d.job))));
    std::vector<QStringList> rows;
    int k = 0;
    for (const auto &item : d.items)
        rows.push_back({ QString::number(++k), show(item.name), show(item.grade) });
    writeOut(formatTable({ QStringLiteral("#"), QStringLiteral("장비명"), QStringLiteral("등급") }, rows));
}

} // namespace thornvale::cli
