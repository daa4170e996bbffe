#pragma once

#include <QAbstractTableModel>

#include "search/resultlist.h"

namespace thornvale {

// The result list as the list control shows it: the page run and the rank lookup write and read
// it through ResultList, the view through the item model. The rows live in a ResultTable, the
// store the CLI keeps them in too; this class adds only the model's notifications.
class ResultModel final : public QAbstractTableModel, public ResultList {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ResultModel)

public:
    explicit ResultModel(QObject *parent = nullptr);

    // ResultList
    void clear() override;
    int count() const override { return m_rows.count(); }
    void append(std::u16string number) override;
    void setLastCell(int k, std::u16string text) override;
    std::u16string_view cell(int row, int k) const override { return m_rows.cell(row, k); }

    // QAbstractTableModel
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    ResultTable m_rows;
};

} // namespace thornvale
