#include "support/resultrows.h"

namespace thornvale::test {

void AppendRows(ResultList &list, const std::vector<RowCells> &rows)
{
    for (const RowCells &row : rows) {
        const std::string number = std::to_string(list.count());
        list.append(std::u16string(number.begin(), number.end()));
        list.setLastCell(ResultRow::Nickname, row.nickname);
        list.setLastCell(ResultRow::Server, row.server);
        list.setLastCell(ResultRow::Address, row.address);
    }
}

} // namespace thornvale::test
