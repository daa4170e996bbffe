#include "ui/resultmodel.h"

#include "qtbridge/qtbridge.h"

namespace thornvale {

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

void ResultModel::append(std::u16string number)
{
    const int row = count();
    beginInsertRows({}, row, row);
    m_rows.append(std::move(number));
    endInsertRows();
}

void ResultModel::setLastCell(int k, std::u16string text)
{
    m_rows.setLastCell(k, std::move(text));
    const QModelIndex i = index(count() - 1, k);
    Q_EMIT dataChanged(i, i, { Qt::DisplayRole });
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
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= count()
        || index.column() >= ResultRow::CellCount)
        return {};
    return toQString(cell(index.row(), index.column()));
}

QVariant ResultModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= ResultRow::CellCount)
        return {};
    if (role == Qt::DisplayRole)
        return toQString(ColumnCaptions[std::size_t(section)]);
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
    return {};
}

} // namespace thornvale
