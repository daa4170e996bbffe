#include "ui/resultmodel.h"

#include <array>

#include "net/qtbridge.h"

namespace thornvale {

namespace {

const std::array<QString, ResultRow::CellCount> &headers()
{
    static const std::array<QString, ResultRow::CellCount> h = {
        QStringLiteral("번"),
        QStringLiteral("닉네임"),
        QStringLiteral("서버"),
        QStringLiteral("렙"),
        QStringLiteral("직업"),
        QStringLiteral("종족"),
        QStringLiteral("주소"),
    };
    return h;
}

} // namespace

ResultModel::ResultModel(QObject *parent)
    : QAbstractTableModel(parent)
{
}

void ResultModel::clear()
{
    beginResetModel();
    m_rows.clear();
    endResetModel();
}

int ResultModel::count() const
{
    return int(m_rows.size());
}

void ResultModel::append(std::u16string number)
{
    const int row = count();
    beginInsertRows({}, row, row);
    ResultRow r;
    r.cells[ResultRow::Number] = std::move(number);
    m_rows.push_back(std::move(r));
    endInsertRows();
}

void ResultModel::setLastCell(int k, std::u16string text)
{
    const int row = count() - 1;
    m_rows.at(std::size_t(row)).cells.at(std::size_t(k)) = std::move(text);
    const QModelIndex i = index(row, k);
    Q_EMIT dataChanged(i, i, { Qt::DisplayRole });
}

std::u16string_view ResultModel::cell(int row, int k) const
{
    return m_rows.at(std::size_t(row)).cells.at(std::size_t(k));
}

int ResultModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : count();
}

int ResultModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(ResultRow::CellCount);
}

QVariant ResultModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= count() || index.column() >= ResultRow::CellCount)
        return {};
    if (role == Qt::DisplayRole)
        return toQString(cell(index.row(), index.column()));
    return {};
}

QVariant ResultModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= ResultRow::CellCount)
        return {};
    if (role == Qt::DisplayRole)
        return headers()[std::size_t(section)];
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
    return {};
}

} // namespace thornvale
