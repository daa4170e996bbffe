#include "search/resultlist.h"

namespace thornvale {

void ResultTable::append(std::u16string number)
{
    ResultRow row;
    row.cells[ResultRow::Number] = std::move(number);
    m_rows.push_back(std::move(row));
}

void ResultTable::setLastCell(int k, std::u16string text)
{
    m_rows.back().cells.at(std::size_t(k)) = std::move(text);
}

std::u16string_view ResultTable::cell(int row, int k) const
{
    return m_rows.at(std::size_t(row)).cells.at(std::size_t(k));
}

} // namespace thornvale
