#pragma once

#include <QAbstractTableModel>

#include <vector>

#include "search/resultlist.h"

namespace thornvale {

// The result list as the list control shows it: the page run and the rank lookup write and read
// it through ResultList, the view through the item model.
class ResultModel final : public QAbstractTableModel, public ResultList {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ResultModel)

public:
    explicit ResultModel(QObject *parent = nullptr);

    // ResultList
    void clear() override;
    int count() const override;
    void append(std::u16string number) override;
    void setLastCell(int k, std::u16string text) override;
    std::u16string_view cell(int row, int k) const override;

    // QAbstractTableModel
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    std::vector<ResultRow> m_rows;
};

} // namespace thornvale
